#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaTGAImage.h"
#include "game/app/Tarvolin.h"
#include "game/gear/PowerUp.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/HudWindow.h"
#include "game/screens/MainWindow.h"
#include "game/screens/StuntShopWindow.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvWorld.h"
#include "tests/support/FrameReading.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/TempDir.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using testsupport::FramePixel;
using testsupport::HeadlessGame;
using testsupport::Rgb;

namespace
{

constexpr const char* kDriver = "Runner";
constexpr const char* kNewPlayer = "New Player Window";
constexpr const char* kPreview = "Course Preview";
constexpr double kRoadFrame = 1.0 / 30.0;

// The throttle alone held, or nothing, from the next poll on (the keyboard's first key, W).
void Throttle(const gametest::Script& keyboard, bool held)
{
    std::vector<int32_t> reading(9, 0);
    reading[0] = held ? 1 : 0;
    keyboard->PushReading(reading);
}

std::string BoxText(HeadlessGame& game, const std::string& window, const std::string& name)
{
    guiGlyph* glyph = game.FindWidget(window, name);
    auto* box = glyph != nullptr ? glyph->DynamicCast<guiTextBox>() : nullptr;
    return box != nullptr ? box->GetText() : "<none>";
}

bool Visible(HeadlessGame& game, const char* window)
{
    guiWindow* found = game.Gui().FindWindow(window);
    return found != nullptr && found->IsVisible();
}

// A picture of the install as the game reads it, with each texel's colour and opacity.
class Picture
{
public:
    explicit Picture(const std::string& file)
    {
        if (!m_Image.Load(file) || m_Image.GetPixels() == nullptr)
            return;
        m_Bytes = m_Image.GetBitsPerPixel() / 8;
        m_Loaded = m_Bytes == 3 || m_Bytes == 4;
    }
    bool IsLoaded() const { return m_Loaded; }
    int Width() const { return int(m_Image.GetWidth()); }
    int Height() const { return int(m_Image.GetHeight()); }
    Rgb Colour(int x, int y) const
    {
        const uint8_t* texel = _Texel(x, y);
        return {texel[2], texel[1], texel[0]};
    }
    bool Opaque(int x, int y) const { return m_Bytes == 3 || _Texel(x, y)[3] >= 250; }

private:
    const uint8_t* _Texel(int x, int y) const
    {
        return m_Image.GetPixels() + size_t(y) * m_Image.GetRowBytes() + size_t(x) * m_Bytes;
    }
    kaTGAImage m_Image;
    uint32_t m_Bytes = 0;
    bool m_Loaded = false;
};

struct Fit
{
    int checked = 0;
    int matched = 0;
    double Share() const { return checked > 0 ? double(matched) / double(checked) : 0.0; }
};

// How well the frame shows the picture stretched over the image widget's rectangle. Only pixels whose
// texels lie inside an opaque patch of one colour are judged: edges blend under filtering and clear
// texels show the course behind.
Fit PictureFit(const platform::FrameCapture& frame, const guiImage& image, const Picture& picture)
{
    Fit fit;
    const kaPoint origin{image.GetDrawingOrigin().x + image.GetPixelPosition().x,
                         image.GetDrawingOrigin().y + image.GetPixelPosition().y};
    const kaPoint size = image.GetPixelSize();
    if (!picture.IsLoaded() || size.x <= 0 || size.y <= 0)
        return fit;
    const int reachX = std::max(1, int(std::ceil(double(picture.Width()) / size.x)));
    const int reachY = std::max(1, int(std::ceil(double(picture.Height()) / size.y)));
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x)
        {
            const int sx = origin.x + x, sy = origin.y + y;
            if (sx < 0 || sy < 0 || sx >= int(frame.Width) || sy >= int(frame.Height))
                continue;
            const int px = int((x + 0.5) * picture.Width() / size.x);
            const int py = int((y + 0.5) * picture.Height() / size.y);
            const Rgb centre = picture.Colour(px, py);
            bool uniform = true;
            for (int dy = -reachY; dy <= reachY && uniform; ++dy)
                for (int dx = -reachX; dx <= reachX && uniform; ++dx)
                {
                    const int nx = std::clamp(px + dx, 0, picture.Width() - 1);
                    const int ny = std::clamp(py + dy, 0, picture.Height() - 1);
                    const Rgb near = picture.Colour(nx, ny);
                    uniform = picture.Opaque(nx, ny) && std::abs(near.r - centre.r) <= 4 &&
                              std::abs(near.g - centre.g) <= 4 && std::abs(near.b - centre.b) <= 4;
                }
            if (!uniform)
                continue;
            ++fit.checked;
            fit.matched += testsupport::Near(FramePixel(frame, sx, sy), centre) ? 1 : 0;
        }
    return fit;
}

