#include "editor/MapEditorWindow.h"

#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "tests/support/game/CourseLoadChecks.h"
#include "tests/support/game/CourseSaveChecks.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/MalformedCourse.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using testsupport::HeadlessGame;
namespace courseLoads = testsupport::courseLoads;

namespace
{

MapEditorWindow* Editor(HeadlessGame& game)
{
    return dynamic_cast<MapEditorWindow*>(game.Gui().FindWindow(MapEditorWindow::kWindowName));
}

// The entity block at that place among the file's entities.
TiXmlElement* EntityAt(TiXmlDocument& document, int place)
{
    TiXmlElement* block = document.RootElement()->FirstChildElement("Entities")->FirstChildElement("Entity");
    for (int at = 0; at < place && block != nullptr; ++at)
        block = block->NextSiblingElement("Entity");
    return block;
}

void SetKey(TiXmlElement& block, const char* key, const std::string& text)
{
    TiXmlElement* element = block.FirstChildElement(key);
    element->Clear();
    element->InsertEndChild(TiXmlText(text));
}

} // namespace

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

// A course that cannot be read, opened through Load World...: the box names the file and the reader's words
// with row and column, the editor stays on the world it had, and Ctrl+S never writes the damaged file.
TEST(MapEditorWindowLoadSaveRunTest, ACourseThatCannotBeReadIsNamedAndNeverOverwritten)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    MapEditorWindow* editor = Editor(game);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->GetWorld(), nullptr);
    courseLoads::ExpectUnreadableCoursesLeftAlone(game, *editor);
}

// The editor's own start-up world damaged: the editor opens without a world and says why, and Ctrl+S
// writes nothing over the file.
TEST(MapEditorWindowLoadSaveRunTest, AStartUpWorldThatCannotBeReadOpensNoWorldAndIsNeverOverwritten)
{
    for (size_t kind = 0; kind < 3; ++kind)
    {
        HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
        const std::vector<courseLoads::Damage> damaged = courseLoads::DamagedYards(game.InstallPath());
        ASSERT_GE(damaged.size(), 3u);
        const courseLoads::Damage& damage = damaged[kind];
        SCOPED_TRACE(damage.label);
        const std::string file = game.InstallPath() + "/" + MapEditorWindow::kDefaultWorld;
        std::ofstream(file, std::ios::binary | std::ios::trunc) << damage.text;
        courseLoads::ShownBox box;
        courseLoads::AnswerBox(game, MessageBoxWindow::kOkName, box);
        courseLoads::SaveWithCtrlS(game);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.RunScript(3));
        MapEditorWindow* editor = Editor(game);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->GetWorld(), nullptr);
        EXPECT_EQ(editor->GetFileNameBox()->GetText(), MapEditorWindow::kNoWorld);
        EXPECT_TRUE(box.shown);
        EXPECT_NE(box.Text().find(std::string(MapEditorWindow::kDefaultWorld) + ":"), std::string::npos)
            << box.Text();
        EXPECT_NE(box.Text().find("\n" + damage.error + ".\n"), std::string::npos) << box.Text();
        EXPECT_EQ(testsupport::courseSaves::ReadWhole(file), damage.text);
    }
}

