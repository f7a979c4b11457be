#include "engine/core/Song.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaXmlHelpers.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/files/Files.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/TempDir.h"
#include "tests/support/tools/FileTree.h"
#include "tools/soundgen/MusicContent.h"
#include "tools/soundgen/SoundContent.h"
#include "tools/soundgen/Synth.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <tinyxml.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

namespace
{

// The samples of a sound file as libsndfile decodes it (mono), empty when it does not open.
std::vector<float> Decode(const std::string& path, int* rate = nullptr)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(platform::NativePath(path).c_str(), SFM_READ, &info);
    if (!file)
        return {};
    // Block by block: a damaged file may claim any length.
    std::vector<float> samples;
    std::vector<float> block(4096 * static_cast<size_t>(std::max(info.channels, 1)));
    for (sf_count_t got; (got = sf_readf_float(file, block.data(), 4096)) > 0;)
        for (sf_count_t i = 0; i < got; ++i)
            samples.push_back(block[static_cast<size_t>(i * info.channels)]);
    sf_close(file);
    if (rate)
        *rate = info.samplerate;
    return samples;
}

class SoundGenTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_Root = new testsupport::TempDir();
        s_Status = std::system((std::string(SOUNDGEN_PATH) + " '" + s_Root->Path() + "'").c_str());
    }
    static void TearDownTestSuite()
    {
        delete s_Root;
        s_Root = nullptr;
    }
    void SetUp() override
    {
        ASSERT_EQ(s_Status, 0);
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, false);
    }

    static testsupport::TempDir* s_Root;
    static int s_Status;
    testsupport::CurrentDirectory m_Cwd{s_Root->Path()};
    platform::NullAudioSink m_Sink;
    SoundManager m_Manager;
    Wizard m_Wizard;
};

testsupport::TempDir* SoundGenTest::s_Root = nullptr;
int SoundGenTest::s_Status = -1;

TEST_F(SoundGenTest, TwoRunsWriteTheSameFiles)
{
    testsupport::TempDir again;
    ASSERT_EQ(std::system((std::string(SOUNDGEN_PATH) + " '" + again.Path() + "'").c_str()), 0);
    const auto first = testsupport::ReadTree(s_Root->Path());
    const auto second = testsupport::ReadTree(again.Path());
    EXPECT_GT(first.size(), 60u);
    EXPECT_TRUE(first == second);
}

TEST_F(SoundGenTest, TheSoundListNamesEveryCategoryAndEachFileLoads)
{
    TiXmlDocument document;
    FILE* file = platform::OpenFile(SoundContent::kSoundList, "rb");
    ASSERT_NE(file, nullptr);
    const bool loaded = LoadXmlDocument(document, file, SoundContent::kSoundList);
    std::fclose(file);
    ASSERT_TRUE(loaded);
    const TiXmlElement* root = document.FirstChildElement("soundList");
    ASSERT_NE(root, nullptr);
    std::map<std::string, std::vector<std::string>> listed;
    for (const TiXmlElement* category = root->FirstChildElement("category"); category;
         category = category->NextSiblingElement("category"))
    {
        std::vector<std::string>& paths = listed[GetElementText(category->FirstChildElement("name"))];
        for (const TiXmlElement* path = category->FirstChildElement("path"); path;
             path = path->NextSiblingElement("path"))
            paths.push_back(GetElementText(path));
    }
    std::set<std::string> wanted = {"Crowd", "LaunchPlate", SoundContent::kExplosionCategory};
    for (const SoundContent::Cue& cue : SoundContent::Cues())
        wanted.insert(cue.name);
    EXPECT_EQ(wanted.size(), 23u);
    for (const std::string& name : wanted)
    {
        ASSERT_TRUE(listed.count(name)) << name;
        EXPECT_FALSE(listed[name].empty()) << name;
        for (const std::string& path : listed[name])
        {
            const kaSoundHandle handle = m_Wizard.LoadSound(path, true, false, 0, 0, 0, 160.0f, 10.0f);
            EXPECT_GE(handle.id, 0) << path;
            m_Wizard.UnloadSound(handle);
        }
    }
    EXPECT_EQ(listed["Crowd"].size(), 3u);
    EXPECT_EQ(listed.size(), wanted.size());
}

