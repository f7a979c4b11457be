#include "editor/MapEditorWindow.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/MainWindow.h"
#include "game/world/WorldInfo.h"
#include "tests/support/engine/gui/ListRowPoint.h"
#include "tests/support/game/CourseLoadChecks.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ShopContent.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

using testsupport::HeadlessGame;

namespace
{

// The generated courses; the shop sells the proving ground's arena.
class CourseSelectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The locks come from the test's own shop items only.
        testsupport::EmptyContentFolder(m_Game.Install(), "Data/stuntshop");
        ASSERT_TRUE(m_Game.Start());
        m_Window =
            m_Game.Gui().FindWindow(CourseSelectWindow::kWindowName)->DynamicCast<CourseSelectWindow>();
        ASSERT_NE(m_Window, nullptr);
        auto item = std::make_unique<ShopItem>();
        item->SetLockedEntity(kLockedArena);
        m_Game.App().GetShopItems().push_back(std::move(item));
        m_Player = m_Game.App().CreatePlayer("Ann");
        m_Game.App().SetCurrentPlayer(m_Player);
        ASSERT_GE(m_Game.App().GetWorldCount(), 2);
        ASSERT_GE(Index(kLockedCourse), 0);
    }

    int32_t Index(const std::string& name)
    {
        for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
            if (m_Game.App().GetWorldInfo(i)->GetName() == name)
                return i;
        return -1;
    }

    std::string Cell(int32_t row, int32_t column) const
    {
        guiGlyph* cell = m_Window->GetGrid()->GetCell(row, column);
        auto* box = cell != nullptr ? cell->DynamicCast<guiTextBox>() : nullptr;
        return box != nullptr ? box->GetText() : "<none>";
    }

    bool ContinueShown() const { return m_Window->FindChild(CourseSelectWindow::kContinueName)->IsVisible(); }
    bool LockShown() const { return m_Window->FindChild(CourseSelectWindow::kLockedName)->IsVisible(); }

    static constexpr const char* kLockedArena = "ProvingGround";
    static constexpr const char* kLockedCourse = "Proving Ground";
    HeadlessGame m_Game;
    CourseSelectWindow* m_Window = nullptr;
    tvPlayer* m_Player = nullptr;
};

} // namespace

TEST_F(CourseSelectTest, NameAndDesignerRowsMarkedLockedUntilTheArenaIsBought)
{
    Tarvolin& app = m_Game.App();
    m_Window->OnShow();
    guiGrid* grid = m_Window->GetGrid();
    EXPECT_EQ(grid->GetColumnWidth(0), 340);
    EXPECT_EQ(grid->GetColumnWidth(1), 340);
    ASSERT_EQ(int32_t(grid->GetRowCount()), app.GetWorldCount());
    for (const bool bought : {false, true})
    {
        if (bought)
        {
            m_Player->Unlock(kLockedArena);
            m_Window->OnShow();
            EXPECT_EQ(int32_t(grid->GetRowCount()), app.GetWorldCount());
        }
        for (int32_t i = 0; i < app.GetWorldCount(); ++i)
        {
            const WorldInfo* course = app.GetWorldInfo(i);
            const bool locked = !bought && course->GetArena() == kLockedArena;
            EXPECT_EQ(Cell(i, 0), course->GetName() + (locked ? " <locked>" : "")) << i;
            EXPECT_EQ(Cell(i, 1), course->GetDesigner()) << i;
        }
    }
}

// Every course the game ships names the studio as its designer in the list.
TEST_F(CourseSelectTest, TheShippedCoursesShowTheStudioAsTheirDesigner)
{
    m_Window->OnShow();
    for (const char* name : {"Proving Ground", "Token Arena", "Gear Run", "Stunt Yard"})
    {
        const int32_t row = Index(name);
        ASSERT_GE(row, 0) << name;
        EXPECT_EQ(Cell(row, 1), "Kalder Arts") << name;
    }
}

TEST_F(CourseSelectTest, ALockedRowHidesContinueAndShowsTheLock)
{
    m_Window->OnShow();
    const int32_t locked = Index(kLockedCourse);
    const int32_t free = locked == 0 ? 1 : 0;
    const struct
    {
        int32_t row;
        bool continueShown;
    } picks[] = {{locked, false}, {free, true}, {locked, false}};
    for (const auto& pick : picks)
    {
        m_Window->GetGrid()->SelectRow(pick.row, true);
        EXPECT_EQ(ContinueShown(), pick.continueShown) << pick.row;
        EXPECT_EQ(LockShown(), !pick.continueShown) << pick.row;
    }
}

