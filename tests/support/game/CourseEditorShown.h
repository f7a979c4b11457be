#pragma once

#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "game/app/Tarvolin.h"
#include "game/screens/courseeditor/tvMapEditorWindow.h"
#include "tests/support/game/HeadlessGame.h"

namespace testsupport
{

// The game's course editor shown alone for a signed-in driver, as the hub opens it; null when the game has
// none.
inline tvMapEditorWindow* ShowCourseEditor(HeadlessGame& game)
{
    game.App().SetCurrentPlayer(game.App().CreatePlayer("Dana"));
    for (guiWindow* window : game.Gui().GetWindows())
    {
        if (window->IsVisible())
            game.Gui().HideWindow(window, 1);
    }
    auto* editor = dynamic_cast<tvMapEditorWindow*>(game.Gui().FindWindow(tvMapEditorWindow::kWindowName));
    if (editor == nullptr)
        return nullptr;
    game.App().SetEditor(true);
    game.Gui().ShowWindow(editor, false);
    return editor;
}

} // namespace testsupport
