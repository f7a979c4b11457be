#include "editor/EditorDialogButtons.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWidgetLookup.h"

void EditorDialogButtons::Wire(guiWindow& window, const std::string& button, int32_t result)
{
    if (auto* found = guiWidgetLookup::Find<guiButton>(window, button))
        found->SetOnClick(
            [&window, result](int)
            {
                Close(window, result);
                return true;
            });
}

void EditorDialogButtons::Close(guiWindow& window, int32_t result)
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(&window, result);
}