// The child element's text, or "<none>".
std::string ChildText(const TiXmlElement* parent, const char* name)
{
    const TiXmlElement* child = parent != nullptr ? parent->FirstChildElement(name) : nullptr;
    return child != nullptr && child->GetText() != nullptr ? child->GetText() : "<none>";
}

// The saved profile of the named driver in the players folder, or null (the document keeps it).
const TiXmlElement* SavedProfile(TiXmlDocument& document, const std::string& folder, const std::string& name)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        document = TiXmlDocument();
        if (!document.LoadFile(entry.path().string().c_str()))
            continue;
        const TiXmlElement* root = document.FirstChildElement(tvPlayer::kRootElement);
        if (ChildText(root, "playerName") == name)
            return root;
    }
    return nullptr;
}

} // namespace

// A new driver's whole road through the real application on OpenGL: sign-in, the shop's free item, a vehicle
// and a course, the preview, a driven run that scores under the HUD's countdown, the summary's count and
// awards, the career hub showing the run, and the files a quit leaves behind.
TEST(WholeRoadGLTest, ANewDriverScoresARunAndFindsItInTheHubAndTheSavedFiles)
{
    testsupport::TempDir install;
    HeadlessGame::CopyContent(install.Path());
    install.Write(Tarvolin::kConfigFile, testsupport::HeadlessGraphics::WindowedConfig(640, 480, true));
    gametest::Script keyboard = gametest::Keyboard();
    HeadlessGame::Options options;
    options.realGraphics = true;
    options.install = install.Path();
    options.devices = {gametest::Mouse(), keyboard};
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    Throttle(keyboard, false);
    ASSERT_EQ(app.GetPlayerCount(), 0);

    // Sign-in as a new driver.
    game.Click(MainWindow::kWindowName, "New Driver Button");
    game.Click(kNewPlayer, "playername");
    game.PressKey(guiTextBox::kKeyEnd);
    for (int i = 0; i < 30; ++i)
        game.PressKey(guiTextBox::kKeyBackspace);
    game.Type(kDriver);
    game.Click(kNewPlayer, "ok");
    game.Click(MainWindow::kWindowName, "Login Button");
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Visible(game, CareerWindow::kWindowName));
    tvPlayer* driver = app.GetCurrentPlayer();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->GetPlayerName(), kDriver);
    EXPECT_EQ(driver->GetUnspentRepPoints(), 0);

    // The shop's free item, found by walking the carousel.
    game.Click(CareerWindow::kWindowName, CareerWindow::kStuntShopName);
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Visible(game, StuntShopWindow::kWindowName));
    const ShopItem* free = nullptr;
    for (const auto& item : app.GetShopItems())
        free = item->GetPrice() == 0 ? item.get() : free;
    ASSERT_NE(free, nullptr);
    for (size_t step = 0;
         step < app.GetShopItems().size() &&
         BoxText(game, StuntShopWindow::kWindowName, StuntShopWindow::kItemName) != free->GetName();
         ++step)
    {
        game.Click(StuntShopWindow::kWindowName, StuntShopWindow::kRightName);
        ASSERT_TRUE(game.RunScript());
    }
    ASSERT_EQ(BoxText(game, StuntShopWindow::kWindowName, StuntShopWindow::kItemName), free->GetName());
    const std::string bought = free->GetLockedEntity();
    EXPECT_FALSE(driver->IsUnlocked(bought));
    game.Click(StuntShopWindow::kWindowName, StuntShopWindow::kUnlockName);
    game.Click(StuntShopWindow::kWindowName, StuntShopWindow::kFinishName);
    ASSERT_TRUE(game.RunScript(20));
    EXPECT_TRUE(driver->IsUnlocked(bought));
    ASSERT_TRUE(Visible(game, CareerWindow::kWindowName));

    // Exhibition: a vehicle, then the proving ground.
    game.Click(CareerWindow::kWindowName, CareerWindow::kExhibitionName);
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Visible(game, CSmenu::kWindowName));
    EXPECT_EQ(BoxText(game, CSmenu::kWindowName, CSmenu::kNameBox), "Charger");
    game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Visible(game, CourseSelectWindow::kWindowName));
    auto* courses = game.Gui().FindWindow(CourseSelectWindow::kWindowName)->DynamicCast<CourseSelectWindow>();
    ASSERT_NE(courses, nullptr);
    int32_t proving = -1;
    for (int32_t i = 0; i < app.GetWorldCount(); ++i)
        proving = app.GetWorldInfo(i)->GetArena() == "ProvingGround" ? i : proving;
    ASSERT_GE(proving, 0);
    const std::string course = app.GetWorldInfo(proving)->GetFilePath();
    const std::string courseName = app.GetWorldInfo(proving)->GetName();
    const int32_t target = CareerWindow::TargetOf(app.GetWorldInfo(proving)->GetScoreLimit());
    game.ClickWidget([courses, proving]
                     { return courses->GetGrid()->GetCell(proving, 0)->DynamicCast<guiWidget>(); });
    game.Click(CourseSelectWindow::kWindowName, CourseSelectWindow::kContinueName);
    ASSERT_TRUE(game.RunScript(30));

    // The preview of a course never driven.
    ASSERT_TRUE(Visible(game, kPreview));
    auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(app.GetLevelPath(), course);
    EXPECT_EQ(BoxText(game, kPreview, "career_level"), world->GetName());
    EXPECT_EQ(BoxText(game, kPreview, "target_score"), std::to_string(target));
    EXPECT_EQ(BoxText(game, kPreview, "personal_best"), "0");
    EXPECT_EQ(BoxText(game, kPreview, "all time high"), "0");
    EXPECT_EQ(BoxText(game, kPreview, "high score by"), "");
    auto* hud = dynamic_cast<HudWindow*>(game.Gui().FindWindow(tvWorld::kHudWindow));
    ASSERT_NE(hud, nullptr);
    EXPECT_EQ(hud->GetTargetText(), std::to_string(target));
    ASSERT_TRUE(game.Screenshot("road_preview"));
    ASSERT_EQ(game.Capture().Width, 640u);
    ASSERT_EQ(game.Capture().Height, 480u);

    // Begin: from here the test's clock drives the run, a frame's time a frame, the throttle held
    // throughout.
    game.SetClockStep(0.0);
    Throttle(keyboard, true);
    game.Click(kPreview, "begin");
    for (int i = 0; i < 10 && game.PendingSteps() > 0; ++i)
    {
        game.Clock().AdvanceSeconds(kRoadFrame);
        ASSERT_TRUE(game.Frame());
    }
    ASSERT_EQ(game.PendingSteps(), 0u);
    ASSERT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
    auto* token = dynamic_cast<PowerUp*>(world->FindEntityByName("PointsToken"));
    ASSERT_NE(token, nullptr);
    auto* count = dynamic_cast<guiImage*>(hud->FindChild(HudWindow::kCountImage));
    ASSERT_NE(count, nullptr);

    // Each countdown picture is judged on the last frame it is up (the first ones fade in with the HUD),
    // against every countdown picture of the install.
    const int32_t countValues[] = {3, 2, 1, -1};
    std::map<int32_t, platform::FrameCapture> lastShown;
    int frame = 0;
    bool runShot = false;
    while (world->GetRunPhase() == tvWorld::kPhaseRunning && frame < 60 * 30)
    {
        // Fine frames while the countdown runs and the car reaches the token, then coarse ones to run the
        // clock out.
        const bool scored = driver->GetRunPoints() > 0;
        game.Clock().AdvanceSeconds(scored && !hud->IsCountVisible() ? 0.5 : kRoadFrame);
        ASSERT_TRUE(game.Frame());
        ++frame;
        if (hud->IsCountVisible())
        {
            const bool first = lastShown.count(hud->GetCountValue()) == 0;
            lastShown[hud->GetCountValue()] = game.Capture();
            if (first && hud->GetCountValue() == 2)
            {
                ASSERT_TRUE(game.SaveCapture("road_hud_countdown"));
            }
        }
        if (!runShot && scored && !hud->IsCountVisible())
        {
            runShot = true;
            EXPECT_TRUE(game.SaveCapture("road_hud_running"));
        }
    }
    ASSERT_EQ(world->GetRunPhase(), tvWorld::kPhaseSummary) << "after " << frame << " frames";
    EXPECT_GE(world->GetRunClock().GetElapsed(), world->GetTimeLimit());
    for (int32_t value : countValues)
    {
        ASSERT_EQ(lastShown.count(value), 1u) << "count " << value << " never shown";
        const Picture own(HudWindow::CountPicture(value));
        const Fit fit = PictureFit(lastShown[value], *count, own);
        EXPECT_GT(fit.checked, 400) << "count " << value;
        EXPECT_GE(fit.Share(), 0.95) << "count " << value;
        for (int32_t other : countValues)
            if (other != value)
            {
                EXPECT_LT(
                    PictureFit(lastShown[value], *count, Picture(HudWindow::CountPicture(other))).Share(),
                    fit.Share())
                    << "count " << value << " taken for " << other;
            }
    }
    // The token on the straight and any returning lap tokens the car reached after the plate.
    const int32_t points = driver->GetRunPoints();
    EXPECT_GE(points, token->GetValue());
    EXPECT_GE(points, target);
    EXPECT_EQ(hud->GetPointsText(), std::to_string(points));
    EXPECT_FALSE(hud->IsVisible());
    ASSERT_TRUE(Visible(game, tvWorld::kSummaryWindow));
    EXPECT_LT(frame, 300);

    // The summary counts the points up a frame at a time, then places an award on each four-second tick.
    auto* summary = dynamic_cast<CourseSummary*>(game.Gui().FindWindow(tvWorld::kSummaryWindow));
    ASSERT_NE(summary, nullptr);
    std::vector<std::string> counted;
    for (int i = 0; i < 60 && summary->GetPhase() == -1; ++i)
    {
        game.Clock().AdvanceSeconds(kRoadFrame);
        ASSERT_TRUE(game.Frame());
        counted.push_back(BoxText(game, tvWorld::kSummaryWindow, "s_text"));
    }
    ASSERT_FALSE(counted.empty());
    EXPECT_EQ(counted.back(), std::to_string(points));
    EXPECT_EQ(summary->GetPointCounter(), points);
    for (size_t i = 1; i < counted.size(); ++i)
        EXPECT_LT(std::atoi(counted[i - 1].c_str()), std::atoi(counted[i].c_str())) << i;
    EXPECT_GE(counted.size(), 20u);
    EXPECT_LE(counted.size(), 39u);
    for (int i = 0; i < 40 && summary->GetPhase() != CourseSummary::kFinished; ++i)
    {
        game.Clock().AdvanceSeconds(1.0);
        ASSERT_TRUE(game.Frame());
    }
    ASSERT_EQ(summary->GetPhase(), CourseSummary::kFinished);
    // Whatever the car does under the summary (it rolls on, and may run off the open end into the arena's
    // fade), the HUD stays away.
    EXPECT_FALSE(hud->IsVisible());
    std::vector<std::string> cues;
    for (const std::string& sound : summary->GetSoundLog())
        if (sound.find('/') == std::string::npos)
            cues.push_back(sound);
    EXPECT_EQ(cues, (std::vector<std::string>{"Congrats", "NewPersonalBest", "NewHighScore"}));
    const std::vector<std::string> awards = {"str", "npb", "nhs"};
    ASSERT_TRUE(game.Screenshot("road_summary"));
    const platform::FrameCapture shown = game.Capture();
    for (size_t slot = 0; slot < awards.size(); ++slot)
    {
        const std::string picture = "ui/coursesummary/" + awards[slot] + ".tga";
        EXPECT_EQ(summary->GetSlotPicture(int32_t(slot)), picture);
        const std::pair<std::string, std::string> parts[] = {
            {"image_", picture}, {"front_", "ui/coursesummary/" + awards[slot] + "_text.tga"}};
        for (const auto& part : parts)
        {
            auto* image = dynamic_cast<guiImage*>(summary->FindChild(part.first + std::to_string(slot + 1)));
            ASSERT_NE(image, nullptr) << part.second;
            const Fit fit = PictureFit(shown, *image, Picture(part.second));
            EXPECT_GT(fit.checked, 200) << part.second;
            EXPECT_GE(fit.Share(), 0.95) << part.second;
        }
    }
    EXPECT_EQ(summary->GetSlotPicture(int32_t(awards.size())), "");
    EXPECT_EQ(BoxText(game, tvWorld::kSummaryWindow, "s_text"), std::to_string(points));

    // Continue: back to the hub, whose statistics and course row show the run.
    game.SetClockStep(0.25);
    game.Click(tvWorld::kSummaryWindow, "continue_b");
    ASSERT_TRUE(game.RunScript(20));
    EXPECT_EQ(app.GetCurrentWorld(), nullptr);
    EXPECT_EQ(hud->GetWorld(), nullptr);
    EXPECT_FALSE(hud->IsVisible());
    ASSERT_TRUE(Visible(game, CareerWindow::kWindowName));
    EXPECT_EQ(BoxText(game, CareerWindow::kWindowName, CareerWindow::kPointsName), std::to_string(points));
    EXPECT_EQ(BoxText(game, CareerWindow::kWindowName, CareerWindow::kRunsName), "1");
    auto* career = game.Gui().FindWindow(CareerWindow::kWindowName)->DynamicCast<CareerWindow>();
    ASSERT_NE(career, nullptr);
    auto cellText = [career](int32_t row, int32_t column)
    {
        guiGlyph* cell = career->GetGrid()->GetCell(row, column);
        auto* box = cell != nullptr ? cell->DynamicCast<guiTextBox>() : nullptr;
        return box != nullptr ? box->GetText() : std::string("<none>");
    };
    int32_t row = -1;
    for (int32_t i = 0; i < int32_t(career->GetGrid()->GetRowCount()); ++i)
        row = cellText(i, CareerWindow::kNameColumn) == courseName ? i : row;
    ASSERT_GE(row, 0);
    EXPECT_EQ(cellText(row, CareerWindow::kScoreColumn),
              std::to_string(points) + " / " + std::to_string(target));
    EXPECT_EQ(cellText(row, CareerWindow::kResultColumn),
              "Passed: (" + std::to_string(points * 100 / target) + "%)");

    // Quit through the main menu; the files hold what the run left.
    game.Click(CareerWindow::kWindowName, CareerWindow::kMainMenuName);
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Visible(game, MainWindow::kWindowName));
    game.Click(MainWindow::kWindowName, "Quit Button");
    bool running = true;
    for (int i = 0; i < 100 && running; ++i)
        running = game.Frame();
    EXPECT_FALSE(running);
    EXPECT_TRUE(app.IsShutDown());

    TiXmlDocument profileFile;
    const TiXmlElement* profile =
        SavedProfile(profileFile, install.Path() + "/" + Tarvolin::kPlayersFolder, kDriver);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(ChildText(profile, "totalPointsEarned"), std::to_string(points));
    EXPECT_EQ(ChildText(profile, "courseRuns"), "1");
    const TiXmlElement* unlocked = profile->FirstChildElement("unlocked");
    EXPECT_EQ(ChildText(unlocked, "stuntname"), bought);
    const TiXmlElement* best = profile->FirstChildElement("highScores");
    best = best != nullptr ? best->FirstChildElement("score") : nullptr;
    EXPECT_EQ(ChildText(best, "name"), course);
    EXPECT_EQ(ChildText(best, "score"), std::to_string(points));

    TiXmlDocument scores;
    ASSERT_TRUE(scores.LoadFile((install.Path() + "/Data/HighScores.xml").c_str()));
    const TiXmlElement* record =
        scores.RootElement() != nullptr ? scores.RootElement()->FirstChildElement("highScore") : nullptr;
    EXPECT_EQ(ChildText(record, "mapPath"), course);
    EXPECT_EQ(ChildText(record, "player"), kDriver);
    EXPECT_EQ(ChildText(record, "score"), std::to_string(points));
}
