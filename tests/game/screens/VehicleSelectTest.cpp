#include "engine/gui/guiButton.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CSmenu.h"
#include "game/vehicles/CarInfo.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ShopContent.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using testsupport::HeadlessGame;

namespace
{

// Alpha, the generated Charger and Zulu, in listing order; the shop sells Zulu.
class VehicleSelectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The test's own vehicles beside the Charger's file as the generators write it, and only its own shop item.
        testsupport::EmptyContentFolder(m_Game.Install(), "Data/vehicles");
        testsupport::EmptyContentFolder(m_Game.Install(), "Data/stuntshop");
        testsupport::WriteVehicle(m_Game.Install(), "aaa.xml", "Alpha");
        testsupport::WriteVehicle(m_Game.Install(), "charger.xml", "Charger", "UI/vehicles/charger.bmp");
        testsupport::WriteVehicle(m_Game.Install(), "zzz.xml", "Zulu", "ui/stuntshop/locked.tga");
        // Not a vehicle file: skipped.
        m_Game.Install().Write("Data/vehicles/broken.xml", "<vehicles><initID>Broken");
        testsupport::WriteShopItem(m_Game.Install(), "zulu.xml", "Zulu", "Zulu", 10);
        ASSERT_TRUE(m_Game.Start());
        m_Menu = m_Game.Gui().FindWindow(CSmenu::kWindowName)->DynamicCast<CSmenu>();
        ASSERT_NE(m_Menu, nullptr);
        m_Player = m_Game.App().CreatePlayer("Ann");
        m_Game.App().SetCurrentPlayer(m_Player);
    }

    std::string Shown() const
    {
        auto* box = m_Menu->FindChild(CSmenu::kNameBox)->DynamicCast<guiTextBox>();
        return box->GetText();
    }

    bool ContinueEnabled() const
    {
        return m_Menu->FindChild(CSmenu::kContinueName)->DynamicCast<guiButton>()->GetState() !=
               guiButton::kDisabled;
    }

    // Steps on to the vehicle, as the player would.
    void StepTo(const std::string& id)
    {
        for (uint32_t i = 0; i < m_Menu->GetVehicleCount() && Shown() != id; ++i)
            m_Menu->OnNext();
        ASSERT_EQ(Shown(), id);
    }

    bool LockShown() const { return m_Menu->FindChild(CSmenu::kLockedName)->IsVisible(); }

    HeadlessGame m_Game;
    CSmenu* m_Menu = nullptr;
    tvPlayer* m_Player = nullptr;
};

} // namespace

TEST_F(VehicleSelectTest, EveryVehicleFileIsReadInListingOrder)
{
    ASSERT_EQ(m_Menu->GetVehicleCount(), 3u);
    const char* ids[] = {"Alpha", "Charger", "Zulu"};
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(m_Menu->GetVehicle(i)->GetInitId(), ids[i]) << i;
    EXPECT_EQ(m_Menu->GetVehicle(1)->GetImageFile(), "UI/vehicles/charger.bmp");
}

TEST_F(VehicleSelectTest, NextAndPrevWrapRoundAndLeaveTheChosenVehicleAlone)
{
    m_Game.Gui().ShowWindow(m_Menu, false);
    ASSERT_EQ(m_Menu->GetIndex(), 0u);
    ASSERT_EQ(m_Game.App().GetVehicleName(), "Alpha");
    const struct
    {
        bool next;
        uint32_t index;
        const char* shown;
    } steps[] = {
        {false, 2, "Zulu"}, {true, 0, "Alpha"}, {true, 1, "Charger"},
        {true, 2, "Zulu"},  {true, 0, "Alpha"}, {true, 1, "Charger"},
    };
    for (const auto& step : steps)
    {
        EXPECT_TRUE(step.next ? m_Menu->OnNext() : m_Menu->OnPrev());
        EXPECT_EQ(m_Menu->GetIndex(), step.index);
        EXPECT_EQ(Shown(), step.shown);
        EXPECT_EQ(m_Game.App().GetVehicleName(), "Alpha");
    }
    auto* preview = m_Menu->FindChild(CSmenu::kPreviewName)->DynamicCast<guiImage>();
    EXPECT_EQ(preview->GetFilename(), "UI/vehicles/charger.bmp");
    m_Menu->OnBack();
    EXPECT_EQ(m_Game.App().GetVehicleName(), "Alpha");
    // Showing again chooses the vehicle shown.
    m_Game.Gui().ShowWindow(m_Menu, false);
    EXPECT_EQ(m_Game.App().GetVehicleName(), "Charger");
}

