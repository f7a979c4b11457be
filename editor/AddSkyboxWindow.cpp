#include "editor/AddSkyboxWindow.h"

#include "editor/EditorDialogButtons.h"
#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/core/kaLexicalCast.h"

const kaClassInfo& AddSkyboxWindow::StaticClassInfo()
{
    static const kaClassInfo record("[AddSkyboxWindow]", kAddSkyboxWindowClassId,
                                    &guiWindow::StaticClassInfo());
    return record;
}

AddSkyboxWindow::AddSkyboxWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    m_Fields.Attach(*this, {kTitle, kLeft, kRight, kForward, kBack, kTop, kTexture, kHeight, kSpeed});
    EditorDialogButtons::Wire(*this, kOk, gui::kModalDone);
    EditorDialogButtons::Wire(*this, kCancel, gui::kModalCancelled);
}

void AddSkyboxWindow::SetRelativeHeight(float height)
{
    m_Fields.Set(kHeight, ka::lexical_cast<std::string>(height));
}
