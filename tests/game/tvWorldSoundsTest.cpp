#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"
#include "game/app/SoundCategory.h"
#include "game/world/tvWorldSounds.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/game/InstallFolder.h"

#include <gtest/gtest.h>

#include <random>

using testsupport::RiffBuilder;

namespace
{

std::string Category(const std::string& name, const std::vector<std::string>& paths)
{
    std::string xml = "<category><name>" + name + "</name>";
    for (const std::string& path : paths)
        xml += "<path>" + path + "</path>";
    return xml + "</category>";
}

class tvWorldSoundsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, false);
        for (const char* name : {"a", "b", "c", "d", "e"})
            m_Install.dir.Write(
                std::string("Sounds/") + name + ".wav",
                RiffBuilder::PcmWave(1, 22050, 16, RiffBuilder::Samples16(std::vector<int16_t>(22050, 700))));
    }
    void TearDown() override { SetRandomSeed(0); }

    void Write(const std::string& body)
    {
        m_Install.dir.Write("Data/Sounds/Sounds.xml", "<soundList>" + body + "</soundList>");
        ASSERT_TRUE(m_Sounds.Load("Data\\Sounds\\Sounds.xml"));
    }

    // The names of the sounds that are playing, in table order.
    std::vector<std::string> Playing() const
    {
        std::vector<std::string> playing;
        for (size_t i = 0; i < m_Sounds.GetCategoryCount(); ++i)
            for (const kaSoundHandle& sound : m_Sounds.GetCategory(i)->GetSounds())
                if (m_Wizard.IsSoundPlaying(sound))
                    playing.push_back(sound.name);
        return playing;
    }

    void StopAll() { m_Wizard.StopAllSounds(); }

    gametest::InstallFolder m_Install;
    platform::NullAudioSink m_Sink;
    SoundManager m_Manager;
    Wizard m_Wizard;
    tvWorldSounds m_Sounds;
};

TEST_F(tvWorldSoundsTest, CategoriesReadInOrderWithTheirFiles)
{
    Write("<comment/>" + Category("Go", {"Sounds/a.wav"}) +
          Category("Crowd", {"Sounds/b.wav", "Sounds/c.wav"}) + Category("Broken", {"Sounds/missing.wav"}));
    ASSERT_EQ(m_Sounds.GetCategoryCount(), 3u);
    EXPECT_EQ(m_Sounds.GetCategory(0)->GetName(), "Go");
    EXPECT_EQ(m_Sounds.GetCategory(1)->GetName(), "Crowd");
    EXPECT_EQ(m_Sounds.GetCategory(1)->GetSounds().size(), 2u);
    EXPECT_GE(m_Sounds.GetCategory(1)->GetSounds()[1].id, 0);
    // A file that does not load still takes its place, with no sound behind it.
    ASSERT_EQ(m_Sounds.GetCategory(2)->GetSounds().size(), 1u);
    EXPECT_LT(m_Sounds.GetCategory(2)->GetSounds()[0].id, 0);
    EXPECT_EQ(m_Sounds.GetPath(), "Data\\Sounds\\Sounds.xml");

    // Reading again adds to the table.
    ASSERT_TRUE(m_Sounds.Load("Data/Sounds/Sounds.xml"));
    EXPECT_EQ(m_Sounds.GetCategoryCount(), 6u);
}

TEST_F(tvWorldSoundsTest, EveryCategoryOfTheNamePlaysOneOfItsSounds)
{
    Write(Category("Hit", {"Sounds/a.wav"}) + Category("Other", {"Sounds/b.wav"}) +
          Category("Hit", {"Sounds/c.wav"}));
    m_Sounds.PlaySound("Hit");
    EXPECT_EQ(Playing(), (std::vector<std::string>{"Sounds/a.wav", "Sounds/c.wav"}));
    EXPECT_GT(m_Sounds.GetLastPlayTime(), 0.0f);
    StopAll();
    // Names compare exactly.
    m_Sounds.PlaySound("hit");
    m_Sounds.PlaySound("Nothing");
    EXPECT_TRUE(Playing().empty());
}

