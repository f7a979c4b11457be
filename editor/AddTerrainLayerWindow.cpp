#include "editor/AddTerrainLayerWindow.h"

#include "editor/EditorDialogButtons.h"
#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"

namespace
{
// In the order of the list modes.
const std::vector<EditorBrowseFolder>& Folders()
{
    static const std::vector<EditorBrowseFolder> folders = {
        {AddTerrainLayerWindow::kBrowseMask, AddTerrainLayerWindow::kMaskFolder,
         AddTerrainLayerWindow::kMaskPath},
        {AddTerrainLayerWindow::kBrowseTexture, AddTerrainLayerWindow::kTextureFolder,
         AddTerrainLayerWindow::kTexturePath}};
    return folders;
}
} // namespace

const kaClassInfo& AddTerrainLayerWindow::StaticClassInfo()
{
    static const kaClassInfo record("[AddTerrainLayerWindow]", kAddTerrainLayerWindowClassId,
                                    &guiWindow::StaticClassInfo());
    return record;
}

AddTerrainLayerWindow::AddTerrainLayerWindow(const std::string& layoutFile)
    : EditorBrowseDialog(layoutFile, {kTexturePath, kMaskPath, kTexStretch}, Folders())
{
    EditorDialogButtons::Wire(*this, kOk, gui::kModalDone);
    EditorDialogButtons::Wire(*this, kCancel, gui::kModalCancelled);
}

std::string AddTerrainLayerWindow::FolderOf(int32_t mode)
{
    return _FolderOf(Folders(), mode);
}
