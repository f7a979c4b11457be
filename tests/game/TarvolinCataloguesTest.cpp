#include "engine/core/kaInitDataBase.h"
#include "game/app/SongInfo.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/vehicles/CarInfo.h"
#include "game/world/WorldInfo.h"
#include "tests/support/game/InstallFolder.h"

#include <gtest/gtest.h>

namespace
{

std::string SongXml(const std::string& name)
{
    return "<song><name>" + name + "</name><stream>1</stream></song>";
}

std::string World(const std::string& keys)
{
    return "<World>" + keys + "<Terrain/></World>";
}

} // namespace

class TarvolinCataloguesTest : public ::testing::Test
{
protected:
    gametest::InstallFolder m_Install;
};

TEST_F(TarvolinCataloguesTest, SongsComeFromTheFolderAndOneLevelBelow)
{
    const std::string folder = "Resources/Sounds/Music/";
    m_Install.dir.Write(folder + "a.xml", SongXml("Alpha"));
    m_Install.dir.Write(folder + "Theme/b.xml", SongXml("Beta"));
    m_Install.dir.Write(folder + "Theme/Deep/c.xml", SongXml("Gamma"));
    m_Install.dir.Write(folder + "noname.xml", "<song><title>x</title></song>");
    m_Install.dir.Write(folder + "other.xml", "<list><name>x</name></list>");
    m_Install.dir.Write(folder + "broken.xml", "<song><name>x</song>");
    m_Install.dir.Write(folder + "notes.txt", SongXml("Text"));

    Tarvolin app;
    app.ScanMusic("Resources\\Sounds\\Music");
    app.ScanMusic("Resources\\Sounds\\Music");
    ASSERT_EQ(app.GetSongCount(), 2);
    EXPECT_EQ(app.GetSong(0)->name, "Alpha");
    EXPECT_EQ(app.GetSong(0)->path, "Resources\\Sounds\\Music\\a.xml");
    EXPECT_EQ(app.GetSong(1)->name, "Beta");
    EXPECT_EQ(app.GetSong(1)->path, "Resources\\Sounds\\Music\\Theme\\b.xml");
    EXPECT_EQ(app.GetSong(2), nullptr);
}

TEST_F(TarvolinCataloguesTest, RescanningWorldsReplacesTheList)
{
    m_Install.dir.Write("Worlds/one.xml",
                        World("<name>One</name><scoreLimit>1500</scoreLimit><arena>Bowl</arena>"));
    m_Install.dir.Write("Worlds/torn.xml", "<World><name>");
    Tarvolin app;
    app.ScanWorlds("Worlds");
    ASSERT_EQ(app.GetWorldCount(), 1);
    const WorldInfo& one = *app.GetWorldInfo(0);
    EXPECT_EQ(one.GetName(), "One");
    EXPECT_EQ(one.GetDesigner(), "Unnamed");
    EXPECT_EQ(one.GetScoreLimit(), "1500");
    EXPECT_EQ(one.GetArena(), "Bowl");
    EXPECT_EQ(one.GetFilePath(), "Worlds\\one.xml");

    m_Install.dir.Write("Worlds/two.xml",
                        World("<name>Two</name><Designer>Kim</Designer><arena>Bowl</arena>"));
    app.ScanWorlds("Worlds");
    ASSERT_EQ(app.GetWorldCount(), 2);
    EXPECT_EQ(app.GetWorldInfo(1)->GetDesigner(), "Kim");
    EXPECT_EQ(app.GetWorldInfo(2), nullptr);
    EXPECT_EQ(app.GetWorldInfo(-1), nullptr);
}

// A world that names no venue has nothing to drive on: the list leaves it out, whatever else it holds.
TEST_F(TarvolinCataloguesTest, WorldsWithoutAVenueAreNotListed)
{
    const struct
    {
        const char* file;
        const char* keys;
        bool listed;
    } worlds[] = {
        {"a_course.xml", "<name>Course</name><arena>Bowl</arena>", true},
        {"b_terrain.xml", "<name>Default</name><timeLimit>60</timeLimit>", false},
        {"c_empty_arena.xml", "<name>Empty</name><arena></arena>", false},
        {"d_course.xml", "<arena>Bowl</arena>", true},
    };
    for (const auto& world : worlds)
        m_Install.dir.Write(std::string("Worlds/") + world.file, World(world.keys));
    Tarvolin app;
    app.ScanWorlds("Worlds");
    std::vector<std::string> listed;
    for (int32_t i = 0; i < app.GetWorldCount(); ++i)
        listed.push_back(app.GetWorldInfo(i)->GetFilePath());
    std::vector<std::string> expected;
    for (const auto& world : worlds)
        if (world.listed)
            expected.push_back(std::string("Worlds\\") + world.file);
    EXPECT_EQ(listed, expected);
}

