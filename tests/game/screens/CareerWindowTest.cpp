#include "game/screens/CareerWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiScrollBar.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/courseeditor/tvMapEditorWindow.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvWorld.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

using testsupport::HeadlessGame;

namespace
{

constexpr const char* kLockedArena = "Locked Canyon";

std::string CourseFile(const std::string& name, const std::string& limit, const std::string& arena)
{
    return "<World><scoreLimit>" + limit + "</scoreLimit><arena>" + arena + "</arena><name>" + name +
           "</name><Designer>Tess</Designer></World>";
}

class CareerWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        Tarvolin& app = m_Game.App();
        m_Career = m_Game.Gui().FindWindow(CareerWindow::kWindowName)->DynamicCast<CareerWindow>();
        ASSERT_NE(m_Career, nullptr);
        m_Game.Install().Write("Worlds/zz_passed.xml", CourseFile("Passed Run", "100", "SampleArena"));
        m_Game.Install().Write("Worlds/zz_tried.xml", CourseFile("Tried Run", "100", "SampleArena"));
        m_Game.Install().Write("Worlds/zz_unseen.xml", CourseFile("Unseen Run", "100", kLockedArena));
        m_Game.Install().Write("Worlds/zz_zero.xml", CourseFile("Zero Run", "0", "SampleArena"));
        m_Game.Install().Write("Worlds/zz_word.xml", CourseFile("Word Run", "lots", "SampleArena"));
        app.ScanWorlds("Worlds");
        auto item = std::make_unique<ShopItem>();
        item->SetLockedEntity(kLockedArena);
        app.GetShopItems().push_back(std::move(item));
        m_Player = app.CreatePlayer("Ann");
        app.SetCurrentPlayer(m_Player);
    }

    std::string PathOf(const std::string& name)
    {
        for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
            if (m_Game.App().GetWorldInfo(i)->GetName() == name)
                return m_Game.App().GetWorldInfo(i)->GetFilePath();
        return "";
    }

    guiTextBox* Box(guiGlyph* glyph) const
    {
        return glyph != nullptr ? glyph->DynamicCast<guiTextBox>() : nullptr;
    }

    std::string Cell(int32_t row, int32_t column) const
    {
        guiTextBox* box = Box(m_Career->GetGrid()->GetCell(row, column));
        return box != nullptr ? box->GetText() : "<none>";
    }

    int32_t RowOf(const std::string& name) const
    {
        for (int32_t row = 0; row < int32_t(m_Career->GetGrid()->GetRowCount()); ++row)
            if (Cell(row, CareerWindow::kNameColumn) == name)
                return row;
        return -1;
    }

    std::string Text(const char* name) const
    {
        guiTextBox* box = Box(m_Career->FindChild(name));
        return box != nullptr ? box->GetText() : "<none>";
    }

    HeadlessGame m_Game;
    CareerWindow* m_Career = nullptr;
    tvPlayer* m_Player = nullptr;
};

} // namespace

