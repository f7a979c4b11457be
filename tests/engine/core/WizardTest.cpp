#include "engine/core/Wizard.h"
#include "engine/core/SoundEvent.h"
#include "engine/core/SoundManager.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

using testsupport::RiffBuilder;

namespace
{

class WizardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, true);
    }

    // A mono 16-bit wave at the output rate holding the value in every sample.
    std::string Wave(const std::string& name, size_t frames, int16_t value)
    {
        return m_Dir.Write(
            name,
            RiffBuilder::PcmWave(1, 22050, 16, RiffBuilder::Samples16(std::vector<int16_t>(frames, value))));
    }

    kaSoundHandle Load(const std::string& path, bool is3D = false)
    {
        return m_Wizard.LoadSound(path, false, is3D, 0.0f, 0.0f, 0.0f, 100.0f, 4.0f);
    }

    // One frame of virtual time: the output plays it, then the sound system updates.
    void Frame(float dt = 0.01f)
    {
        m_Sink.Advance(static_cast<uint32_t>(std::lround(dt * 22050.0f)));
        m_Wizard.Update(dt);
        m_Manager.CommitDeferredSettings();
    }

    // The left output of the last frame played.
    int Level() const { return m_Sink.Samples().empty() ? 0 : m_Sink.Samples()[m_Sink.Samples().size() - 2]; }

    platform::NullAudioSink m_Sink;
    testsupport::TempDir m_Dir;
    SoundManager m_Manager;
    Wizard m_Wizard;
};

} // namespace

TEST_F(WizardTest, IdsCountFromOneAndAreNeverReused)
{
    const std::string path = Wave("a.wav", 100, 1000);
    const kaSoundHandle first = Load(path);
    EXPECT_EQ(first.id, 1);
    EXPECT_EQ(first.name, path);
    EXPECT_EQ(first.id2, -1);
    EXPECT_EQ(first.id3, -1);
    EXPECT_EQ(Load(path).id, 2);
    m_Wizard.UnloadSound(first);
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(first));
    EXPECT_EQ(Load(path).id, 3);

    // A failed load gives the default handle and uses no id.
    const kaSoundHandle missing = Load(m_Dir.File("missing.wav"));
    EXPECT_EQ(missing.id, -1);
    EXPECT_EQ(missing.name, "n/a");
    EXPECT_EQ(Load(path).id, 4);
}

TEST_F(WizardTest, WithoutADeviceEveryLoadFailsQuietly)
{
    Wizard silent;
    const kaSoundHandle handle = silent.LoadSound(Wave("a.wav", 10, 1), false, false, 0, 0, 0, 100, 4);
    EXPECT_EQ(handle.id, -1);
    silent.PlaySound(handle, true, 0);
    EXPECT_FALSE(silent.IsSoundPlaying(handle));
    EXPECT_EQ(silent.GetQueuedEventCount(), 0u);
}

TEST_F(WizardTest, PlayingOnceAndLooping)
{
    const kaSoundHandle sound = Load(Wave("a.wav", 441, 1000));
    m_Wizard.PlaySound(sound, false, -600);
    Frame();
    EXPECT_TRUE(m_Wizard.IsSoundPlaying(sound));
    EXPECT_NEAR(Level(), 501, 1);
    Frame();
    Frame();
    EXPECT_FALSE(m_Wizard.IsSoundPlaying(sound));
    m_Wizard.PlayLoopingSound(sound, 0);
    for (int i = 0; i < 5; ++i)
        Frame();
    EXPECT_TRUE(m_Wizard.IsSoundPlaying(sound));
    EXPECT_EQ(Level(), 1000);
    m_Wizard.StopSound(sound);
    Frame();
    EXPECT_EQ(Level(), 0);
    EXPECT_TRUE(m_Wizard.IsSoundLoaded(sound));
}

TEST_F(WizardTest, OneShotsAskedToUnloadGoOnceTheyEnd)
{
    const std::string path = Wave("a.wav", 441, 1000);
    const kaSoundHandle sound = Load(path);
    m_Wizard.PlaySound(sound, true, 0);
    Frame();
    EXPECT_TRUE(m_Wizard.IsSoundLoaded(sound));
    Frame();
    Frame();
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(sound));
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);

    // A sound unloaded before it could end leaves nothing waiting behind.
    const kaSoundHandle other = Load(path);
    m_Wizard.PlaySound(other, true, 0);
    m_Wizard.UnloadSound(other);
    Frame();
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
}