TEST_F(tvWorldSoundsTest, TheSoundIsTheOneTheSharedSequenceDraws)
{
    Write(Category("Crowd", {"Sounds/a.wav", "Sounds/b.wav", "Sounds/c.wav"}));
    const std::vector<kaSoundHandle>& sounds = m_Sounds.GetCategory(0)->GetSounds();
    std::set<std::string> heard;
    for (uint32_t seed = 1; seed <= 20; ++seed)
    {
        SetRandomSeed(seed);
        const int expected = RandomInt(3);
        SetRandomSeed(seed);
        m_Sounds.PlaySound("Crowd");
        const std::vector<std::string> playing = Playing();
        ASSERT_EQ(playing.size(), 1u) << seed;
        EXPECT_EQ(playing[0], sounds[static_cast<size_t>(expected)].name) << seed;
        heard.insert(playing[0]);
        StopAll();
    }
    EXPECT_EQ(heard.size(), 3u);
}

TEST_F(tvWorldSoundsTest, NothingPlaysWithEffectsOffOrWithoutAList)
{
    Write(Category("Go", {"Sounds/a.wav"}) + Category("Empty", {}));
    m_Wizard.SetImpactSoundsDisabled(true);
    m_Sounds.PlaySound("Go");
    EXPECT_TRUE(Playing().empty());
    EXPECT_EQ(m_Sounds.GetLastPlayTime(), 0.0f);
    m_Wizard.SetImpactSoundsDisabled(false);

    // An empty category plays nothing; the shared sequence still moves on once.
    SetRandomSeed(5);
    RandomInt(1);
    const int after = RandomInt(1000);
    SetRandomSeed(5);
    m_Sounds.PlaySound("Empty");
    EXPECT_TRUE(Playing().empty());
    EXPECT_EQ(RandomInt(1000), after);

    tvWorldSounds missing;
    EXPECT_FALSE(missing.Load("Data/Sounds/None.xml"));
    missing.PlaySound("Go");
    EXPECT_EQ(missing.GetCategoryCount(), 0u);
    EXPECT_TRUE(Playing().empty());
}

// Damaged lists never crash the reader; without a sound device it parses only.
TEST(tvWorldSoundsFuzzTest, EveryTruncationAndMutationOfAListReadsSafely)
{
    gametest::InstallFolder install;
    std::string list = "<?xml version=\"1.0\"?>\n<soundList>";
    for (const char* name : {"GetReady", "Go", "Crowd", "LaunchPlate"})
        list += Category(name, {std::string("Resources\\Sounds\\") + name + ".wav", "x.wav"});
    list += "</soundList>";
    size_t loaded = 0;
    auto read = [&](const std::string& bytes)
    {
        install.dir.Write("s.xml", bytes);
        tvWorldSounds sounds;
        if (sounds.Load("s.xml"))
            ++loaded;
        for (size_t i = 0; i < sounds.GetCategoryCount(); ++i)
            EXPECT_LE(sounds.GetCategory(i)->GetSounds().size(), bytes.size());
        sounds.PlaySound("Go");
    };
    for (size_t size = 0; size <= list.size(); ++size)
        read(list.substr(0, size));
    std::mt19937 random(43);
    for (int round = 0; round < 400; ++round)
    {
        std::string bytes = list;
        for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits)
        {
            const size_t at = random() % bytes.size();
            switch (random() % 3)
            {
            case 0:
                bytes[at] = static_cast<char>(random() % 256);
                break;
            case 1:
                bytes.erase(at, 1 + random() % 8);
                break;
            default:
                bytes.insert(at, bytes.substr(random() % bytes.size(), 1 + random() % 12));
                break;
            }
            if (bytes.empty())
                bytes = "<";
        }
        read(bytes);
    }
    // The whole list is among what loaded.
    EXPECT_GE(loaded, 1u);
}

} // namespace