TEST_F(CourseSelectTest, BackAndReturnReselectTheSameRow)
{
    m_Game.Gui().ShowWindow(m_Window, false);
    const int32_t row = m_Game.App().GetWorldCount() - 1;
    m_Window->GetGrid()->SelectRow(row, true);
    EXPECT_TRUE(m_Window->OnBack());
    EXPECT_EQ(m_Window->GetRememberedIndex(), row);
    m_Window->GetGrid()->SelectRow(0, false);
    m_Game.Gui().HideWindow(m_Window, 1);
    m_Game.Gui().ShowWindow(m_Window, false);
    EXPECT_EQ(m_Window->GetGrid()->GetSelectedRow(), row);
}

TEST_F(CourseSelectTest, ContinueHandsOnTheCoursePathAndStartsItButNotALockedOne)
{
    Tarvolin& app = m_Game.App();
    app.SetVehicleName("Charger");
    app.SetGameMode(0);
    m_Window->OnShow();
    app.SetLevelPath("unchanged");
    app.SetLevelPathCopy("unchanged");
    m_Window->GetGrid()->SelectRow(Index(kLockedCourse), true);
    EXPECT_FALSE(m_Window->OnContinue());
    EXPECT_EQ(app.GetLevelPath(), "unchanged");
    EXPECT_EQ(app.GetLevelPathCopy(), "unchanged");
    EXPECT_EQ(app.GetCurrentWorld(), nullptr);

    const int32_t free = Index("Token Arena");
    ASSERT_GE(free, 0);
    m_Window->GetGrid()->SelectRow(free, true);
    app.QueueThemeMusic(true);
    EXPECT_TRUE(m_Window->OnContinue());
    const std::string path = app.GetWorldInfo(free)->GetFilePath();
    EXPECT_EQ(app.GetLevelPath(), path);
    EXPECT_EQ(app.GetLevelPathCopy(), path);
    EXPECT_FALSE(app.IsThemeMusicQueued());
    EXPECT_NE(app.GetCurrentWorld(), nullptr);
    EXPECT_NE(app.GetPlayerVehicle(), nullptr);
    EXPECT_EQ(m_Window->GetRememberedIndex(), free);
}

// With no course at all Continue has nothing to hand on.
TEST(CourseSelectEmptyTest, ContinueAnswersFalseAndChangesNothing)
{
    HeadlessGame game;
    std::filesystem::remove_all(game.Install().File("Worlds"));
    ASSERT_TRUE(game.Start());
    auto* window = game.Gui().FindWindow(CourseSelectWindow::kWindowName)->DynamicCast<CourseSelectWindow>();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(game.App().GetWorldCount(), 0);
    window->OnShow();
    game.App().SetLevelPath("unchanged");
    EXPECT_FALSE(window->OnContinue());
    EXPECT_EQ(game.App().GetLevelPath(), "unchanged");
    EXPECT_EQ(game.App().GetCurrentWorld(), nullptr);
}

// The editor's worlds (Sample Course among them) have nothing to play for: neither the hub nor the course
// select lists them, while every course of the course folder is there.
TEST_F(CourseSelectTest, TheEditorsWorldsAreInNoCourseList)
{
    std::set<std::string> editorWorlds;
    for (const auto& entry : std::filesystem::directory_iterator(m_Game.Install().File("Worlds/Editor")))
    {
        WorldInfo world;
        ASSERT_TRUE(world.Load(entry.path().string()));
        editorWorlds.insert(world.GetName());
    }
    ASSERT_EQ(editorWorlds.count("Sample Course"), 1u);
    size_t courses = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_Game.Install().File("Worlds")))
        courses += entry.is_regular_file() ? 1 : 0;
    ASSERT_EQ(size_t(m_Game.App().GetWorldCount()), courses);

    m_Player->Unlock(kLockedArena);
    m_Window->OnShow();
    auto* career = m_Game.Gui().FindWindow(CareerWindow::kWindowName)->DynamicCast<CareerWindow>();
    ASSERT_NE(career, nullptr);
    career->OnShow();
    const struct
    {
        const char* list;
        guiGrid* grid;
        int32_t column;
    } lists[] = {{"course select", m_Window->GetGrid(), 0},
                 {"hub", career->GetGrid(), CareerWindow::kNameColumn}};
    for (const auto& list : lists)
    {
        ASSERT_EQ(list.grid->GetRowCount(), courses) << list.list;
        for (int32_t row = 0; row < int32_t(list.grid->GetRowCount()); ++row)
        {
            guiGlyph* cell = list.grid->GetCell(row, list.column);
            auto* box = cell != nullptr ? cell->DynamicCast<guiTextBox>() : nullptr;
            ASSERT_NE(box, nullptr) << list.list << " " << row;
            EXPECT_EQ(editorWorlds.count(box->GetText()), 0u) << list.list << ": " << box->GetText();
            EXPECT_EQ(box->GetText(), m_Game.App().GetWorldInfo(row)->GetName()) << list.list;
        }
    }
}

