#include "editor/AddTerrainLayerWindow.h"

#include "editor/EditorDialogButtons.h"
#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiWidgetLookup.h"

const kaClassInfo& AddTerrainLayerWindow::StaticClassInfo()
{
    static const kaClassInfo record("[AddTerrainLayerWindow]", kAddTerrainLayerWindowClassId,
                                    &guiWindow::StaticClassInfo());
    return record;
}

AddTerrainLayerWindow::AddTerrainLayerWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    m_Fields.Attach(*this, {kTexturePath, kMaskPath, kTexStretch});
    m_Chooser.Attach(*this, [this](const std::string& path) { _Pick(path); });
    const std::pair<const char*, int32_t> browsers[] = {{kBrowseMask, kListMask},
                                                        {kBrowseTexture, kListTexture}};
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

void AddTerrainLayerWindow::OnShow()
{
    ShowFileChooser(false);
    guiWindow::OnShow();
}

void AddTerrainLayerWindow::Browse(int32_t mode)
{
    m_ListMode = mode;
    ShowFileChooser(true);
}

void AddTerrainLayerWindow::ShowFileChooser(bool show)
{
    m_Chooser.Show(FolderOf(m_ListMode), show);
}

std::string AddTerrainLayerWindow::FolderOf(int32_t mode)
{
    switch (mode)
    {
    case kListMask:
        return kMaskFolder;
    case kListTexture:
        return kTextureFolder;
    default:
        return std::string();
    }
}

void AddTerrainLayerWindow::_Pick(const std::string& path)
{
    if (m_ListMode == kListMask)
        m_Fields.Set(kMaskPath, path);
    else if (m_ListMode == kListTexture)
        m_Fields.Set(kTexturePath, path);
}
