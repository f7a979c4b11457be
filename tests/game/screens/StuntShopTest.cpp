#include "engine/gui/guiButton.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/StuntShopWindow.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ShopContent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

struct Item
{
    const char* file;
    const char* name;
    const char* locks;
    int32_t price;
};

// A game whose shop folder holds these items, with a signed-in driver.
class StuntShopTest : public ::testing::Test
{
protected:
    void Start(const std::vector<Item>& items, int32_t points)
    {
        testsupport::EmptyContentFolder(m_Game.Install(), "Data/stuntshop");
        for (const Item& item : items)
            testsupport::WriteShopItem(m_Game.Install(), item.file, item.name, item.locks, item.price,
                                       std::string("ui/shop/") + item.locks + ".tga");
        ASSERT_TRUE(m_Game.Start());
        m_Shop = m_Game.Gui().FindWindow(StuntShopWindow::kWindowName)->DynamicCast<StuntShopWindow>();
        ASSERT_NE(m_Shop, nullptr);
        m_Player = m_Game.App().CreatePlayer("Ann");
        m_Player->SetUnspentRepPoints(points);
        m_Game.App().SetCurrentPlayer(m_Player);
        m_Shop->OnShow();
    }

    std::string Text(const char* name) const
    {
        return m_Shop->FindChild(name)->DynamicCast<guiTextBox>()->GetText();
    }
    // Each slot's price and preview, left to right.
    std::vector<std::string> Prices() const
    {
        std::vector<std::string> prices;
        for (int slot = 0; slot < 3; ++slot)
            prices.push_back(m_Shop->GetSlot(slot).price->GetText());
        return prices;
    }
    std::vector<std::string> Previews() const
    {
        std::vector<std::string> previews;
        for (int slot = 0; slot < 3; ++slot)
            previews.push_back(m_Shop->GetSlot(slot).preview->GetFilename());
        return previews;
    }
    std::string Status(int slot) const { return m_Shop->GetSlot(slot).status->GetFilename(); }
    bool UnlockEnabled() const
    {
        return m_Shop->FindChild(StuntShopWindow::kUnlockName)->DynamicCast<guiButton>()->GetState() !=
               guiButton::kDisabled;
    }

    HeadlessGame m_Game;
    StuntShopWindow* m_Shop = nullptr;
    tvPlayer* m_Player = nullptr;
};

} // namespace

TEST_F(StuntShopTest, EveryShopFileBecomesAnItemOfTheApplicationsList)
{
    // A price that is no number: the file is refused.
    m_Game.Install().Write("Data/stuntshop/c.xml", "<ShopItem><price>lots</price></ShopItem>");
    Start({{"a.xml", "Ramp", "BigRamp", 5}, {"b.xml", "Bike", "Motorbike", 20}}, 0);
    const auto& items = m_Game.App().GetShopItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->GetName(), "Ramp");
    EXPECT_EQ(items[1]->GetLockedEntity(), "Motorbike");
    EXPECT_TRUE(m_Game.App().IsShopLocked("Motorbike"));
}

TEST_F(StuntShopTest, OneItemFillsAllThreeSlotsAndTheArrowsKeepIndexZero)
{
    Start({{"a.xml", "Ramp", "BigRamp", 5}}, 3);
    EXPECT_EQ(Text(StuntShopWindow::kItemName), "Ramp");
    EXPECT_EQ(Prices(), (std::vector<std::string>{"5", "5", "5"}));
    EXPECT_EQ(Previews(), (std::vector<std::string>(3, "ui/shop/BigRamp.tga")));
    for (const bool left : {true, false})
    {
        EXPECT_TRUE(left ? m_Shop->OnLeft() : m_Shop->OnRight());
        EXPECT_EQ(m_Shop->GetIndex(), 0);
        EXPECT_EQ(Prices(), (std::vector<std::string>{"5", "5", "5"}));
    }
}