TEST_F(TarvolinCataloguesTest, CareerLevelsAppendInOrder)
{
    m_Install.dir.Write("InitData/career.xml",
                        "<root><initData><uniqueID>CareerLevels</uniqueID><dataType>CareerLevels</dataType>"
                        "<data><Level>Worlds\\a.xml</Level><Level></Level><Other>x</Other>"
                        "<Level>Worlds\\b.xml</Level></data></initData></root>");
    Tarvolin app;
    app.LoadCareerLevels();
    EXPECT_EQ(app.GetCareerLevelCount(), 0);

    kaInitDataBase initData;
    initData.LoadInitData("InitData");
    app.LoadCareerLevels();
    ASSERT_EQ(app.GetCareerLevelCount(), 3);
    EXPECT_EQ(app.GetCareerLevel(0), "Worlds\\a.xml");
    EXPECT_EQ(app.GetCareerLevel(1), "");
    EXPECT_EQ(app.GetCareerLevel(2), "Worlds\\b.xml");
    EXPECT_EQ(app.GetCareerLevel(3), "");
}

TEST_F(TarvolinCataloguesTest, ShopItemsReadEveryFieldAndRoundTrip)
{
    struct Case
    {
        std::string file;
        std::string name;
        std::string locked;
        int32_t price;
    };
    const Case cases[] = {
        {"<ShopItem><preview_image>p.bmp</preview_image></ShopItem>", "", "", 0},
        {"<ShopItem><name>Ramp</name><locked_entity>LaunchPlate</locked_entity><price>-25</price></ShopItem>",
         "Ramp", "LaunchPlate", -25},
        {"<Item><name>Ramp</name></Item>", "Unnamed", "", 10},
    };
    for (const Case& c : cases)
    {
        m_Install.dir.Write("item.xml", c.file);
        ShopItem item;
        ASSERT_TRUE(item.Load("item.xml")) << c.file;
        EXPECT_EQ(item.GetName(), c.name) << c.file;
        EXPECT_EQ(item.GetLockedEntity(), c.locked) << c.file;
        EXPECT_EQ(item.GetPrice(), c.price) << c.file;

        ASSERT_TRUE(item.Save("Shop\\copy.xml"));
        ShopItem copy;
        ASSERT_TRUE(copy.Load("Shop\\copy.xml"));
        EXPECT_EQ(copy.GetName(), item.GetName());
        EXPECT_EQ(copy.GetPreviewImage(), item.GetPreviewImage());
        EXPECT_EQ(copy.GetLockedEntity(), item.GetLockedEntity());
        EXPECT_EQ(copy.GetPrice(), item.GetPrice());
    }
}

TEST_F(TarvolinCataloguesTest, FilesThatDoNotLoadChangeNothing)
{
    m_Install.dir.Write("price.xml", "<ShopItem><name>Ramp</name><price>ten</price></ShopItem>");
    m_Install.dir.Write("torn.xml", "<vehicles><initID>Car");
    ShopItem item;
    CarInfo car;
    WorldInfo world;
    EXPECT_FALSE(item.Load("price.xml"));
    EXPECT_FALSE(item.Load("missing.xml"));
    EXPECT_FALSE(car.Load("torn.xml"));
    EXPECT_FALSE(world.Load("missing.xml"));
    EXPECT_EQ(item.GetName(), "Unnamed");
    EXPECT_EQ(item.GetPrice(), 10);
    EXPECT_EQ(item.GetFilePath(), "");
    EXPECT_EQ(car.GetInitId(), "Unnamed");
    EXPECT_EQ(car.GetFilePath(), "");

    m_Install.dir.Write("car.xml", "<vehicles><imagefile>ui/cars/charger.bmp</imagefile></vehicles>");
    ASSERT_TRUE(car.Load("car.xml"));
    EXPECT_EQ(car.GetInitId(), "Unnamed");
    EXPECT_EQ(car.GetImageFile(), "ui/cars/charger.bmp");
    EXPECT_EQ(car.GetFilePath(), "car.xml");
}