// The load's box for a course of many malformed values and two entities left out for a repeated id: the two
// come first, under words of their own, each on a line with the entity that holds the id; a name holding the
// box's own mark-up shows as typed without changing the box's look, and a 5,000-character name is shortened
// around its middle.
TEST(MapEditorWindowLoadSaveRunTest, TheLoadBoxNamesEveryEntityLeftOutFirstAndShowsTheFilesTextAsText)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    MapEditorWindow* editor = Editor(game);
    ASSERT_NE(editor, nullptr);
    const std::string install = game.InstallPath();
    const size_t planted = testsupport::MalformedCourse::Write(install, "Worlds/left_out.xml").size();
    ASSERT_GT(planted, MapEditorWindow::kMalformedLines + 2);

    TiXmlDocument document;
    ASSERT_TRUE(document.LoadFile(install + "/Worlds/left_out.xml"));
    const std::string markupName = "</text><text color 1 0 0 1>RED";
    const std::string longName(5000, 'x');
    // The last two entities take the first one's id.
    const std::string id = EntityAt(document, 0)->FirstChildElement("entityID")->GetText();
    const std::string holder = std::string(EntityAt(document, 0)->FirstChildElement("type")->GetText()) +
                               " \"" + EntityAt(document, 0)->FirstChildElement("name")->GetText() + "\"";
    int count = 0;
    while (EntityAt(document, count) != nullptr)
        ++count;
    ASSERT_GT(count, 3);
    TiXmlElement* longOne = EntityAt(document, count - 2);
    TiXmlElement* markupOne = EntityAt(document, count - 1);
    SetKey(*longOne, "entityID", id);
    SetKey(*longOne, "name", longName);
    SetKey(*markupOne, "entityID", id);
    SetKey(*markupOne, "name", markupName);
    const std::string longType = longOne->FirstChildElement("type")->GetText();
    const std::string markupType = markupOne->FirstChildElement("type")->GetText();
    ASSERT_TRUE(document.SaveFile(install + "/Worlds/left_out.xml"));

    courseLoads::LoadThroughTheDialog(game, *editor, "Worlds\\left_out");
    courseLoads::ShownBox box;
    courseLoads::AnswerBox(game, MessageBoxWindow::kOkName, box);
    ASSERT_TRUE(game.RunScript(3));
    ASSERT_TRUE(box.shown);
    ASSERT_NE(editor->GetWorld(), nullptr);
    EXPECT_EQ(editor->GetWorldName(), "left_out.xml");

    const std::vector<std::string> lines = courseLoads::Lines(box.Text());
    ASSERT_GE(lines.size(), 5u) << box.Text();
    EXPECT_EQ(lines[0], MapEditorWindow::kLeftOutIntro);
    EXPECT_EQ(lines[1].rfind(longType + " \"xxxxxxxxxx", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find("...xxx"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("\" (id " + id + "): entityID \"" + id + "\""), std::string::npos) << lines[1];
    EXPECT_LT(lines[1].size(), 100u);
    EXPECT_EQ(lines[2], markupType + " \"" + markupName + "\" (id " + id + "): entityID \"" + id +
                            "\", already " + holder);
    EXPECT_EQ(lines[3], MapEditorWindow::kMalformedIntro);
    // The box runs to its end: the kept values are counted past the ones it names.
    EXPECT_EQ(lines.back().rfind("and ", 0), 0u) << box.Text();
    EXPECT_EQ(lines.size(), 4 + MapEditorWindow::kMalformedLines + 1) << box.Text();
    // One look for the whole text: the name's mark-up is not read as mark-up.
    for (const courseLoads::ShownBox::Piece& piece : box.pieces)
    {
        EXPECT_EQ(piece.font, MapEditorWindow::kMalformedFont) << piece.text;
        const kaColor& first = box.pieces.front().color;
        EXPECT_TRUE(piece.color.r == first.r && piece.color.g == first.g && piece.color.b == first.b &&
                    piece.color.a == first.a)
            << piece.text;
    }
}

// A course whose load left out an entity: Ctrl+S asks first and names it; Cancel writes nothing, Save
// writes the course without it.
TEST(MapEditorWindowLoadSaveRunTest, ASaveThatWouldLeaveOutEntitiesAsksFirst)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    MapEditorWindow* editor = Editor(game);
    ASSERT_NE(editor, nullptr);
    courseLoads::ExpectSaveAsksBeforeLeavingOut(game, *editor);
}

// A course made read-only to protect it: Ctrl+S says so and writes nothing; Save World As... saves elsewhere.
TEST(MapEditorWindowLoadSaveRunTest, AReadOnlyCourseIsNeverReplacedAndSaveAsSavesElsewhere)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    MapEditorWindow* editor = Editor(game);
    ASSERT_NE(editor, nullptr);
    courseLoads::ExpectReadOnlyCourseKeptAndSavedAs(game, *editor);
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

// Blocks pasted where no reader takes them and ids no run takes: each named in the load box, every entity
// kept under an id a run takes, and each block written back where it stood through two saves. A course's own
// values that cannot be used are named and written back as the file gave them, as the course editor does.
TEST(MapEditorWindowLoadSaveRunTest, BlocksNotReadAndUnusableIdsAreNamedAndKeptThroughTwoSaves)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    MapEditorWindow* editor = Editor(game);
    ASSERT_NE(editor, nullptr);
    courseLoads::ExpectUnreadBlocksAndUnusableIdsKept(game, *editor);
    courseLoads::ExpectCourseValuesKeptAsRead(game, *editor);
}

// A value the load could not read, set in the engine editor's property sheet to the value it shows or
// another: the save writes what was typed, and a row left alone keeps its text.
TEST(MapEditorWindowLoadSaveRunTest, ARowTheDesignerSetsReplacesTheTextKeptAsReadWhateverItsValue)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    MapEditorWindow* editor = Editor(game);
    ASSERT_NE(editor, nullptr);
    testsupport::MalformedCourse::ExpectSetRowsReplaceKeptValues(game, *editor, "properties button",
                                                                 "properties menu");
}
