#include "game/screens/courseeditor/tvMapEditorWindow.h"

#include "engine/gui/guiManager.h"
#include "engine/model/kaModelManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/records/tvPlayer.h"
#include "tests/support/game/CourseEditorShown.h"
#include "tests/support/game/CourseLoadChecks.h"
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
    tvMapEditorWindow* editor = testsupport::ShowCourseEditor(game);
    ASSERT_NE(editor, nullptr);
    testsupport::MalformedCourse::ExpectEditorRoundTrips(game, *editor);
}

// A course that cannot be read, opened through Load World... by a driver with no course open: the box names
// the file and the reader's words with row and column, the editor still has no course, and Ctrl+S never
// writes the damaged file.
TEST(tvMapEditorWindowLoadSaveRunTest, ACourseThatCannotBeReadIsNamedAndNeverOverwritten)
{
    kaModelManager models;
    kaDraggableDecalManager decals;
    HeadlessGame game(WithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    tvMapEditorWindow* editor = testsupport::ShowCourseEditor(game);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->GetWorld(), nullptr);
    testsupport::courseLoads::ExpectUnreadableCoursesLeftAlone(game, *editor);
}

// A course whose load left out an entity: Ctrl+S asks first and names it; Cancel writes nothing, Save writes
// the course without it.
TEST(tvMapEditorWindowLoadSaveRunTest, ASaveThatWouldLeaveOutEntitiesAsksFirst)
{
    kaModelManager models;
    kaDraggableDecalManager decals;
    HeadlessGame game(WithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    tvMapEditorWindow* editor = testsupport::ShowCourseEditor(game);
    ASSERT_NE(editor, nullptr);
    testsupport::courseLoads::ExpectSaveAsksBeforeLeavingOut(game, *editor);
}

// The course editor runs the physics, which cannot place a body beyond the bound: a course with such places
// and malformed base keys loads, keeps every entity and is saved as read.
TEST(tvMapEditorWindowLoadSaveRunTest, MalformedAndFarBaseKeysKeepEveryEntityAndAreSavedAsRead)
{
    kaModelManager models;
    kaDraggableDecalManager decals;
    HeadlessGame game(WithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    tvMapEditorWindow* editor = testsupport::ShowCourseEditor(game);
    ASSERT_NE(editor, nullptr);
    testsupport::MalformedCourse::ExpectBaseKeysRoundTrips(game, *editor);
}
