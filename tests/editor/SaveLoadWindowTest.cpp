#include "editor/SaveLoadWindow.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

// The application's raw mouse kind for button 0.
constexpr int kMouseButton0 = 4;

// The dialog as the running game builds it, over folders of the install written by each test.
class SaveLoadWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        ASSERT_TRUE(m_Game.RunScript());
        guiWindow* window = m_Game.Gui().FindWindow(SaveLoadWindow::kWindowName);
        ASSERT_NE(window, nullptr);
        m_Dialog = window->DynamicCast<SaveLoadWindow>();
        ASSERT_NE(m_Dialog, nullptr);
        ASSERT_NE(m_Dialog->GetFileList(), nullptr);
        ASSERT_NE(m_Dialog->GetFileNameBox(), nullptr);
        ASSERT_NE(m_Dialog->GetFileNameLabel(), nullptr);
        ASSERT_NE(m_Dialog->GetOkButton(), nullptr);
        ASSERT_NE(m_Dialog->GetCancelButton(), nullptr);
        ASSERT_NE(m_Dialog->GetBackgroundImage(), nullptr);
    }

    void Write(const std::string& relative)
    {
        const std::filesystem::path path = std::filesystem::path(m_Game.Install().Path()) / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "<World/>\n";
    }

    // Configures the dialog as the editor's commands do and shows it without waiting.
    void Open(const std::string& folder, int32_t mode, bool rowsWithFolder = true)
    {
        m_Dialog->SetFolder(folder);
        m_Dialog->SetRowsWithFolder(rowsWithFolder);
        m_Dialog->SetMode(mode);
        m_Game.Gui().ShowWindow(m_Dialog, false);
    }

    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        guiListBox* list = m_Dialog->GetFileList();
        for (int32_t row = 0; row < list->GetUsedRows(); ++row)
        {
            list->SelectRow(row, false);
            rows.push_back(list->GetSelectedText());
        }
        return rows;
    }

    bool OkEnabled() const { return m_Dialog->GetOkButton()->GetState() != guiButton::kDisabled; }
    std::string Name() const { return m_Dialog->GetFileNameBox()->GetText(); }

    // A press and a release in the middle of a row of the list, each in a frame of its own.
    void ClickRow(int32_t row)
    {
        m_Game.Queue([] {});
        m_Game.Queue(
            [this, row]
            {
                guiListBox* list = m_Dialog->GetFileList();
                const platform::Rect& rect = list->GetHitRect();
                int32_t y = rect.top;
                for (int32_t above = 0; above < row; ++above)
                    y += list->GetRowHeight(above);
                m_Game.Gui().SetCursorPosition((rect.left + rect.right) / 2, y + list->GetRowHeight(row) / 2);
                m_Game.App().OnMouse(kMouseButton0, 1, 0, 0);
            });
        m_Game.Queue([this] { m_Game.App().OnMouse(kMouseButton0, 0, 0, 0); });
    }

    HeadlessGame m_Game;
    SaveLoadWindow* m_Dialog = nullptr;
};

} // namespace

TEST_F(SaveLoadWindowTest, ListsTheCoursesOfTheFolderWithoutTheirEndingAndNamesTheFirst)
{
    Write("Worlds/track1.xml");
    Write("Courses/track1.xml");
    Write("Courses/double.xml.xml");
    Write("Courses/notes.txt");
    Write("Courses/inner/deeper.xml");

    Open("Worlds", SaveLoadWindow::kLoad);
    const std::vector<std::string> worlds = Rows();
    EXPECT_NE(std::find(worlds.begin(), worlds.end(), "Worlds\\track1"), worlds.end());
    const int32_t track = m_Dialog->GetFileList()->FindRow("Worlds\\track1", 0);
    ASSERT_GE(track, 0);
    m_Dialog->GetFileList()->SelectRow(track, true);
    EXPECT_EQ(Name(), "track1");
    EXPECT_EQ(m_Dialog->GetSelectedPath(), "Worlds\\track1");

    // Each time it is shown the list is made again, the first row chosen.
    Open("Courses", SaveLoadWindow::kLoad);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Courses\\double", "Courses\\track1"}));
    m_Game.Gui().HideWindow(m_Dialog, 2);
    Open("Courses", SaveLoadWindow::kLoad);
    EXPECT_EQ(m_Dialog->GetFileList()->GetSelectedRow(), 0);
    EXPECT_EQ(Name(), "double");
    EXPECT_TRUE(OkEnabled());

    // Rows without the folder still give the path with it.
    m_Game.Gui().HideWindow(m_Dialog, 2);
    Open("Courses", SaveLoadWindow::kLoad, false);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"double", "track1"}));
    m_Dialog->GetFileList()->SelectRow(1, true);
    EXPECT_EQ(m_Dialog->GetSelectedPath(), "Courses\\track1");
    m_Dialog->GetFileList()->ClearSelection(true);
    EXPECT_EQ(m_Dialog->GetSelectedPath(), "");
}

TEST_F(SaveLoadWindowTest, AnEmptyFolderListsNothingAndLeavesOkAsItWasInLoadMode)
{
    std::filesystem::create_directories(std::filesystem::path(m_Game.Install().Path()) / "Empty");
    for (const bool before : {false, true})
    {
        SCOPED_TRACE(before);
        m_Dialog->GetOkButton()->SetEnabled(before);
        Open("Empty", SaveLoadWindow::kLoad);
        EXPECT_EQ(m_Dialog->GetFileList()->GetUsedRows(), 0);
        EXPECT_EQ(OkEnabled(), before);
        EXPECT_EQ(m_Dialog->GetSelectedPath(), "");
        m_Game.Gui().HideWindow(m_Dialog, 2);
    }
    // A folder that is not there lists nothing either.
    Open("Missing", SaveLoadWindow::kLoad);
    EXPECT_EQ(m_Dialog->GetFileList()->GetUsedRows(), 0);
}

