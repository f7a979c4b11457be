#include "tests/support/RiffBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using testsupport::RiffBuilder;

namespace
{

// A list whose parts are 0.1 s of constant samples, each part its own level.
std::string WriteSong(testsupport::TempDir& dir, bool streamed)
{
    auto part = [&dir](const std::string& name, int16_t value)
    {
        return dir.Write(name, RiffBuilder::PcmWave(
                                   1, 22050, 16, RiffBuilder::Samples16(std::vector<int16_t>(2205, value))));
    };
    const std::string xml = "<song><initGrooveRange><high>1</high><low>1</low></initGrooveRange><stream>" +
                            std::string(streamed ? "1" : "0") + "</stream><content><intro>" +
                            part("intro.wav", 4000) + "</intro><outro>" + part("outro.wav", 12000) +
                            "</outro><loops><loop><grooveLevel>1</grooveLevel><file>" +
                            part("loop.wav", 8000) + "</file></loop></loops></content></song>";
    return dir.Write("song.xml", xml);
}

// The distinct sample levels in the raw 16-bit stereo output, rounded to hundreds.
std::set<int> Levels(const std::string& bytes)
{
    std::set<int> levels;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const int16_t s =
            static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
        levels.insert((s + 50) / 100 * 100);
    }
    return levels;
}

void ExpectSongPlayed(bool streamed)
{
    testsupport::TempDir dir;
    const std::string list = WriteSong(dir, streamed);
    const std::string output = dir.File("out.raw");
    ASSERT_EQ(testsupport::RunCommand("SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + output + "' '" PLAYSONG_PATH "' '" +
                                      list + "' 0.3 >/dev/null")
                  .status,
              0);
    const std::set<int> levels = Levels(dir.Read("out.raw"));
    // Intro, loop and outro were all heard.
    EXPECT_TRUE(levels.count(4000));
    EXPECT_TRUE(levels.count(8000));
    EXPECT_TRUE(levels.count(12000));
}

} // namespace

TEST(PlaySongToolTest, PlaysASampledSongThroughTheDiskAudioDriver)
{
    ExpectSongPlayed(false);
}

TEST(PlaySongToolTest, PlaysAStreamedSongThroughTheDiskAudioDriver)
{
    ExpectSongPlayed(true);
}

TEST(PlaySongToolTest, FailsOnAListThatIsNotASong)
{
    testsupport::TempDir dir;
    const std::string bad = dir.Write("bad.xml", "<music/>");
    EXPECT_NE(testsupport::RunCommand("SDL_AUDIODRIVER=dummy '" PLAYSONG_PATH "' '" + bad + "' 2>/dev/null").status, 0);
}
