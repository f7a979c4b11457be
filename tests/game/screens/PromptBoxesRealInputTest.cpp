#include "editor/SaveLoadWindow.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/MainWindow.h"
#include "game/screens/NewPlayerWindow.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "game/screens/courseeditor/tvMapEditorWindow.h"
#include "tests/support/engine/gui/ListRowPoint.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

constexpr const char* kPromptVenue = "ProvingGround";
// Frames for an animated switch between screens to finish.
constexpr int kPromptSwitchFrames = 20;

void PromptIdle(HeadlessGame& game, int frames)
{
    for (int frame = 0; frame < frames; ++frame)
        game.Queue([] {});
}

guiTextBox* PromptNameBox(HeadlessGame& game)
{
    guiGlyph* box = game.FindWidget(NewPlayerWindow::kWindowName, NewPlayerWindow::kNameBox);
    return box != nullptr ? box->DynamicCast<guiTextBox>() : nullptr;
}

CourseOptions* PromptOptions(HeadlessGame& game)
{
    return dynamic_cast<CourseOptions*>(game.Gui().FindWindow(CourseOptions::kWindowName));
}

guiTextBox* PromptOptionsField(HeadlessGame& game, int32_t row)
{
    CourseOptions* options = PromptOptions(game);
    guiGlyph* cell = options != nullptr ? options->GetGrid()->GetCell(row, 1) : nullptr;
    guiGlyph* field = cell != nullptr ? cell->FindChild(PropertyEditor::kTextFieldName) : nullptr;
    return field != nullptr ? field->DynamicCast<guiTextBox>() : nullptr;
}

SaveLoadWindow* PromptSaveDialog(HeadlessGame& game)
{
    return dynamic_cast<SaveLoadWindow*>(game.Gui().FindWindow(SaveLoadWindow::kWindowName));
}

guiTextBox* PromptFileNameBox(HeadlessGame& game)
{
    SaveLoadWindow* dialog = PromptSaveDialog(game);
    return dialog != nullptr ? dialog->GetFileNameBox() : nullptr;
}

tvMapEditorWindow* PromptEditor(HeadlessGame& game)
{
    return dynamic_cast<tvMapEditorWindow*>(game.Gui().FindWindow(tvMapEditorWindow::kWindowName));
}

// A click on the row of a list that holds the text, where the list draws it.
void PromptClickRow(HeadlessGame& game, const std::function<guiGrid*()>& list, const std::string& text)
{
    game.ClickAt([list, text](int32_t& x, int32_t& y)
                 { return testsupport::ListRowPoint(list(), text, x, y); });
}

// The course editor's file button, then the row of its menu.
void PromptFileMenu(HeadlessGame& game, const char* row)
{
    game.Click(tvMapEditorWindow::kWindowName, "file button");
    PromptClickRow(
        game,
        [&game]() -> guiGrid*
        {
            tvMapEditorWindow* editor = PromptEditor(game);
            guiGlyph* menu = editor != nullptr ? editor->FindChild("file menu") : nullptr;
            return menu != nullptr ? menu->DynamicCast<guiListBox>() : nullptr;
        },
        row);
}

// One box as a player meets it: how it comes up, what it shows then, whether and where it is clicked, what
// is typed and what it must then hold.
struct PromptBoxCase
{
    const char* box;
    const char* reached;
    std::function<void(HeadlessGame&)> reach;
    std::function<guiTextBox*(HeadlessGame&)> find;
    const char* shows;
    // Fraction of the box's width the click lands at; negative: no click, the keys go to the focus.
    double across;
    const char* typed;
    const char* holds;
    // What the player does after typing, such as Ok.
    std::function<void(HeadlessGame&)> after;
};

} // namespace

