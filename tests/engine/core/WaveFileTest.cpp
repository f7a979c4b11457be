#include "engine/core/WaveFile.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using testsupport::RiffBuilder;

namespace
{

class WaveFileTest : public ::testing::Test
{
protected:
    platform::HResult Open(const std::string& bytes)
    {
        const std::string path = m_Dir.Write("sound.wav", bytes);
        return m_Wave.Open(path.c_str(), nullptr, WaveFile::kModeRead);
    }

    std::string ReadAll()
    {
        std::string out(m_Wave.GetDataSize() + 16, '\0');
        uint32_t read = 0;
        EXPECT_EQ(m_Wave.Read(reinterpret_cast<uint8_t*>(&out[0]), static_cast<uint32_t>(out.size()), &read),
                  platform::kResultOk);
        out.resize(read);
        return out;
    }

    testsupport::TempDir m_Dir;
    WaveFile m_Wave;
};

const std::string kPcmFormat = RiffBuilder::Format(1, 1, 22050, 8);

} // namespace

TEST_F(WaveFileTest, ReadsThePcmFormatAndItsSamples)
{
    ASSERT_EQ(Open(RiffBuilder::PcmWave(2, 44100, 16, "abcdefgh")), platform::kResultOk);
    ASSERT_NE(m_Wave.GetFormat(), nullptr);
    EXPECT_EQ(m_Wave.GetFormat()->channels, 2);
    EXPECT_EQ(m_Wave.GetFormat()->samplesPerSec, 44100u);
    EXPECT_EQ(m_Wave.GetFormat()->bitsPerSample, 16);
    EXPECT_EQ(m_Wave.GetFormat()->blockAlign, 4);
    EXPECT_EQ(m_Wave.GetFormat()->extraSize, 0);
    EXPECT_EQ(m_Wave.GetDataSize(), 8u);
    EXPECT_EQ(ReadAll(), "abcdefgh");
}

TEST_F(WaveFileTest, RefusesAnotherFormAShortFormatChunkAndMissingFiles)
{
    EXPECT_EQ(Open(RiffBuilder("AVI ").Chunk("fmt ", kPcmFormat).Chunk("data", "ab").Build()),
              platform::kResultFail);
    EXPECT_EQ(m_Wave.GetDataSize(), 0u);
    EXPECT_EQ(m_Wave.GetFormat(), nullptr);
    EXPECT_EQ(Open(RiffBuilder().Chunk("fmt ", kPcmFormat.substr(0, 14)).Chunk("data", "ab").Build()),
              platform::kResultFail);
    EXPECT_EQ(Open(RiffBuilder().Chunk("fmt ", kPcmFormat).Build()), platform::kResultFail);
    EXPECT_EQ(Open(std::string("RIFF")), platform::kResultFail);
    EXPECT_EQ(m_Wave.GetDataSize(), 0u);
    // So do missing files and null names.
    EXPECT_EQ(m_Wave.Open(m_Dir.File("nothing.wav").c_str(), nullptr, WaveFile::kModeRead),
              platform::kResultFail);
    EXPECT_EQ(m_Wave.Open(nullptr, nullptr, WaveFile::kModeRead), platform::kResultInvalidArg);
    uint8_t byte = 0;
    uint32_t read = 7;
    EXPECT_EQ(m_Wave.Read(&byte, 1, &read), platform::kResultNotInitialized);
    EXPECT_EQ(m_Wave.Rewind(), platform::kResultNotInitialized);
}

TEST_F(WaveFileTest, SkipsAPaddedOddChunkAndCutsTheDataToTheBytesPresent)
{
    ASSERT_EQ(Open(RiffBuilder().Chunk("fmt ", kPcmFormat).Chunk("LIST", "odd").Chunk("data", "xyz").Build()),
              platform::kResultOk);
    EXPECT_EQ(ReadAll(), "xyz");

    ASSERT_EQ(
        Open(RiffBuilder().Chunk("fmt ", kPcmFormat).ChunkClaiming("data", 100000, "0123456789").Build()),
        platform::kResultOk);
    EXPECT_EQ(m_Wave.GetDataSize(), 10u);
    EXPECT_EQ(ReadAll(), "0123456789");
}

TEST_F(WaveFileTest, ExtensibleFormatKeepsItsExtraBytes)
{
    const std::string extra = "0123456789abcdefghijkl";
    const std::string fmt = RiffBuilder::Format(0xFFFE, 2, 22050, 16) + RiffBuilder::U16(22) + extra;
    ASSERT_EQ(Open(RiffBuilder().Chunk("fmt ", fmt).Chunk("data", "abcd").Build()), platform::kResultOk);
    EXPECT_EQ(m_Wave.GetFormat()->formatTag, 0xFFFE);
    EXPECT_EQ(m_Wave.GetFormat()->extraSize, 22);
    EXPECT_EQ(std::string(m_Wave.GetFormatExtra().begin(), m_Wave.GetFormatExtra().end()), extra);

    // Extra bytes claimed but missing.
    const std::string cut = RiffBuilder::Format(0xFFFE, 2, 22050, 16) + RiffBuilder::U16(22) + "0123";
    EXPECT_EQ(Open(RiffBuilder().Chunk("fmt ", cut).Chunk("data", "abcd").Build()), platform::kResultFail);
    EXPECT_EQ(m_Wave.GetFormat(), nullptr);
}

TEST_F(WaveFileTest, ReadsStopAtTheEndOfTheDataAndRewindStartsOver)
{
    ASSERT_EQ(
        Open(RiffBuilder().Chunk("fmt ", kPcmFormat).Chunk("data", "abcdef").Chunk("junk", "zz").Build()),
        platform::kResultOk);
    uint8_t bytes[8] = {};
    uint32_t read = 0;
    ASSERT_EQ(m_Wave.Read(bytes, 4, &read), platform::kResultOk);
    EXPECT_EQ(read, 4u);
    ASSERT_EQ(m_Wave.Read(bytes, 8, &read), platform::kResultOk);
    EXPECT_EQ(read, 2u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 2), "ef");
    ASSERT_EQ(m_Wave.Read(bytes, 8, &read), platform::kResultOk);
    EXPECT_EQ(read, 0u);
    ASSERT_EQ(m_Wave.Rewind(), platform::kResultOk);
    EXPECT_EQ(ReadAll(), "abcdef");
    EXPECT_EQ(m_Wave.Read(nullptr, 1, &read), platform::kResultInvalidArg);
}
