#include "game/screens/courseeditor/tvMapEditorWindow.h"

#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/model/kaModelManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/records/tvPlayer.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "tests/support/engine/gui/ListRowPoint.h"
#include "tests/support/game/CourseEditorShown.h"
#include "tests/support/game/CourseLoadChecks.h"
#include "tests/support/game/CourseSaveChecks.h"
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

// The course editor opened by a signed-in driver, its input through SDL.
class tvMapEditorWindowLoadSaveRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        ASSERT_TRUE(m_Game.RunScript());
        m_Editor = testsupport::ShowCourseEditor(m_Game);
        ASSERT_NE(m_Editor, nullptr);
    }

    // The engine's services the game's start-up does not make outlive the game.
    kaModelManager m_Models;
    kaDraggableDecalManager m_Decals;
    HeadlessGame m_Game{WithSdlInput()};
    tvMapEditorWindow* m_Editor = nullptr;
};

// The course editor, opened by a signed-in driver, does with a course of malformed values what the engine
// editor does: every entity kept, each value named, and written back as read through two saves.
TEST_F(tvMapEditorWindowLoadSaveRunTest, MalformedValuesAreNamedAndEveryEntityAndValueSurvivesTwoSaves)
{
    testsupport::MalformedCourse::ExpectEditorRoundTrips(m_Game, *m_Editor);
}

// A course that cannot be read, opened through Load World... by a driver with no course open: the box names
// the file and the reader's words with row and column, the editor still has no course, and Ctrl+S never
// writes the damaged file.
TEST_F(tvMapEditorWindowLoadSaveRunTest, ACourseThatCannotBeReadIsNamedAndNeverOverwritten)
{
    ASSERT_EQ(m_Editor->GetWorld(), nullptr);
    testsupport::courseLoads::ExpectUnreadableCoursesLeftAlone(m_Game, *m_Editor);
}

// A course whose load left out an entity: Ctrl+S asks first and names it; Cancel writes nothing, Save writes
// the course without it.
TEST_F(tvMapEditorWindowLoadSaveRunTest, ASaveThatWouldLeaveOutEntitiesAsksFirst)
{
    testsupport::courseLoads::ExpectSaveAsksBeforeLeavingOut(m_Game, *m_Editor);
}

// A course made read-only to protect it: Ctrl+S says so and writes nothing; Save World As... saves elsewhere.
TEST_F(tvMapEditorWindowLoadSaveRunTest, AReadOnlyCourseIsNeverReplacedAndSaveAsSavesElsewhere)
{
    testsupport::courseLoads::ExpectReadOnlyCourseKeptAndSavedAs(m_Game, *m_Editor);
}

// The course editor runs the physics, which cannot place a body beyond the bound: a course with such places
// and malformed base keys loads, keeps every entity and is saved as read.
TEST_F(tvMapEditorWindowLoadSaveRunTest, MalformedAndFarBaseKeysKeepEveryEntityAndAreSavedAsRead)
{
    testsupport::MalformedCourse::ExpectBaseKeysRoundTrips(m_Game, *m_Editor);
}

// The course editor does with pasted blocks and ids no run takes what the engine editor does: each named in
// the load box, every entity kept, and each block written back where it stood through two saves. A course's
// own values that cannot be used are named and written back as the file gave them, as the engine editor
// does, until the course options set the time and the target.
TEST_F(tvMapEditorWindowLoadSaveRunTest, BlocksNotReadAndUnusableIdsAreNamedAndKeptThroughTwoSaves)
{
    testsupport::courseLoads::ExpectUnreadBlocksAndUnusableIdsKept(m_Game, *m_Editor);
    const std::string file = testsupport::courseLoads::ExpectCourseValuesKeptAsRead(m_Game, *m_Editor);
    ASSERT_FALSE(file.empty());

    m_Game.Click(m_Editor->GetName(), "tools button");
    m_Game.ClickAt(
        [this](int32_t& x, int32_t& y)
        {
            auto* menu = m_Editor->FindChild("tools menu")->DynamicCast<guiListBox>();
            return testsupport::ListRowPoint(menu, tvMapEditorWindow::kCourseRow, x, y);
        });
    m_Game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
    testsupport::courseLoads::SaveWithCtrlS(m_Game);
    ASSERT_TRUE(m_Game.RunScript(3));
    const std::string saved = testsupport::courseSaves::ReadWhole(file);
    for (const char* written :
         {"<timeLimit>120</timeLimit>", "<scoreLimit>20</scoreLimit>", "<repPointFactor>O.2</repPointFactor>",
          "<x>-4O</x>", "<arena>StuntYrad</arena>"})
        EXPECT_EQ(testsupport::courseSaves::Occurrences(saved, written), 1) << written << "\n" << saved;
}
