#include "editor/MapEditorWindow.h"

#include "engine/gui/guiManager.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/MalformedCourse.h"

#include <gtest/gtest.h>

using testsupport::HeadlessGame;

// A course of every shipped kind with one malformed value in each block goes through load, save, load, save
// in the engine editor with every entity kept and every value written back as it was read.
TEST(MapEditorWindowLoadSaveRunTest, MalformedValuesAreNamedAndEveryEntityAndValueSurvivesTwoSaves)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    auto* editor = dynamic_cast<MapEditorWindow*>(game.Gui().FindWindow(MapEditorWindow::kWindowName));
    ASSERT_NE(editor, nullptr);
    testsupport::MalformedCourse::ExpectEditorRoundTrips(game, *editor);
}

// The keys every shipped entity holds, malformed or placed beyond any venue: every entity stays, each named,
// and written back as read through two saves.
TEST(MapEditorWindowLoadSaveRunTest, MalformedAndFarBaseKeysKeepEveryEntityAndAreSavedAsRead)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    auto* editor = dynamic_cast<MapEditorWindow*>(game.Gui().FindWindow(MapEditorWindow::kWindowName));
    ASSERT_NE(editor, nullptr);
    testsupport::MalformedCourse::ExpectBaseKeysRoundTrips(game, *editor);
}