TEST_F(WizardTest, MutingSilencesEveryPlayCall)
{
    bool soundEnabled = true;
    Wizard::SoundEnabledHook previous =
        Wizard::SetSoundEnabledHook([&](bool enabled) { soundEnabled = enabled; });
    const std::string path = Wave("a.wav", 4410, 1000);
    const kaSoundHandle playing = Load(path);
    m_Wizard.PlayLoopingSound(playing, 0);
    Frame();
    m_Wizard.SetMuted(true);
    EXPECT_FALSE(soundEnabled);
    EXPECT_FALSE(m_Wizard.IsSoundPlaying(playing));

    const kaSoundHandle sound = Load(path);
    m_Wizard.PlaySound(sound, false, 0);
    m_Wizard.PlayLoopingSound(sound, 0);
    EXPECT_FALSE(m_Wizard.IsSoundPlaying(sound));
    const kaSoundHandle loaded = m_Wizard.LoadAndPlaySound(path, 0, false, 0, 0, 0, true);
    EXPECT_EQ(loaded.id, -1);
    const kaSoundHandle looped =
        m_Wizard.LoadLoopedSound(path, path, path, 0, false, 0, 0, 0, 100, 4, nullptr, nullptr);
    m_Wizard.StartLoopedSound(looped);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);

    // An impact sound plays nothing but its event still runs its course.
    const kaSoundHandle impact = Load(path);
    m_Wizard.PlayImpactSound(impact, 0);
    EXPECT_FALSE(m_Wizard.IsSoundPlaying(impact));
    Frame();
    EXPECT_EQ(m_Wizard.GetImpactSoundCount(), 1);
    Frame();
    EXPECT_EQ(m_Wizard.GetImpactSoundCount(), 0);
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(impact));
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);

    m_Wizard.SetMuted(false);
    EXPECT_TRUE(soundEnabled);
    m_Wizard.PlaySound(sound, false, 0);
    EXPECT_TRUE(m_Wizard.IsSoundPlaying(sound));
    Wizard::SetSoundEnabledHook(previous);
}

TEST_F(WizardTest, TheFifthImpactSoundFindsNoSlot)
{
    const std::string path = Wave("long.wav", 22050, 100);
    std::vector<kaSoundHandle> impacts;
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_TRUE(m_Wizard.HasFreeImpactSlot());
        impacts.push_back(Load(path));
        m_Wizard.PlayImpactSound(impacts.back(), 0);
        Frame();
    }
    EXPECT_EQ(m_Wizard.GetImpactSoundCount(), 5);
    EXPECT_FALSE(m_Wizard.HasFreeImpactSlot());
    m_Wizard.StopSound(impacts[2]);
    Frame();
    EXPECT_EQ(m_Wizard.GetImpactSoundCount(), 4);
    EXPECT_TRUE(m_Wizard.HasFreeImpactSlot());
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(impacts[2]));
    m_Wizard.SetImpactSoundsDisabled(true);
    EXPECT_FALSE(m_Wizard.HasFreeImpactSlot());
}

TEST_F(WizardTest, AFadeStepsAtMostThreeTimesASecondAndEndsOnTarget)
{
    const kaSoundHandle sound = Load(Wave("a.wav", 441, 16000));
    m_Wizard.PlayLoopingSound(sound, 0);
    m_Wizard.SetVolume(sound, -2000, 1000);
    std::vector<int> levels;
    for (int i = 0; i < 12; ++i)
    {
        Frame(0.1f);
        m_Sink.Advance(4);
        levels.push_back(Level());
    }
    // Applied after 0.4 s (-800), 0.8 s (-1600) and 1.0 s (-2000, the target), nowhere else.
    const int full = 16000;
    const int at04 = static_cast<int>(std::lround(16000 * std::pow(10.0, -800 / 2000.0)));
    const int at08 = static_cast<int>(std::lround(16000 * std::pow(10.0, -1600 / 2000.0)));
    const std::vector<int> expected = {full, full, full, at04, at04, at04,
                                       at04, at08, at08, 1600, 1600, 1600};
    ASSERT_EQ(levels.size(), expected.size());
    for (size_t i = 0; i < levels.size(); ++i)
        EXPECT_NEAR(levels[i], expected[i], 1) << "after " << (i + 1) * 0.1 << " s";
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);

    // No fade time: at once, nothing queued.
    m_Wizard.SetVolume(sound, 0, 0);
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 16000);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
}

