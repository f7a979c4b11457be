#include "editor/CreateTerrainWindow.h"

#include "editor/EditorDialogButtons.h"
#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiWidgetLookup.h"

const kaClassInfo& CreateTerrainWindow::StaticClassInfo()
{
    static const kaClassInfo record("[CreateTerrainWindow]", kCreateTerrainWindowClassId,
                                    &guiWindow::StaticClassInfo());
    return record;
}

CreateTerrainWindow::CreateTerrainWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    m_Fields.Attach(*this, {kTitle, kHeightMap, kHeight, kWidth, kLength, kVertexLight, kMaskPath,
                            kTexturePath, kTexStretch});
    m_Chooser.Attach(*this, [this](const std::string& path) { _Pick(path); });
    m_LabelGroup = guiWidgetLookup::Find<guiGroup>(*this, kLabelGroup);
    m_TextBoxGroup = guiWidgetLookup::Find<guiGroup>(*this, kTextBoxGroup);
    m_LayerGroup = guiWidgetLookup::Find<guiGroup>(*this, kLayerGroup);
    const std::pair<const char*, int32_t> browsers[] = {
        {kBrowseHeightMap, kListHeightMap}, {kBrowseMask, kListMask}, {kBrowseTexture, kListTexture}};
    for (const auto& [name, mode] : browsers)
        if (auto* button = guiWidgetLookup::Find<guiButton>(*this, name))
            button->SetOnClick(
                [this, mode = mode](int)
                {
                    Browse(mode);
                    return true;
                });
    EditorDialogButtons::Wire(*this, kOk, gui::kModalDone);
    EditorDialogButtons::Wire(*this, kCancel, gui::kModalCancelled);
}

void CreateTerrainWindow::OnShow()
{
    ShowFileChooser(false);
    guiWindow::OnShow();
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

void CreateTerrainWindow::Browse(int32_t mode)
{
    m_ListMode = mode;
    ShowFileChooser(true);
}

void CreateTerrainWindow::ShowFileChooser(bool show)
{
    m_Chooser.Show(FolderOf(m_ListMode), show);
}

std::string CreateTerrainWindow::FolderOf(int32_t mode)
{
    switch (mode)
    {
    case kListHeightMap:
        return kHeightMapFolder;
    case kListMask:
        return kMaskFolder;
    case kListTexture:
        return kTextureFolder;
    default:
        return std::string();
    }
}

void CreateTerrainWindow::_Pick(const std::string& path)
{
    switch (m_ListMode)
    {
    case kListHeightMap:
        m_Fields.Set(kHeightMap, path);
        break;
    case kListMask:
        m_Fields.Set(kMaskPath, path);
        break;
    case kListTexture:
        m_Fields.Set(kTexturePath, path);
        break;
    default:
        break;
    }
}