TEST_F(StuntShopTest, ThreeItemsShowThePreviousAndNextAroundTheCurrentOne)
{
    Start({{"a.xml", "One", "E1", 1}, {"b.xml", "Two", "E2", 2}, {"c.xml", "Three", "E3", 3}}, 0);
    const struct
    {
        // -1 left, +1 right, 0 as shown.
        int arrow;
        int32_t index;
        const char* name;
        std::vector<std::string> prices;
    } steps[] = {
        {0, 0, "One", {"3", "1", "2"}}, {1, 1, "Two", {"1", "2", "3"}},    {1, 2, "Three", {"2", "3", "1"}},
        {1, 0, "One", {"3", "1", "2"}}, {-1, 2, "Three", {"2", "3", "1"}},
    };
    for (const auto& step : steps)
    {
        if (step.arrow != 0)
            step.arrow < 0 ? m_Shop->OnLeft() : m_Shop->OnRight();
        EXPECT_EQ(m_Shop->GetIndex(), step.index);
        EXPECT_EQ(Text(StuntShopWindow::kItemName), step.name);
        EXPECT_EQ(Prices(), step.prices) << step.name;
    }
}

TEST_F(StuntShopTest, BuyingAtExactlyThePointsLeavesNoneAndMarksTheItemOwned)
{
    Start({{"a.xml", "Ramp", "BigRamp", 12}, {"b.xml", "Bike", "Motorbike", 40}}, 12);
    EXPECT_EQ(Text(StuntShopWindow::kPointsName), "12");
    EXPECT_EQ(Status(1), StuntShopWindow::kLockedImage);
    EXPECT_TRUE(UnlockEnabled());
    EXPECT_TRUE(m_Shop->OnUnlock());
    EXPECT_EQ(m_Player->GetUnspentRepPoints(), 0);
    EXPECT_EQ(Text(StuntShopWindow::kPointsName), "0");
    EXPECT_EQ(Status(1), StuntShopWindow::kUnlockedImage);
    EXPECT_TRUE(m_Player->IsUnlocked("BigRamp"));
    EXPECT_FALSE(m_Game.App().IsLocked("BigRamp"));
    // Owned: "unlock" stays off whatever the points, and a click that arrives anyway buys nothing.
    m_Player->SetUnspentRepPoints(500);
    m_Shop->OnShow();
    EXPECT_FALSE(UnlockEnabled());
    m_Shop->OnUnlock();
    EXPECT_EQ(m_Player->GetUnspentRepPoints(), 500);
    EXPECT_EQ(m_Player->GetUnlocked().size(), 1u);
}

TEST_F(StuntShopTest, AnItemDearerThanThePointsCannotBeBought)
{
    Start({{"b.xml", "Bike", "Motorbike", 40}}, 39);
    EXPECT_FALSE(UnlockEnabled());
    m_Shop->OnUnlock();
    EXPECT_EQ(m_Player->GetUnspentRepPoints(), 39);
    EXPECT_FALSE(m_Player->IsUnlocked("Motorbike"));
    EXPECT_EQ(Status(1), StuntShopWindow::kLockedImage);
}

TEST_F(StuntShopTest, WithoutADriverTheSlotsFillButNothingCanBeBought)
{
    Start({{"a.xml", "Ramp", "BigRamp", 0}}, 0);
    m_Game.App().SetCurrentPlayer(nullptr);
    m_Shop->OnShow();
    EXPECT_EQ(Prices(), (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(Status(1), StuntShopWindow::kLockedImage);
    EXPECT_EQ(Text(StuntShopWindow::kPointsName), "");
    EXPECT_FALSE(UnlockEnabled());
    EXPECT_TRUE(m_Shop->OnUnlock());
    EXPECT_FALSE(m_Player->IsUnlocked("BigRamp"));
}

TEST_F(StuntShopTest, WithoutShopFilesOnlyThePointsAreFilled)
{
    Start({}, 17);
    EXPECT_EQ(Text(StuntShopWindow::kPointsName), "17");
    EXPECT_EQ(Text(StuntShopWindow::kItemName), "");
    EXPECT_EQ(Prices(), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Previews(), (std::vector<std::string>{"", "", ""}));
    EXPECT_FALSE(UnlockEnabled());
    m_Shop->OnLeft();
    m_Shop->OnRight();
    EXPECT_TRUE(m_Shop->OnUnlock());
    EXPECT_EQ(m_Player->GetUnspentRepPoints(), 17);
}

TEST_F(StuntShopTest, FinishGoesBackToTheCareerWindow)
{
    Start({{"a.xml", "Ramp", "BigRamp", 5}}, 9);
    m_Game.Gui().ShowWindow(m_Shop, false);
    EXPECT_TRUE(m_Shop->OnFinish());
    for (int frame = 0; frame < 30; ++frame)
        m_Game.Frame();
    EXPECT_FALSE(m_Shop->IsVisible());
    EXPECT_TRUE(m_Game.Gui().FindWindow(StuntShopWindow::kCareerWindow)->IsVisible());
}