// The engine editor's Save World As puts its terrain world among the courses, with no venue to drive on. The
// game's course list does not offer it, and a career whose level names it refuses to start it: a message
// names the file and the player is back on the hub, with no course and no vehicle.
TEST(CourseSelectRealInputTest, AWorldWithoutAVenueIsNeitherOfferedNorStarted)
{
    testsupport::TempDir install;
    HeadlessGame::CopyContent(install.Path());
    {
        HeadlessGame::Options options = HeadlessGame::EngineEditorWithSdlInput();
        options.install = install.Path();
        HeadlessGame editor(options);
        ASSERT_TRUE(editor.Start());
        ASSERT_TRUE(editor.RunScript());
        auto* window = dynamic_cast<MapEditorWindow*>(editor.Gui().FindWindow(MapEditorWindow::kWindowName));
        ASSERT_NE(window, nullptr);
        ASSERT_NE(window->GetWorld(), nullptr);
        ASSERT_EQ(window->GetWorld()->GetVenueEntity(), nullptr);
        editor.Click(window->GetName(), "file button");
        editor.ClickAt(
            [window](int32_t& x, int32_t& y)
            {
                return testsupport::ListRowPoint(window->FindChild("file menu")->DynamicCast<guiListBox>(),
                                                 "Save World As...", x, y);
            });
        testsupport::courseLoads::NameInTheSaveDialog(editor, "terrain");
        ASSERT_TRUE(editor.RunScript());
    }
    ASSERT_TRUE(install.Exists("Worlds/terrain.xml"));
    // A career list naming it first, as a hand edit or an older install may.
    const std::string levels = install.Read("InitData/ProvingGround.xml");
    const std::string first = "<Level>Worlds\\proving_ground.xml</Level>";
    ASSERT_NE(levels.find(first), std::string::npos);
    std::ofstream(install.File("InitData/ProvingGround.xml")) << std::string(levels).replace(
        levels.find(first), first.size(), "<Level>Worlds\\terrain.xml</Level>");

    HeadlessGame::Options options;
    options.sdlInput = true;
    options.install = install.Path();
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    Tarvolin& app = game.App();
    app.CreatePlayer("Ann");
    game.Gui().FindWindow(MainWindow::kWindowName)->OnShow();
    game.Click(MainWindow::kWindowName, "Login Button");
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_EQ(app.GetCareerLevel(0), "Worlds\\terrain.xml");

    // The career's next level: refused, named, and back on the hub.
    game.Click(CareerWindow::kWindowName, CareerWindow::kNextLevelName);
    ASSERT_TRUE(game.RunScript(20));
    game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
    testsupport::courseLoads::ShownBox box;
    testsupport::courseLoads::AnswerBox(game, MessageBoxWindow::kOkName, box);
    ASSERT_TRUE(game.RunScript(20));
    EXPECT_TRUE(box.shown);
    EXPECT_EQ(box.Text(), std::string("The course \"Worlds\\terrain.xml") + Tarvolin::kNoVenueText);
    EXPECT_EQ(app.GetCurrentWorld(), nullptr);
    EXPECT_EQ(app.GetPlayerVehicle(), nullptr);
    EXPECT_TRUE(game.Gui().FindWindow(CareerWindow::kWindowName)->IsVisible());
    EXPECT_FALSE(game.Gui().FindWindow(CSmenu::kWindowName)->IsVisible());
    EXPECT_FALSE(game.Gui().FindWindow(windowNames::kCoursePreview)->IsVisible());

    // Practice: the course list offers the courses and not the world.
    game.Click(CareerWindow::kWindowName, CareerWindow::kPracticeName);
    ASSERT_TRUE(game.RunScript(20));
    game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
    ASSERT_TRUE(game.RunScript(20));
    auto* courses = game.Gui().FindWindow(CourseSelectWindow::kWindowName)->DynamicCast<CourseSelectWindow>();
    ASSERT_NE(courses, nullptr);
    ASSERT_TRUE(courses->IsVisible());
    std::set<std::string> offered;
    for (int32_t row = 0; row < int32_t(courses->GetGrid()->GetRowCount()); ++row)
    {
        guiGlyph* cell = courses->GetGrid()->GetCell(row, 0);
        auto* name = cell != nullptr ? cell->DynamicCast<guiTextBox>() : nullptr;
        std::string text = name != nullptr ? name->GetText() : "<none>";
        const size_t locked = text.find(CourseSelectWindow::kLockedSuffix);
        offered.insert(locked == std::string::npos ? text : text.erase(locked));
    }
    EXPECT_EQ(offered, (std::set<std::string>{"Gear Run", "Proving Ground", "Stunt Yard", "Token Arena"}));
    for (int32_t i = 0; i < app.GetWorldCount(); ++i)
        EXPECT_EQ(app.GetWorldInfo(i)->GetFilePath().find("terrain"), std::string::npos);
}