TEST_F(SaveLoadWindowTest, ClearingTheChoiceTurnsOkOffInLoadModeOnly)
{
    Write("Courses/a.xml");
    Write("Courses/b.xml");
    const struct
    {
        int32_t mode;
        bool okAfterClearing;
    } cases[] = {{SaveLoadWindow::kLoad, false}, {SaveLoadWindow::kSave, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.mode);
        Open("Courses", c.mode);
        m_Dialog->GetFileList()->SelectRow(1, true);
        EXPECT_TRUE(OkEnabled());
        EXPECT_EQ(Name(), "b");
        m_Dialog->GetFileList()->ClearSelection(true);
        EXPECT_EQ(OkEnabled(), c.okAfterClearing);
        // The name field keeps the last choice: only choosing a row changes it.
        EXPECT_EQ(Name(), "b");
        m_Dialog->GetFileList()->SelectRow(0, true);
        EXPECT_TRUE(OkEnabled());
        m_Game.Gui().HideWindow(m_Dialog, 2);
    }
}

TEST_F(SaveLoadWindowTest, SavingKeepsTheNameWrittenBeforeShowingUntilARowIsChosen)
{
    Write("Courses/a.xml");
    Write("Courses/b.xml");
    m_Dialog->GetFileNameBox()->SetText("my course");
    Open("Courses", SaveLoadWindow::kSave);
    EXPECT_EQ(m_Dialog->GetFileList()->GetUsedRows(), 2);
    EXPECT_EQ(Name(), "my course");
    EXPECT_TRUE(OkEnabled());
    m_Dialog->GetFileList()->SelectRow(1, true);
    EXPECT_EQ(Name(), "b");
}

TEST_F(SaveLoadWindowTest, TheModeShowsOrHidesTheNameFieldAndTheCaptionPicksThePicture)
{
    m_Dialog->GetOkButton()->SetEnabled(false);
    m_Dialog->SetMode(SaveLoadWindow::kSave);
    EXPECT_EQ(m_Dialog->GetMode(), SaveLoadWindow::kSave);
    EXPECT_TRUE(OkEnabled());
    EXPECT_TRUE(m_Dialog->GetFileNameBox()->IsVisible());
    EXPECT_TRUE(m_Dialog->GetFileNameLabel()->IsVisible());
    EXPECT_EQ(m_Dialog->GetFocusedWidget(), m_Dialog->GetFileNameBox());

    m_Dialog->SetMode(SaveLoadWindow::kLoad);
    EXPECT_FALSE(m_Dialog->GetFileNameBox()->IsVisible());
    EXPECT_FALSE(m_Dialog->GetFileNameLabel()->IsVisible());
    // Another value is kept and changes nothing else.
    m_Dialog->SetMode(5);
    EXPECT_EQ(m_Dialog->GetMode(), 5);
    EXPECT_FALSE(m_Dialog->GetFileNameBox()->IsVisible());

    const struct
    {
        const char* caption;
        const char* picture;
    } captions[] = {
        {"Save World As", "ui/editor/art/loadfile/saveback.tga"},
        {"Load World", "ui/editor/art/loadfile/back.tga"},
        {"save world as", "ui/editor/art/loadfile/back.tga"},
        {"", "ui/editor/art/loadfile/back.tga"},
    };
    for (const auto& c : captions)
    {
        m_Dialog->SetBackground(c.caption);
        EXPECT_EQ(m_Dialog->GetBackgroundImage()->GetFilename(), c.picture) << c.caption;
    }
}

TEST_F(SaveLoadWindowTest, ShownModallyAClickedRowAndOkReturnOneWithThatRowsPath)
{
    Write("Courses/alpha.xml");
    Write("Courses/beta.xml");
    Write("Courses/gamma.xml");
    m_Dialog->SetBackground("Load World");
    m_Dialog->SetFolder("Courses");
    m_Dialog->SetRowsWithFolder(true);
    m_Dialog->SetMode(SaveLoadWindow::kLoad);
    ClickRow(2);
    m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Dialog, true), gui::kModalDone);
    EXPECT_EQ(m_Dialog->GetSelectedPath(), "Courses\\gamma");
    EXPECT_FALSE(m_Dialog->IsVisible());

    m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kCancelName);
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Dialog, true), gui::kModalCancelled);

    // Two presses on a row in quick succession confirm like ok.
    m_Game.SetClockStep(0.0);
    ClickRow(1);
    ClickRow(1);
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Dialog, true), gui::kModalDone);
    EXPECT_EQ(m_Dialog->GetSelectedPath(), "Courses\\beta");
}

TEST_F(SaveLoadWindowTest, InSaveModeATypedNameComesBackFromTheNameField)
{
    Write("Courses/alpha.xml");
    m_Dialog->SetBackground("Save World As");
    m_Dialog->SetFolder("Courses");
    m_Dialog->GetFileNameBox()->SetText("");
    m_Dialog->SetMode(SaveLoadWindow::kSave);
    m_Game.Type("Track");
    m_Game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Dialog, true), gui::kModalDone);
    EXPECT_EQ(m_Dialog->GetFileName(), "Track");
}
