#include "editor/CreateTerrainWindow.h"

#include "editor/EditorDialogButtons.h"
#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiWidgetLookup.h"

namespace
{
// In the order of the list modes.
const std::vector<EditorBrowseFolder>& Folders()
{
    static const std::vector<EditorBrowseFolder> folders = {
        {CreateTerrainWindow::kBrowseHeightMap, CreateTerrainWindow::kHeightMapFolder,
         CreateTerrainWindow::kHeightMap},
        {CreateTerrainWindow::kBrowseMask, CreateTerrainWindow::kMaskFolder, CreateTerrainWindow::kMaskPath},
        {CreateTerrainWindow::kBrowseTexture, CreateTerrainWindow::kTextureFolder,
         CreateTerrainWindow::kTexturePath}};
    return folders;
}
} // namespace

const kaClassInfo& CreateTerrainWindow::StaticClassInfo()
{
    static const kaClassInfo record("[CreateTerrainWindow]", kCreateTerrainWindowClassId,
                                    &guiWindow::StaticClassInfo());
    return record;
}

CreateTerrainWindow::CreateTerrainWindow(const std::string& layoutFile)
    : EditorBrowseDialog(
          layoutFile,
          {kTitle, kHeightMap, kHeight, kWidth, kLength, kVertexLight, kMaskPath, kTexturePath, kTexStretch},
          Folders())
{
    m_LabelGroup = guiWidgetLookup::Find<guiGroup>(*this, kLabelGroup);
    m_TextBoxGroup = guiWidgetLookup::Find<guiGroup>(*this, kTextBoxGroup);
    m_LayerGroup = guiWidgetLookup::Find<guiGroup>(*this, kLayerGroup);
    EditorDialogButtons::Wire(*this, kOk, gui::kModalDone);
    EditorDialogButtons::Wire(*this, kCancel, gui::kModalCancelled);
}

void CreateTerrainWindow::SetRelativeWidth(float width)
{
    m_Fields.Set(kWidth, ka::lexical_cast<std::string>(width));
}

void CreateTerrainWindow::SetRelativeHeight(float height)
{
    m_Fields.Set(kHeight, ka::lexical_cast<std::string>(height));
}

void CreateTerrainWindow::SetImportMode(bool import)
{
    m_ImportMode = import;
    const int32_t alignment = import ? kImportAlignment : kCreateAlignment;
    const guiCoordPair labels = import ? guiCoordPair(guiCoord::Pixels(kLabelX), guiCoord::Relative(kImportY))
                                       : guiCoordPair::Pixels(kLabelX, kCreateY);
    const guiCoordPair boxes = import
                                   ? guiCoordPair(guiCoord::Pixels(kTextBoxX), guiCoord::Relative(kImportY))
                                   : guiCoordPair::Pixels(kTextBoxX, kCreateY);
    if (m_LabelGroup != nullptr)
    {
        m_LabelGroup->SetPosition(labels);
        m_LabelGroup->ApplyAlignment(alignment);
    }
    if (m_TextBoxGroup != nullptr)
    {
        m_TextBoxGroup->SetPosition(boxes);
        m_TextBoxGroup->ApplyAlignment(alignment);
    }
    // Alone: showing a part must not show the dialog before its modal show does.
    if (m_LayerGroup != nullptr)
        _SetVisibleAlone(*m_LayerGroup, !import);
}

std::string CreateTerrainWindow::FolderOf(int32_t mode)
{
    return _FolderOf(Folders(), mode);
}
