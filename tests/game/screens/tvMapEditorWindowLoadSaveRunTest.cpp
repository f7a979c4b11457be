#include "game/screens/courseeditor/tvMapEditorWindow.h"

#include "engine/gui/guiManager.h"
#include "engine/model/kaModelManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/records/tvPlayer.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/MalformedCourse.h"

#include <gtest/gtest.h>

using testsupport::HeadlessGame;

namespace
{

HeadlessGame::Options WithSdlInput()
{
    HeadlessGame::Options options;
    options.sdlInput = true;
    return options;
}

} // namespace

// The course editor, opened by a signed-in driver, does with a course of malformed values what the engine
// editor does: every entity kept, each value named, and written back as read through two saves.
TEST(tvMapEditorWindowLoadSaveRunTest, MalformedValuesAreNamedAndEveryEntityAndValueSurvivesTwoSaves)
{
    // The engine's services the game's start-up does not make outlive the game.
    kaModelManager models;
    kaDraggableDecalManager decals;
    HeadlessGame game(WithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    game.App().SetCurrentPlayer(game.App().CreatePlayer("Dana"));
    for (guiWindow* window : game.Gui().GetWindows())
        if (window->IsVisible())
            game.Gui().HideWindow(window, 1);
    auto* editor = dynamic_cast<tvMapEditorWindow*>(game.Gui().FindWindow(tvMapEditorWindow::kWindowName));
    ASSERT_NE(editor, nullptr);
    game.App().SetEditor(true);
    game.Gui().ShowWindow(editor, false);
    testsupport::MalformedCourse::ExpectEditorRoundTrips(game, *editor);
}
