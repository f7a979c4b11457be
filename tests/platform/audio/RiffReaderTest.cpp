#include "platform/audio/RiffReader.h"
#include "tests/support/RiffBuilder.h"

#include <gtest/gtest.h>

using platform::RiffChunk;
using platform::RiffReader;
using testsupport::RiffBuilder;

namespace
{

RiffReader ReaderOf(const std::string& bytes)
{
    return RiffReader(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

constexpr uint32_t kWave = RiffReader::FourCC('W', 'A', 'V', 'E');
constexpr uint32_t kData = RiffReader::FourCC('d', 'a', 't', 'a');

} // namespace

TEST(RiffReaderTest, DescendsPastTheFormTypeAndFindsChunksSkippingPadBytes)
{
    RiffReader reader = ReaderOf(RiffBuilder().Chunk("junk", "abc").Chunk("data", "wxyz").Build());
    RiffChunk riff;
    // Into the outer chunk, past its form type.
    ASSERT_EQ(reader.Descend(riff, nullptr, 0), RiffReader::kNoError);
    EXPECT_EQ(riff.id, RiffReader::FourCC('R', 'I', 'F', 'F'));
    EXPECT_EQ(riff.formType, kWave);
    EXPECT_EQ(riff.dataOffset, 8u);
    EXPECT_EQ(reader.Position(), 12u);
    RiffChunk data;
    data.id = kData;
    ASSERT_EQ(reader.Descend(data, &riff, RiffReader::kFindChunk), RiffReader::kNoError);
    EXPECT_EQ(data.size, 4u);
    char text[5] = {};
    EXPECT_EQ(reader.Read(text, 4), 4);
    EXPECT_STREQ(text, "wxyz");
}

TEST(RiffReaderTest, AscendMovesPastThePadByte)
{
    RiffReader reader = ReaderOf(RiffBuilder().Chunk("odd ", "abc").Chunk("next", "1234").Build());
    RiffChunk riff, odd, next;
    ASSERT_EQ(reader.Descend(riff, nullptr, 0), RiffReader::kNoError);
    ASSERT_EQ(reader.Descend(odd, &riff, 0), RiffReader::kNoError);
    EXPECT_EQ(reader.Ascend(odd), RiffReader::kNoError);
    EXPECT_EQ(reader.Position(), 12u + 8u + 4u);
    ASSERT_EQ(reader.Descend(next, &riff, 0), RiffReader::kNoError);
    EXPECT_EQ(next.id, RiffReader::FourCC('n', 'e', 'x', 't'));
}

TEST(RiffReaderTest, FindChunkStopsAtTheParentsEnd)
{
    // A "data" chunk after the RIFF chunk's declared end is not inside it.
    const std::string inner = RiffBuilder().Chunk("fmt ", "0123").Build();
    RiffReader reader = ReaderOf(inner + "data" + RiffBuilder::U32(2) + "ab");
    RiffChunk riff;
    ASSERT_EQ(reader.Descend(riff, nullptr, 0), RiffReader::kNoError);
    RiffChunk data;
    data.id = kData;
    EXPECT_EQ(reader.Descend(data, &riff, RiffReader::kFindChunk), RiffReader::kErrorChunkNotFound);
    EXPECT_EQ(reader.Position(), 12u);
    // Without a parent the search runs to the end of the bytes.
    EXPECT_EQ(reader.Descend(data, nullptr, RiffReader::kFindChunk), RiffReader::kNoError);
}

TEST(RiffReaderTest, DamagedChunksEndTheSearchWithoutReadingOutOfBounds)
{
    // A chunk claiming far more than is present, then a truncated header.
    RiffReader huge = ReaderOf(RiffBuilder().ChunkClaiming("junk", 0xFFFFFFF0u, "ab").Build());
    RiffChunk riff;
    ASSERT_EQ(huge.Descend(riff, nullptr, 0), RiffReader::kNoError);
    RiffChunk data;
    data.id = kData;
    EXPECT_EQ(huge.Descend(data, &riff, RiffReader::kFindChunk), RiffReader::kErrorChunkNotFound);

    RiffReader truncated = ReaderOf(std::string("RIFF\x04\x00", 6));
    EXPECT_EQ(truncated.Descend(riff, nullptr, 0), RiffReader::kErrorChunkNotFound);
    RiffReader noForm = ReaderOf(std::string("RIFF\x00\x00\x00\x00WA", 10));
    EXPECT_EQ(noForm.Descend(riff, nullptr, 0), RiffReader::kErrorChunkNotFound);
}

TEST(RiffReaderTest, FindsRiffByFormType)
{
    RiffReader reader = ReaderOf(RiffBuilder("AVI ").Chunk("data", "ab").Build());
    RiffChunk wanted;
    wanted.formType = kWave;
    EXPECT_EQ(reader.Descend(wanted, nullptr, RiffReader::kFindRiff), RiffReader::kErrorChunkNotFound);
    wanted.formType = RiffReader::FourCC('A', 'V', 'I', ' ');
    EXPECT_EQ(reader.Descend(wanted, nullptr, RiffReader::kFindRiff), RiffReader::kNoError);
}

TEST(RiffReaderTest, ReadsComeBackShortAtTheEndAndSeeksStayInside)
{
    RiffReader reader = ReaderOf("0123456789");
    EXPECT_EQ(reader.Seek(7, 0), 7);
    char buffer[8] = {};
    EXPECT_EQ(reader.Read(buffer, 8), 3);
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_EQ(reader.Read(buffer, 8), 0);
    EXPECT_EQ(reader.Seek(-2, 2), 8);
    EXPECT_EQ(reader.Seek(5, 1), -1);
    EXPECT_EQ(reader.Seek(-1, 0), -1);
    EXPECT_EQ(reader.Position(), 8u);
    EXPECT_EQ(reader.Read(buffer, -1), -1);
}
