#include "engine/core/Wizard.h"
#include "engine/core/kaInitDataBase.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/world/tvWorld.h"
#include "tests/support/game/InstallFolder.h"

#include <gtest/gtest.h>

namespace
{

void AddShopItem(Tarvolin& app, const std::string& locked)
{
    auto item = std::make_unique<ShopItem>();
    item->SetLockedEntity(locked);
    app.GetShopItems().push_back(std::move(item));
}

} // namespace

class TarvolinServicesTest : public ::testing::Test
{
protected:
    gametest::InstallFolder m_Install;
    Tarvolin m_App;
};

TEST_F(TarvolinServicesTest, LockRuleNeedsAShopItemAndNoPurchase)
{
    AddShopItem(m_App, "");
    AddShopItem(m_App, "Stunt Yard");
    AddShopItem(m_App, "Charger");

    struct Case
    {
        const char* name;
        bool shopLocked;
        bool lockedWithoutPlayer;
        bool lockedForBuyer;
    };
    // The buyer below has unlocked "Charger" only.
    const Case cases[] = {
        {"", false, false, false},
        {"Stunt Yard", true, true, true},
        {"stunt yard", false, false, false},
        {"Charger", true, true, false},
        {"SampleCar", false, false, false},
    };
    tvPlayer* buyer = m_App.CreatePlayer("Kim");
    buyer->Unlock("Charger");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(m_App.IsShopLocked(c.name), c.shopLocked);
        m_App.SetCurrentPlayer(nullptr);
        EXPECT_EQ(m_App.IsLocked(c.name), c.lockedWithoutPlayer);
        m_App.SetCurrentPlayer(buyer);
        EXPECT_EQ(m_App.IsLocked(c.name), c.lockedForBuyer);
    }
    m_App.SetCurrentPlayer(nullptr);
}

TEST_F(TarvolinServicesTest, GameModeFollowsTheCourseWorldWhileOneExists)
{
    m_App.SetGameMode(1);
    EXPECT_EQ(m_App.GetGameMode(), 1);

    tvWorld course;
    m_App.SetCurrentWorld(&course);
    EXPECT_EQ(m_App.GetGameMode(), tvWorld::kDefaultGameMode);
    m_App.SetGameMode(2);
    EXPECT_EQ(course.GetGameMode(), 2);
    EXPECT_EQ(m_App.GetGameMode(), 2);
    course.SetGameMode(0);
    EXPECT_EQ(m_App.GetGameMode(), 0);

    m_App.SetCurrentWorld(nullptr);
    EXPECT_EQ(m_App.GetGameMode(), 2);
}

TEST_F(TarvolinServicesTest, VolumesAreStoredAndReachTheSoundSystem)
{
    Wizard wizard;
    m_App.SetSoundVolume(-1500);
    m_App.SetMusicVolume(-2000);
    EXPECT_EQ(m_App.GetSoundVolume(), -1500);
    EXPECT_EQ(m_App.GetMusicVolume(), -2000);
    EXPECT_EQ(::GetMusicVolume(), -2000);
    m_App.SetMusicVolume(0);
    EXPECT_EQ(::GetMusicVolume(), 0);
}

TEST_F(TarvolinServicesTest, CareerLevelsMatchExactly)
{
    m_Install.dir.Write("InitData/career.xml",
                        "<root><initData><uniqueID>CareerLevels</uniqueID><dataType>CareerLevels</dataType>"
                        "<data><Level>Worlds\\a.xml</Level><Level>Worlds\\b.xml</Level></data></initData></root>");
    kaInitDataBase initData;
    initData.LoadInitData("InitData");
    m_App.LoadCareerLevels();
    EXPECT_TRUE(m_App.IsCareerLevel("Worlds\\b.xml"));
    EXPECT_FALSE(m_App.IsCareerLevel("Worlds/b.xml"));
    EXPECT_FALSE(m_App.IsCareerLevel("worlds\\a.xml"));
    EXPECT_FALSE(m_App.IsCareerLevel(""));
}