TEST_F(SoundGenTest, CuesAreSpokenAndEffectsAreHeard)
{
    for (const SoundContent::Cue& cue : SoundContent::Cues())
    {
        int rate = 0;
        const std::vector<float> samples = Decode(SoundContent::CuePath(cue.name), &rate);
        ASSERT_GT(rate, 0) << cue.name;
        // Words take a while and are loud; the silence around them is trimmed.
        EXPECT_GT(samples.size(), static_cast<size_t>(rate) / 5) << cue.name;
        EXPECT_LT(samples.size(), static_cast<size_t>(rate) * 5) << cue.name;
        EXPECT_GT(Synth::Peak(samples), 0.5f) << cue.name;
        EXPECT_GT(Synth::Rms(samples), 0.03f) << cue.name;
    }
    for (const std::string& effect : SoundContent::EffectFiles())
    {
        const std::vector<float> samples = Decode(effect);
        EXPECT_GT(samples.size(), 1000u) << effect;
        EXPECT_GT(Synth::Peak(samples), 0.2f) << effect;
        EXPECT_LE(Synth::Peak(samples), 1.0f) << effect;
    }
}

TEST_F(SoundGenTest, LoopsRepeatWithoutAJump)
{
    for (const char* loop : {SoundContent::kEngineLoop, SoundContent::kCrowdLoop, SoundContent::kGrateLoop})
    {
        const std::vector<float> samples = Decode(loop);
        ASSERT_GT(samples.size(), 2u);
        float largestStep = 0.0f;
        for (size_t i = 1; i < samples.size(); ++i)
            largestStep = std::max(largestStep, std::fabs(samples[i] - samples[i - 1]));
        // The step from the last sample back to the first is no larger than the steps inside.
        EXPECT_LE(std::fabs(samples.front() - samples.back()), largestStep) << loop;
    }
}

TEST_F(SoundGenTest, EverySongListLoadsWithLoopsAtEveryLevel)
{
    for (const MusicContent::Plan& plan : MusicContent::Songs())
    {
        SCOPED_TRACE(plan.list);
        m_Wizard.LoadSong(plan.list, false, false, 0, 0, 0, 100.0f, 4.0f);
        const Song* song = m_Wizard.GetSong();
        ASSERT_NE(song, nullptr);
        EXPECT_EQ(song->IsStreamed(), plan.streamed);
        EXPECT_EQ(song->grooveLow, plan.initLow);
        EXPECT_EQ(song->grooveHigh, plan.initHigh);
        EXPECT_EQ(song->groovesPerChange, plan.groovesPerChange);
        std::map<int, int> perLevel;
        std::vector<std::string> files;
        if (song->IsStreamed())
        {
            ASSERT_TRUE(song->streamIntro && song->streamOutro);
            files = {song->streamIntro->path, song->streamOutro->path};
            for (const auto& loop : song->streamLoops)
            {
                ++perLevel[loop->grooveLevel];
                files.push_back(loop->path);
            }
            ASSERT_NE(song->streamCurrentLoop, nullptr);
        }
        else
        {
            ASSERT_TRUE(song->intro && song->outro);
            EXPECT_GE(song->intro->id, 0);
            EXPECT_GE(song->outro->id, 0);
            for (const auto& loop : song->loops)
            {
                EXPECT_GE(loop->id, 0) << loop->name;
                ++perLevel[loop->id3];
            }
            ASSERT_NE(song->currentLoop, nullptr);
        }
        for (int level = 1; level <= MusicContent::kLevels; ++level)
            EXPECT_GE(perLevel[level], 1) << level;
        EXPECT_EQ(perLevel.size(), static_cast<size_t>(MusicContent::kLevels));
        for (const std::string& file : files)
            EXPECT_GT(Decode(file).size(), 10000u) << file;
        m_Wizard.UnloadSong();
    }
}

TEST_F(SoundGenTest, GrooveLevelsRiseInIntensity)
{
    for (const MusicContent::Plan& plan : MusicContent::Songs())
    {
        float previous = 0.0f;
        for (int level = 1; level <= MusicContent::kLevels; ++level)
        {
            std::vector<float> all;
            for (int variant = 0; variant < plan.loopsPerLevel; ++variant)
            {
                const std::vector<float> samples =
                    Decode(MusicContent::PartPath(plan, MusicContent::LoopName(level, variant)));
                all.insert(all.end(), samples.begin(), samples.end());
            }
            ASSERT_FALSE(all.empty()) << plan.name << " " << level;
            const float rms = Synth::Rms(all);
            EXPECT_GT(rms, previous * 1.05f) << plan.name << " level " << level;
            previous = rms;
        }
    }
}

} // namespace
