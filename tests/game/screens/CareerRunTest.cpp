#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CSmenu.h"
#include "game/screens/CareerWindow.h"
#include "game/screens/CourseSelectWindow.h"
#include "game/screens/MainWindow.h"
#include "game/screens/StuntShopWindow.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvWorld.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ShopContent.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::HeadlessGame;

namespace
{

std::string BoxText(HeadlessGame& game, const std::string& window, const std::string& name)
{
    guiGlyph* glyph = game.FindWidget(window, name);
    auto* box = glyph != nullptr ? glyph->DynamicCast<guiTextBox>() : nullptr;
    return box != nullptr ? box->GetText() : "<none>";
}

bool Visible(HeadlessGame& game, const char* window)
{
    return game.Gui().FindWindow(window)->IsVisible();
}

} // namespace

// A driver's way from sign-in through the shop to a running course, by clicks alone.
TEST(CareerRunTest, BuyTheVehicleInTheShopThenPracticeOnAFreeCourse)
{
    HeadlessGame game;
    testsupport::EmptyContentFolder(game.Install(), "Data/stuntshop");
    testsupport::WriteShopItem(game.Install(), "arena.xml", "Proving Ground Pass", "ProvingGround", 100);
    testsupport::WriteShopItem(game.Install(), "crate.xml", "Free Crate", "FreeCrate", 0);
    testsupport::WriteShopItem(game.Install(), "keys.xml", "Charger Keys", "Charger", 25);
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    tvPlayer* ann = app.CreatePlayer("Ann");
    ann->SetUnspentRepPoints(30);
    game.Gui().FindWindow(MainWindow::kWindowName)->OnShow();

    game.Click(MainWindow::kWindowName, "Login Button");
    ASSERT_TRUE(game.RunScript(20));
    game.Click(CareerWindow::kWindowName, CareerWindow::kStuntShopName);
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Visible(game, StuntShopWindow::kWindowName));
    EXPECT_EQ(app.GetCurrentPlayer(), ann);
    EXPECT_EQ(BoxText(game, StuntShopWindow::kWindowName, StuntShopWindow::kItemName), "Proving Ground Pass");
    EXPECT_EQ(BoxText(game, StuntShopWindow::kWindowName, StuntShopWindow::kPointsName), "30");

    // The vehicle's item is the last: one step left of the first.
    game.Click(StuntShopWindow::kWindowName, StuntShopWindow::kLeftName);
    ASSERT_TRUE(game.RunScript());
    EXPECT_EQ(BoxText(game, StuntShopWindow::kWindowName, StuntShopWindow::kItemName), "Charger Keys");
    game.Click(StuntShopWindow::kWindowName, StuntShopWindow::kUnlockName);
    ASSERT_TRUE(game.RunScript());
    game.Click(StuntShopWindow::kWindowName, StuntShopWindow::kFinishName);
    ASSERT_TRUE(game.RunScript(20));
    EXPECT_TRUE(Visible(game, CareerWindow::kWindowName));
    EXPECT_FALSE(Visible(game, StuntShopWindow::kWindowName));
    EXPECT_EQ(BoxText(game, CareerWindow::kWindowName, CareerWindow::kUnspentName), "5");
    EXPECT_TRUE(ann->IsUnlocked("Charger"));

    game.Click(CareerWindow::kWindowName, CareerWindow::kPracticeName);
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Visible(game, CSmenu::kWindowName));
    EXPECT_EQ(app.GetGameMode(), 0);
    EXPECT_EQ(BoxText(game, CSmenu::kWindowName, CSmenu::kNameBox), "Charger");
    EXPECT_EQ(app.GetVehicleName(), "Charger");
    auto* proceed = game.FindWidget(CSmenu::kWindowName, CSmenu::kContinueName)->DynamicCast<guiButton>();
    EXPECT_NE(proceed->GetState(), guiButton::kDisabled);

    game.Click(CSmenu::kWindowName, CSmenu::kContinueName);
    ASSERT_TRUE(game.RunScript(20));
    ASSERT_TRUE(Visible(game, CourseSelectWindow::kWindowName));
    auto* courses = game.Gui().FindWindow(CourseSelectWindow::kWindowName)->DynamicCast<CourseSelectWindow>();
    int32_t proving = -1, sample = -1;
    for (int32_t i = 0; i < app.GetWorldCount(); ++i)
    {
        proving = app.GetWorldInfo(i)->GetArena() == "ProvingGround" ? i : proving;
        sample = app.GetWorldInfo(i)->GetName() == "Token Arena" ? i : sample;
    }
    ASSERT_GE(proving, 0);
    ASSERT_GE(sample, 0);
    auto cellText = [courses](int32_t row)
    { return courses->GetGrid()->GetCell(row, 0)->DynamicCast<guiTextBox>()->GetText(); };
    EXPECT_EQ(cellText(proving), "Proving Ground <locked>");
    EXPECT_EQ(cellText(sample), "Token Arena");

    game.ClickWidget([courses, sample]
                     { return courses->GetGrid()->GetCell(sample, 0)->DynamicCast<guiWidget>(); });
    game.Click(CourseSelectWindow::kWindowName, CourseSelectWindow::kContinueName);
    ASSERT_TRUE(game.RunScript(30));
    EXPECT_EQ(courses->GetGrid()->GetSelectedRow(), sample);
    auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
    ASSERT_NE(world, nullptr);
    ASSERT_NE(app.GetPlayerVehicle(), nullptr);
    EXPECT_EQ(app.GetVehicleName(), "Charger");
    EXPECT_EQ(app.GetLevelPath(), app.GetWorldInfo(sample)->GetFilePath());
    EXPECT_EQ(app.GetLevelPathCopy(), app.GetWorldInfo(sample)->GetFilePath());
    EXPECT_FALSE(Visible(game, CourseSelectWindow::kWindowName));
    EXPECT_TRUE(Visible(game, tvWorld::kHudWindow));
    // The course runs on: frames pass with the world in place.
    for (int frame = 0; frame < 10; ++frame)
        ASSERT_TRUE(game.Frame());
    EXPECT_EQ(app.GetCurrentWorld(), world);
}
