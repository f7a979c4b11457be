#include "tests/support/RiffBuilder.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using testsupport::RiffBuilder;

namespace
{

} // namespace

// The real back end, under SDL's disk driver: the output written to the file is the tone played.
TEST(PlaySoundToolTest, PlaysAWaveThroughTheDiskAudioDriver)
{
    testsupport::TempDir dir;
    std::vector<int16_t> tone;
    for (int i = 0; i < 4410; ++i)
        tone.push_back(
            static_cast<int16_t>(std::lround(12000.0 * std::sin(2.0 * M_PI * 440.0 * i / 22050.0))));
    const std::string wave =
        dir.Write("tone.wav", RiffBuilder::PcmWave(1, 22050, 16, RiffBuilder::Samples16(tone)));
    const std::string output = dir.File("out.raw");

    ASSERT_EQ(testsupport::RunCommand("SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE='" + output + "' '" PLAYSOUND_PATH "' '" +
                                      wave + "' >/dev/null")
                  .status,
              0);
    const std::string bytes = dir.Read("out.raw");
    ASSERT_GE(bytes.size(), 4410u * 4u);
    int peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const int16_t s =
            static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    EXPECT_GT(peak, 11000);
    EXPECT_LE(peak, 12001);
}

TEST(PlaySoundToolTest, FailsOnAFileThatIsNotAWave)
{
    testsupport::TempDir dir;
    const std::string bad = dir.Write("bad.wav", "not a wave");
    EXPECT_NE(testsupport::RunCommand("SDL_AUDIODRIVER=dummy '" PLAYSOUND_PATH "' '" + bad + "' 2>/dev/null").status, 0);
    EXPECT_NE(testsupport::RunCommand("SDL_AUDIODRIVER=dummy '" PLAYSOUND_PATH "' 2>/dev/null").status, 0);
}