// Every text box a player meets with a text in it before typing, on the way from a first driver to a
// saved course, with the real pointer and keys: whether clicked at its start, middle or end or not clicked
// at all, it holds exactly what was typed, nothing of what it showed left around it.
TEST(PromptBoxesRealInputTest, EveryBoxAPlayerMeetsHoldsExactlyWhatWasTyped)
{
    auto newDriver = [](HeadlessGame& game) { game.Click(MainWindow::kWindowName, "New Driver Button"); };
    auto driverOk = [](HeadlessGame& game)
    { game.Click(NewPlayerWindow::kWindowName, NewPlayerWindow::kOkName); };
    auto optionsField = [](int32_t row)
    { return [row](HeadlessGame& game) { return PromptOptionsField(game, row); }; };
    auto saveAs = [](HeadlessGame& game) { PromptFileMenu(game, "Save World As..."); };
    auto saveOk = [](HeadlessGame& game)
    { game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName); };
    auto nothing = [](HeadlessGame&) {};
    const PromptBoxCase cases[] = {
        {"New Driver's name", "main window, New Driver, the first time", newDriver, PromptNameBox,
         NewPlayerWindow::kPrompt, 0.5, "Zachary", "Zachary", driverOk},
        {"New Driver's name", "New Driver again after Zachary was made", newDriver, PromptNameBox,
         NewPlayerWindow::kPrompt, 0.9, "Wilhelmina", "Wilhelmina", driverOk},
        {"New Driver's name", "New Driver a third time, not clicked", newDriver, PromptNameBox,
         NewPlayerWindow::kPrompt, -1.0, "Yusuf", "Yusuf", driverOk},
        {"course options' name", "Login, Course Editor, File > New",
         [](HeadlessGame& game)
         {
             game.Click(MainWindow::kWindowName, "Login Button");
             PromptIdle(game, kPromptSwitchFrames);
             game.Click(CareerWindow::kWindowName, CareerWindow::kCourseEditorName);
             PromptIdle(game, kPromptSwitchFrames);
             PromptFileMenu(game, "New");
         },
         optionsField(0), CourseOptions::kDefaultName, 0.05, "Quarry", "Quarry", nothing},
        {"course options' point target", "the same dialog", nothing, optionsField(3),
         CourseOptions::kDefaultPointTarget, 0.97, "35", "35", nothing},
        {"course options' time limit", "the same dialog", nothing, optionsField(4),
         CourseOptions::kDefaultTimeLimit, 0.5, "1:30", "1:30",
         [](HeadlessGame& game)
         {
             auto venues = [&game]() -> guiDropDown*
             {
                 CourseOptions* options = PromptOptions(game);
                 guiGlyph* cell = options != nullptr ? options->GetGrid()->GetCell(2, 1) : nullptr;
                 guiGlyph* found = cell != nullptr ? cell->FindChild(PropertyEditor::kDropDownName) : nullptr;
                 return found != nullptr ? found->DynamicCast<guiDropDown>() : nullptr;
             };
             game.ClickWidget([venues]() -> guiWidget*
                              { return venues() != nullptr ? venues()->GetButton() : nullptr; });
             PromptClickRow(
                 game, [venues]() -> guiGrid* { return venues() != nullptr ? venues()->GetList() : nullptr; },
                 kPromptVenue);
             game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
         }},
        {"save dialog's file name", "File > Save World As on the new course, showing \"untitled\"", saveAs,
         PromptFileNameBox, "untitled", 0.9, "quarry_leap", "quarry_leap", saveOk},
        {"save dialog's file name", "File > Save World As again, showing the course's name, not clicked",
         saveAs, PromptFileNameBox, "quarry_leap.xml", -1.0, "quarry_run", "quarry_run", saveOk},
        {"save dialog's file name", "File > Save World As, a listed course's row chosen first",
         [saveAs](HeadlessGame& game)
         {
             saveAs(game);
             PromptClickRow(
                 game,
                 [&game]() -> guiGrid* {
                     return PromptSaveDialog(game) != nullptr ? PromptSaveDialog(game)->GetFileList()
                                                              : nullptr;
                 },
                 "Worlds\\quarry_leap");
         },
         PromptFileNameBox, "quarry_leap", 0.3, "quarry_end", "quarry_end", saveOk},
    };

    HeadlessGame::Options options;
    options.sdlInput = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    auto shown = std::make_shared<std::vector<std::string>>(std::size(cases), "<not reached>");
    auto held = std::make_shared<std::vector<std::string>>(std::size(cases), "<not reached>");
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const PromptBoxCase& test = cases[i];
        test.reach(game);
        const auto find = test.find;
        game.Queue(
            [&game, find, shown, i]
            {
                guiTextBox* box = find(game);
                (*shown)[i] = box != nullptr ? box->GetText() : "<no box>";
            });
        if (test.across >= 0.0)
        {
            const double across = test.across;
            game.ClickAt(
                [&game, find, across](int32_t& x, int32_t& y)
                {
                    guiTextBox* box = find(game);
                    if (box == nullptr)
                        return false;
                    const platform::Rect& rect = box->GetHitRect();
                    x = rect.left + static_cast<int32_t>((rect.right - rect.left) * across);
                    y = (rect.top + rect.bottom) / 2;
                    return true;
                });
        }
        game.Type(test.typed);
        game.Queue(
            [&game, find, held, i]
            {
                guiTextBox* box = find(game);
                (*held)[i] = box != nullptr ? box->GetText() : "<no box>";
            });
        test.after(game);
    }
    ASSERT_TRUE(game.RunScript(kPromptSwitchFrames));
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        SCOPED_TRACE(std::string(cases[i].box) + ", " + cases[i].reached);
        EXPECT_EQ((*shown)[i], cases[i].shows);
        EXPECT_EQ((*held)[i], cases[i].holds);
    }

    // What was typed is what the game made of it.
    std::vector<std::string> names;
    for (int32_t i = 0; i < game.App().GetPlayerCount(); ++i)
        names.push_back(game.App().GetPlayer(i)->GetPlayerName());
    EXPECT_EQ(names, (std::vector<std::string>{"Zachary", "Wilhelmina", "Yusuf"}));
    for (const char* saved : {"quarry_leap", "quarry_run", "quarry_end"})
        EXPECT_TRUE(std::filesystem::exists(game.Install().Path() + "/Worlds/" + saved + ".xml")) << saved;
    for (const auto& entry : std::filesystem::directory_iterator(game.Install().Path() + "/Worlds"))
        EXPECT_EQ(entry.path().filename().string().find("untitled"), std::string::npos) << entry.path();
}
