#include "editor/AddSunWindow.h"

#include "editor/EditorDialogButtons.h"
#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"

const kaClassInfo& AddSunWindow::StaticClassInfo()
{
    static const kaClassInfo record("[AddSunWindow]", kAddSunWindowClassId, &guiWindow::StaticClassInfo());
    return record;
}

AddSunWindow::AddSunWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    m_Fields.Attach(*this, {kTexture, kPosition, kAxisTilt, kScale, kRed, kGreen, kBlue, kRedAmbient,
                            kGreenAmbient, kBlueAmbient});
    EditorDialogButtons::Wire(*this, kOk, gui::kModalDone);
    EditorDialogButtons::Wire(*this, kCancel, gui::kModalCancelled);
}
