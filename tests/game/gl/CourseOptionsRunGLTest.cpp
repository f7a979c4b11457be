#include "engine/core/kaInitDataBase.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using testsupport::HeadlessGame;

namespace
{

HeadlessGame::Options RealGraphicsOptions()
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    return options;
}

} // namespace

// A designer names a new course and chooses its venue by mouse and keys in the running game.
TEST(CourseOptionsRunGLTest, TypedNameAndChosenVenueReadBackAfterOk)
{
    HeadlessGame game(RealGraphicsOptions());
    ASSERT_TRUE(game.Start());
    game.Install().Write(
        "TestVenues/venues.xml",
        "<root><initData><uniqueID>Desert Bowl</uniqueID><dataType>Venue</dataType><data/></initData>"
        "</root>");
    ASSERT_TRUE(g_pInitDataBase->LoadInitData(game.Install().File("TestVenues")));
    game.App().SetCurrentPlayer(game.App().CreatePlayer("Ann"));
    auto* options = game.Gui().FindWindow(CourseOptions::kWindowName)->DynamicCast<CourseOptions>();
    ASSERT_NE(options, nullptr);
    options->SetNewCourse(true);

    auto cell = [options](int32_t row) { return options->GetGrid()->GetCell(row, 1); };
    auto choice = [cell]
    {
        guiGlyph* found = cell(2) != nullptr ? cell(2)->FindChild(PropertyEditor::kDropDownName) : nullptr;
        return found != nullptr ? found->DynamicCast<guiDropDown>() : nullptr;
    };
    game.ClickWidget(
        [cell]
        {
            guiGlyph* field =
                cell(0) != nullptr ? cell(0)->FindChild(PropertyEditor::kTextFieldName) : nullptr;
            return field != nullptr ? field->DynamicCast<guiWidget>() : nullptr;
        });
    game.PressKey(guiTextBox::kKeyEnd);
    for (int i = 0; i < 12; ++i)
        game.PressKey(guiTextBox::kKeyBackspace);
    game.Type("Canyon Run");
    game.ClickWidget([choice]() -> guiWidget*
                     { return choice() != nullptr ? choice()->GetButton() : nullptr; });
    game.Queue([choice] { EXPECT_TRUE(choice()->IsOpen()); });
    bool shot = false;
    game.Queue([] {});
    game.Queue([&] { shot = game.SaveCapture("course_options"); });
    game.ClickAt(
        [choice](int32_t& x, int32_t& y)
        {
            guiListBox* list = choice()->GetList();
            const int32_t row = list->FindRow("SampleArena", 0);
            if (row < 0)
                return false;
            const platform::Rect& rect = list->GetHitRect();
            x = rect.left + 20;
            y = rect.top + list->GetRowHeight(0) * row + list->GetRowHeight(0) / 2;
            return true;
        });
    game.Queue(
        [&]
        {
            EXPECT_FALSE(choice()->IsOpen());
            EXPECT_EQ(options->GetRowText(2), "SampleArena");
        });
    game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);

    EXPECT_EQ(game.Gui().ShowWindow(options, true), 1);
    EXPECT_EQ(game.PendingSteps(), 0u);
    EXPECT_EQ(options->GetCourseName(), "Canyon Run");
    EXPECT_EQ(options->GetVenue(), "SampleArena");
    EXPECT_EQ(options->GetPointTarget(), "20");
    EXPECT_EQ(options->GetTimeLimit(), "2:00");
    EXPECT_TRUE(shot);
    EXPECT_TRUE(std::filesystem::exists(HeadlessGame::ScreenshotFolder() + "/course_options.tga"));
}
