#include "editor/AddFlareLayerWindow.h"

#include "editor/EditorDialogButtons.h"
#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiWidgetLookup.h"

const kaClassInfo& AddFlareLayerWindow::StaticClassInfo()
{
    static const kaClassInfo record("[AddFlareLayerWindow]", kAddFlareLayerWindowClassId,
                                    &guiWindow::StaticClassInfo());
    return record;
}

AddFlareLayerWindow::AddFlareLayerWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    m_Fields.Attach(*this, {kTexture, kLength, kScale});
    m_Chooser.Attach(*this, [this](const std::string& path) { m_Fields.Set(kTexture, path); });
    if (auto* browse = guiWidgetLookup::Find<guiButton>(*this, kBrowse))
        browse->SetOnClick(
            [this](int)
            {
                ShowFileChooser(true);
                return true;
            });
    EditorDialogButtons::Wire(*this, kOk, gui::kModalDone);
    EditorDialogButtons::Wire(*this, kCancel, gui::kModalCancelled);
}

void AddFlareLayerWindow::OnShow()
{
    ShowFileChooser(false);
    guiWindow::OnShow();
}

void AddFlareLayerWindow::ShowFileChooser(bool show)
{
    m_Chooser.Show(kFolder, show);
}