TEST_F(VehicleSelectTest, ALockedVehicleDisablesContinueUntilBought)
{
    m_Menu->OnShow();
    m_Menu->OnPrev();
    ASSERT_EQ(Shown(), "Zulu");
    EXPECT_TRUE(LockShown());
    EXPECT_FALSE(ContinueEnabled());
    // A click that still arrives hands nothing on.
    m_Game.App().SetVehicleName("Alpha");
    m_Menu->OnContinue();
    EXPECT_EQ(m_Game.App().GetVehicleName(), "Alpha");
    m_Menu->OnNext();
    EXPECT_FALSE(LockShown());
    EXPECT_TRUE(ContinueEnabled());

    m_Player->Unlock("Zulu");
    m_Menu->OnPrev();
    EXPECT_FALSE(LockShown());
    EXPECT_TRUE(ContinueEnabled());
}

TEST_F(VehicleSelectTest, ContinueGoesToCourseSelectExceptInTheCareerWhereTheCourseStarts)
{
    Tarvolin& app = m_Game.App();
    for (const int32_t mode : {0, 1})
    {
        app.SetGameMode(mode);
        m_Game.Gui().ShowWindow(m_Menu, false);
        StepTo("Charger");
        EXPECT_TRUE(m_Menu->OnContinue());
        for (int frame = 0; frame < 30; ++frame)
            m_Game.Frame();
        EXPECT_EQ(app.GetVehicleName(), "Charger") << mode;
        EXPECT_TRUE(m_Game.Gui().FindWindow(CSmenu::kCourseSelect)->IsVisible()) << mode;
        EXPECT_FALSE(m_Menu->IsVisible()) << mode;
        EXPECT_EQ(app.GetCurrentWorld(), nullptr) << mode;
        m_Game.Gui().HideWindow(m_Game.Gui().FindWindow(CSmenu::kCourseSelect), 1);
    }

    app.SetGameMode(2);
    app.SetLevelPath(app.GetCareerLevel(0));
    app.SetLevelPathCopy(app.GetCareerLevel(0));
    app.QueueThemeMusic(true);
    m_Game.Gui().ShowWindow(m_Menu, false);
    StepTo("Charger");
    EXPECT_TRUE(m_Menu->OnContinue());
    EXPECT_FALSE(app.IsThemeMusicQueued());
    EXPECT_NE(app.GetCurrentWorld(), nullptr);
    EXPECT_NE(app.GetPlayerVehicle(), nullptr);
    EXPECT_EQ(app.GetVehicleName(), "Charger");
    EXPECT_FALSE(m_Menu->IsVisible());
}

// With no vehicle file at all there is nothing to hand on.
TEST(VehicleSelectEmptyTest, ContinueIsDisabledAndDoesNothing)
{
    HeadlessGame game;
    std::filesystem::remove_all(game.Install().File("Data/vehicles"));
    ASSERT_TRUE(game.Start());
    auto* menu = game.Gui().FindWindow(CSmenu::kWindowName)->DynamicCast<CSmenu>();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->GetVehicleCount(), 0u);
    auto* next = menu->FindChild(CSmenu::kContinueName)->DynamicCast<guiButton>();
    EXPECT_EQ(next->GetState(), guiButton::kDisabled);
    game.App().SetVehicleName("kept");
    for (const int32_t mode : {0, 2})
    {
        game.App().SetGameMode(mode);
        menu->OnNext();
        menu->OnPrev();
        EXPECT_TRUE(menu->OnContinue());
        EXPECT_EQ(game.App().GetVehicleName(), "kept");
        EXPECT_EQ(game.App().GetCurrentWorld(), nullptr);
    }
}