TEST_F(WizardTest, ThreeDSoundsArePlacedAtTheFrameCommit)
{
    const kaSoundHandle sound =
        m_Wizard.LoadSound(Wave("a.wav", 441, 16000), false, true, 0.0f, 0.0f, 8.0f, 100.0f, 4.0f);
    m_Wizard.PlayLoopingSound(sound, 0);
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 16000);
    m_Manager.CommitDeferredSettings();
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 8000);
    EXPECT_TRUE(m_Wizard.SetSoundPosition(sound, 0.0f, 0.0f, 16.0f));
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 8000);
    m_Manager.CommitDeferredSettings();
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 4000);
    m_Wizard.SetSoundPosition(sound, 0.0f, 0.0f, 120.0f);
    m_Manager.CommitDeferredSettings();
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 0);
    EXPECT_FALSE(m_Wizard.SetSoundPosition(Load(Wave("b.wav", 10, 1)), 0.0f, 0.0f, 1.0f));
}

namespace
{

class LoopedSoundTest : public WizardTest
{
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        m_Handle = m_Wizard.LoadLoopedSound(Wave("intro.wav", 441, 1000), Wave("loop.wav", 441, 2000),
                                            Wave("outro.wav", 441, 3000), 0, false, 0, 0, 0, 100, 4, &m_Loop,
                                            &m_Outro);
    }

    // The parts heard over the frames, each run of one level once; a part starts on the frame after the
    // one where the previous part ended, so the short silences between them are left out.
    std::vector<int> Run(int frames, int stopAtFrame)
    {
        std::vector<int> heard;
        for (int i = 0; i < frames; ++i)
        {
            if (i == stopAtFrame)
                m_Wizard.StopLoopedSound(m_Handle);
            Frame();
            if (Level() != 0 && (heard.empty() || heard.back() != Level()))
                heard.push_back(Level());
        }
        EXPECT_EQ(Level(), 0);
        return heard;
    }

    kaSoundHandle m_Handle, m_Loop, m_Outro;
};

} // namespace

TEST_F(LoopedSoundTest, StoppedInTheLoopItPlaysTheOutro)
{
    m_Wizard.StartLoopedSound(m_Handle);
    EXPECT_EQ(Run(20, 8), (std::vector<int>{1000, 2000, 3000}));
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
    EXPECT_TRUE(m_Wizard.IsSoundLoaded(m_Loop));
}

TEST_F(LoopedSoundTest, StoppedDuringTheIntroItGoesStraightToTheOutro)
{
    m_Wizard.StartLoopedSound(m_Handle);
    EXPECT_EQ(Run(20, 1), (std::vector<int>{1000, 3000}));
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
}

TEST_F(LoopedSoundTest, ResumeRestartsTheLoopAndUnloadTakesAllParts)
{
    m_Wizard.ResumeLoopedSound(m_Handle);
    Frame();
    EXPECT_EQ(Level(), 2000);
    m_Wizard.SetLoopedSoundVolume(m_Handle, -600, 0);
    Frame();
    EXPECT_NEAR(Level(), 1002, 1);
    m_Wizard.UnloadLoopedSound(m_Handle);
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(m_Handle));
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(m_Loop));
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(m_Outro));
}

TEST_F(WizardTest, ALoopedSoundWithoutItsIntroIsNotKept)
{
    kaSoundHandle loop, outro;
    const kaSoundHandle handle =
        m_Wizard.LoadLoopedSound(m_Dir.File("missing.wav"), Wave("loop.wav", 441, 2000),
                                 Wave("outro.wav", 441, 3000), 0, false, 0, 0, 0, 100, 4, &loop, &outro);
    EXPECT_EQ(handle.id, -1);
    EXPECT_EQ(handle.id2, -1);
    EXPECT_EQ(loop.id, -1);
    // The parts that did load are gone again.
    kaSoundHandle probe;
    probe.id = 1;
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(probe));
    probe.id = 2;
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(probe));
    m_Wizard.StartLoopedSound(handle);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
}

TEST_F(WizardTest, EventsMayEmptyTheQueueTheyRunIn)
{
    struct ShutdownEvent : SoundEvent
    {
        using SoundEvent::SoundEvent;
        bool Update(float) override
        {
            m_Wizard->Shutdown();
            return false;
        }
    };
    const kaSoundHandle before = Load(Wave("a.wav", 4410, 1000));
    const kaSoundHandle after = Load(Wave("b.wav", 4410, 1000));
    m_Wizard.PlaySound(before, true, 0);
    m_Wizard.QueueEvent(new ShutdownEvent(&m_Wizard));
    m_Wizard.SetVolume(after, -100, 1000);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 3u);
    Frame();
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(after));
    Frame();
}