TEST(CareerResultTextTest, PercentOfTheTargetPassedFromAHundredAndClampedToTheIntegerRange)
{
    const int32_t top = std::numeric_limits<int32_t>::max();
    const struct
    {
        int32_t best, target;
        const char* text;
    } cases[] = {
        {150, 100, "Passed: (150%)"},  {100, 100, "Passed: (100%)"},      {99, 100, "Attempted: (99%)"},
        {50, 100, "Attempted: (50%)"}, {0, 100, "Not Attempted"},         {-3, 100, "Not Attempted"},
        {1, 0, "Passed: (100%)"},      {0, 0, "Not Attempted"},           {7, -20, "Passed: (100%)"},
        {1, 3, "Attempted: (33%)"},    {top, 1, "Passed: (2147483647%)"}, {top, 2, "Passed: (2147483647%)"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(CareerWindow::ResultText(entry.best, entry.target), entry.text)
            << entry.best << " on " << entry.target;
}

TEST(CareerResultTextTest, ScoreLimitsThatAreNoNumberKeepTheDefaultTarget)
{
    const struct
    {
        const char* text;
        int32_t target;
    } cases[] = {
        {"100", 100},
        {"lots", WorldInfo::kDefaultScoreLimit},
        {"", WorldInfo::kDefaultScoreLimit},
        {"x12", WorldInfo::kDefaultScoreLimit},
        {"0", 0},
        {"12abc", 12},
        {"-5", -5},
        {"99999999999", 2147483647},
        {"-99999999999", std::numeric_limits<int32_t>::min()},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(CareerWindow::TargetOf(entry.text), entry.target) << entry.text;
}

TEST_F(CareerWindowTest, StatisticsAndEveryCourseWithTheDriversResult)
{
    m_Player->SetTotalPointsEarned(1234);
    m_Player->SetTotalRepPoints(56);
    m_Player->SetUnspentRepPoints(7);
    m_Player->SetCourseRuns(8);
    m_Player->SetNearDeaths(9);
    m_Player->SetCareerLevel(3);
    m_Player->SetHighScore(PathOf("Passed Run"), 150);
    m_Player->SetHighScore(PathOf("Tried Run"), 50);
    m_Player->SetHighScore(PathOf("Zero Run"), 4);
    m_Player->SetHighScore(PathOf("Word Run"), 9);
    m_Career->OnShow();

    EXPECT_EQ(Text(CareerWindow::kDriverName), "Ann's Career:");
    const std::pair<const char*, const char*> stats[] = {{CareerWindow::kPointsName, "1234"},
                                                         {CareerWindow::kRepName, "56"},
                                                         {CareerWindow::kUnspentName, "7"},
                                                         {CareerWindow::kRunsName, "8"},
                                                         {CareerWindow::kNearDeathName, "9"}};
    for (const auto& stat : stats)
        EXPECT_EQ(Text(stat.first), stat.second) << stat.first;
    auto* level = m_Career->FindChild(CareerWindow::kLevelIndexName)->DynamicCast<guiText>();
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->GetText(), "4");

    guiGrid* grid = m_Career->GetGrid();
    const int32_t widths[] = {140, 10, 100, 25, 90, 15, 60};
    for (int32_t column = 0; column < 7; ++column)
        EXPECT_EQ(grid->GetColumnWidth(column), widths[column]) << column;
    EXPECT_EQ(int32_t(grid->GetRowCount()), m_Game.App().GetWorldCount());

    const struct
    {
        const char* course;
        const char* result;
        const char* score;
        bool locked;
        // Retry is offered on the courses scored on.
        bool retry;
    } rows[] = {
        {"Passed Run", "Passed: (150%)", "150 / 100", false, true},
        {"Tried Run", "Attempted: (50%)", "50 / 100", false, true},
        {"Unseen Run", "Not Attempted", "0 / 100", true, false},
        {"Zero Run", "Passed: (100%)", "4 / 0", false, true},
        {"Word Run", "Attempted: (90%)", "9 / 10", false, true},
    };
    for (const auto& row : rows)
    {
        const int32_t at = RowOf(row.course);
        ASSERT_GE(at, 0) << row.course;
        EXPECT_EQ(Cell(at, CareerWindow::kResultColumn), row.result) << row.course;
        EXPECT_EQ(Cell(at, CareerWindow::kScoreColumn), row.score) << row.course;
        guiGlyph* mark = grid->GetCell(at, CareerWindow::kLockColumn);
        EXPECT_EQ(mark != nullptr && mark->DynamicCast<guiImage>() != nullptr, row.locked) << row.course;
        guiGlyph* retry = grid->GetCell(at, CareerWindow::kRetryColumn);
        auto* button = retry != nullptr ? retry->FindChild("Retry") : nullptr;
        ASSERT_NE(button, nullptr) << row.course;
        EXPECT_EQ(button->DynamicCast<guiButton>()->GetState() != guiButton::kDisabled, row.retry)
            << row.course;
    }

    // Bought: the mark is gone at the next showing, and that showing overwrites the rows.
    m_Player->Unlock(kLockedArena);
    m_Player->SetHighScore(PathOf("Tried Run"), 120);
    m_Career->OnShow();
    EXPECT_EQ(int32_t(grid->GetRowCount()), m_Game.App().GetWorldCount());
    EXPECT_EQ(grid->GetCell(RowOf("Unseen Run"), CareerWindow::kLockColumn), nullptr);
    EXPECT_EQ(Cell(RowOf("Tried Run"), CareerWindow::kResultColumn), "Passed: (120%)");
}

// The retry button stands inside its grid cell: its picture, its caption and the caption's descenders
// stay within the row and the column, so that the grid cuts nothing and the row below stays clear.
TEST_F(CareerWindowTest, EachRetryButtonAndItsCaptionFitTheirCell)
{
    m_Career->OnShow();
    guiGrid* grid = m_Career->GetGrid();
    ASSERT_GT(grid->GetRowCount(), 0u);
    for (int32_t row = 0; row < int32_t(grid->GetRowCount()); ++row)
    {
        guiGlyph* cell = grid->GetCell(row, CareerWindow::kRetryColumn);
        ASSERT_NE(cell, nullptr) << row;
        auto* caption = cell->DynamicCast<guiCaption>();
        ASSERT_NE(caption, nullptr) << row;
        guiGlyph* button = cell->FindChild("Retry");
        ASSERT_NE(button, nullptr) << row;
        const kaPoint size = button->ToPixels(button->GetSize());
        const int32_t height = grid->GetRowHeight(row);
        EXPECT_LE(size.y, height) << row;
        EXPECT_LE(size.x, grid->GetColumnWidth(CareerWindow::kRetryColumn)) << row;
        guiText* text = caption->GetCaption();
        ASSERT_NE(text, nullptr) << row;
        const kaPoint at = text->ToPixels(text->GetPosition());
        const platform::Rect line = text->MeasureText(text->GetText());
        ASSERT_GT(line.bottom, 0) << "the caption's font is measured";
        EXPECT_GE(at.y, 0) << row;
        EXPECT_LE(at.y + line.bottom, size.y) << row;
        EXPECT_LE(at.x + line.right, size.x) << row;
    }
}

TEST_F(CareerWindowTest, WithoutADriverNothingIsFilled)
{
    m_Game.App().SetCurrentPlayer(nullptr);
    m_Career->OnShow();
    EXPECT_EQ(m_Career->GetGrid()->GetRowCount(), 0u);
    EXPECT_EQ(Text(CareerWindow::kDriverName), "");
}

TEST_F(CareerWindowTest, EachModeButtonSetsItsModeAndNextLevelStopsAtTheLastLevel)
{
    Tarvolin& app = m_Game.App();
    ASSERT_GE(app.GetCareerLevelCount(), 2);
    const struct
    {
        std::function<bool()> press;
        int32_t mode;
        int32_t careerLevel;
        std::string path;
    } cases[] = {
        {[this] { return m_Career->OnNextLevel(); }, 2, 0, app.GetCareerLevel(0)},
        {[this] { return m_Career->OnNextLevel(); }, 2, 1, app.GetCareerLevel(1)},
        {[this] { return m_Career->OnNextLevel(); }, 2, 40,
         app.GetCareerLevel(app.GetCareerLevelCount() - 1)},
        {[this] { return m_Career->OnExhibition(); }, 1, 0, "unchanged"},
        {[this] { return m_Career->OnPractice(); }, 0, 0, "unchanged"},
    };
    for (const auto& entry : cases)
    {
        app.SetLevelPath("unchanged");
        app.SetLevelPathCopy("unchanged");
        app.SetGameMode(-1);
        m_Player->SetCareerLevel(entry.careerLevel);
        EXPECT_TRUE(entry.press());
        EXPECT_EQ(app.GetGameMode(), entry.mode);
        EXPECT_EQ(app.GetLevelPath(), entry.path);
        EXPECT_EQ(app.GetLevelPathCopy(), entry.path);
    }
    // Each goes on to vehicle select.
    m_Game.Gui().ShowWindow(m_Career, false);
    m_Career->OnPractice();
    for (int frame = 0; frame < 30; ++frame)
        m_Game.Frame();
    EXPECT_TRUE(m_Game.Gui().FindWindow(CareerWindow::kCarSelect)->IsVisible());
    EXPECT_FALSE(m_Career->IsVisible());
}

TEST_F(CareerWindowTest, CourseEditorOpensTheGamesEditorWithTheEditorFlagSet)
{
    Tarvolin& app = m_Game.App();
    ASSERT_FALSE(app.IsEditor());
    m_Game.Gui().ShowWindow(m_Career, false);
    EXPECT_TRUE(m_Career->OnCourseEditor());
    for (int frame = 0; frame < 30; ++frame)
        m_Game.Frame();
    // The worlds, the keys and the music read the application's editor flag.
    EXPECT_TRUE(app.IsEditor());
    guiWindow* editor = m_Game.Gui().FindWindow(CareerWindow::kMapEditor);
    ASSERT_NE(editor, nullptr);
    EXPECT_NE(editor->DynamicCast<tvMapEditorWindow>(), nullptr);
    EXPECT_TRUE(editor->IsVisible());
    EXPECT_FALSE(m_Career->IsVisible());
}

TEST_F(CareerWindowTest, EveryRunBookedOnTheDriverCountsOnceAmongTheCourseRuns)
{
    const struct
    {
        int32_t mode;
        int32_t points;
        bool signedIn;
        int32_t runs;
    } runs[] = {
        {1, 150, true, 1},
        // A run short of its target is still a run.
        {1, 20, true, 2},
        {2, 0, true, 3},
        // With nobody signed in there is no one to book it on.
        {1, 150, false, 3},
    };
    m_Game.App().SetLevelPath(PathOf("Passed Run"));
    m_Player->SetCourseRuns(0);
    for (const auto& run : runs)
    {
        const std::string label = std::to_string(run.mode) + "/" + std::to_string(run.points);
        m_Game.App().SetCurrentPlayer(run.signedIn ? m_Player : nullptr);
        tvWorld world;
        world.SetGameMode(run.mode);
        world.SetScoreLimit(100);
        m_Player->SetRunPoints(run.points);
        world.FinishRun(nullptr);
        EXPECT_EQ(m_Player->GetCourseRuns(), run.runs) << label;
        m_Game.App().SetCurrentPlayer(m_Player);
        m_Career->OnShow();
        EXPECT_EQ(Text(CareerWindow::kRunsName), std::to_string(run.runs)) << label;
    }
}

// The hub's target column and the preview of the started course show the same target for every listed
// course, also when its file names none, an empty one or one that is no number.
TEST_F(CareerWindowTest, TheHubAndThePreviewShowTheSameTargetForEveryCourse)
{
    m_Game.Install().Write("Worlds/zz_none.xml",
                           "<World><name>No Limit Run</name><arena>SampleArena</arena></World>");
    m_Game.Install().Write("Worlds/zz_empty.xml", CourseFile("Empty Run", "", "SampleArena"));
    m_Game.Install().Write("Worlds/zz_lead.xml", CourseFile("Lead Run", "12abc", "SampleArena"));
    Tarvolin& app = m_Game.App();
    app.ScanWorlds("Worlds");
    m_Career->OnShow();
    guiWindow* preview = m_Game.Gui().FindWindow("Course Preview");
    ASSERT_NE(preview, nullptr);
    int32_t checked = 0;
    for (int32_t i = 0; i < app.GetWorldCount(); ++i)
    {
        const WorldInfo* course = app.GetWorldInfo(i);
        SCOPED_TRACE(course->GetFilePath());
        const int32_t row = RowOf(course->GetName());
        ASSERT_GE(row, 0);
        const std::string hub = Cell(row, CareerWindow::kScoreColumn);
        ASSERT_EQ(hub.rfind("0 / ", 0), 0u) << hub;
        app.SetGameMode(1);
        app.SetVehicleName("Charger");
        app.SetLevelPath(course->GetFilePath());
        app.SetLevelPathCopy(course->GetFilePath());
        app.StartCourse();
        ASSERT_TRUE(preview->IsVisible());
        auto* box = Box(preview->FindChild("target_score"));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetText(), hub.substr(4));
        if (course->GetName() == "No Limit Run")
        {
            EXPECT_EQ(box->GetText(), std::to_string(tvWorld::kDefaultScoreLimit));
            ++checked;
        }
        else if (course->GetName() == "Empty Run" || course->GetName() == "Word Run")
        {
            EXPECT_EQ(box->GetText(), std::to_string(tvWorld::kDefaultScoreLimit));
            ++checked;
        }
        else if (course->GetName() == "Lead Run")
        {
            EXPECT_EQ(box->GetText(), "12");
            ++checked;
        }
        app.DeleteCourseWorld();
    }
    EXPECT_EQ(checked, 4);
}

namespace
{

struct HubScreen
{
    uint32_t width;
    uint32_t height;
};

std::ostream& operator<<(std::ostream& out, const HubScreen& screen)
{
    return out << screen.width << "x" << screen.height;
}

// The hub at a screen size of the options' list; its page keeps to the middle.
class CareerHubScreenTest : public CareerWindowTest, public ::testing::WithParamInterface<HubScreen>
{
protected:
    void SetUp() override
    {
        m_Game.Install().Write(
            "Tarvolin.cfg",
            "[Begin Graphics Config]\nFullScreen=0\nFSDisplayWidth=" + std::to_string(GetParam().width) +
                "\nFSDisplayHeight=" + std::to_string(GetParam().height) + "\n[End Graphics Config]\n");
        CareerWindowTest::SetUp();
    }
};

constexpr int32_t kCoursesPastTheView = 13;

} // namespace

// Courses the grid shows whole and then more than it holds: the scroll bar comes with the long list and
// stands beside the Retry buttons, each drawn and clickable to its right edge, and no button moves.
TEST_P(CareerHubScreenTest, TheScrollBarStandsBesideEveryRetryButton)
{
    ASSERT_EQ(g_pGraphicsManager->GetPresentParameters().BackBufferWidth, GetParam().width);
    guiManager& gui = m_Game.Gui();
    gui.HideWindow(gui.FindWindow(Tarvolin::kMainWindow), 1);
    gui.ShowWindow(m_Career, false);
    guiGlyph* found = m_Career->FindChild(std::string(CareerWindow::kGridName) + " Scroller");
    auto* scroller = found != nullptr ? found->DynamicCast<guiScroller>() : nullptr;
    ASSERT_NE(scroller, nullptr);
    guiScrollBar* bar = scroller->GetVerticalBar();
    ASSERT_NE(bar, nullptr);
    guiGrid* grid = m_Career->GetGrid();
    // Where the short list's first button starts: every button of both lists starts there.
    std::optional<int32_t> left;
    for (const bool past : {false, true})
    {
        SCOPED_TRACE(past ? "past the view" : "within the view");
        const int32_t more = past ? kCoursesPastTheView - m_Game.App().GetWorldCount() : 0;
        for (int32_t n = 0; n < more; ++n)
            m_Game.Install().Write("Worlds/zz_more" + std::to_string(n) + ".xml",
                                   CourseFile("More Run " + std::to_string(n), "100", "SampleArena"));
        m_Game.App().ScanWorlds("Worlds");
        ASSERT_EQ(m_Game.App().GetWorldCount() == kCoursesPastTheView, past);
        m_Career->OnShow();
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(m_Game.Frame());
        ASSERT_EQ(int32_t(grid->GetRowCount()), m_Game.App().GetWorldCount());
        ASSERT_EQ(bar->IsVisible(), past);
        const platform::Rect& view = grid->GetHitRect();
        int32_t top = view.top;
        int32_t drawn = 0;
        for (int32_t row = 0; row < int32_t(grid->GetRowCount()) && top < view.bottom; ++row, ++drawn)
        {
            top += grid->GetRowHeight(row);
            guiGlyph* cell = grid->GetCell(row, CareerWindow::kRetryColumn);
            guiGlyph* glyph = cell != nullptr ? cell->FindChild("Retry") : nullptr;
            auto* retry = glyph != nullptr ? glyph->DynamicCast<guiButton>() : nullptr;
            ASSERT_NE(retry, nullptr) << row;
            const platform::Rect& shown = retry->GetHitRect();
            EXPECT_EQ(shown.right - shown.left, retry->ToPixels(retry->GetSize()).x) << "row " << row;
            if (!left)
                left = shown.left;
            EXPECT_EQ(shown.left, *left) << "row " << row;
            if (past)
            {
                EXPECT_LE(shown.right, bar->GetHitRect().left) << "row " << row;
            }
        }
        EXPECT_GT(drawn, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, CareerHubScreenTest,
                         ::testing::Values(HubScreen{800, 600}, HubScreen{1024, 768}));
