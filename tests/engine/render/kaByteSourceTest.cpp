#include "engine/render/kaByteSource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

// A file's bytes held in memory answer as the same bytes in an open file do: reads, skips, what is left
// and short reads that take what is there.
TEST(ByteSourceTest, MemoryAnswersAsTheSameBytesInAFile)
{
    const std::string bytes = "0123456789";
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::rewind(file);
    kaByteSource fromFile(file);
    kaByteSource fromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());

    // Each step in order on both: what it returned, then what is left.
    auto trace = [](kaByteSource& source)
    {
        std::string out;
        auto note = [&out](const std::string& text) { out += text + ";"; };
        char four[4] = {};
        note(std::to_string(source.Remaining()));
        const bool readThree = source.Read(four, 3);
        note(std::to_string(readThree) + std::string(four, 3));
        const bool skipTwo = source.Skip(2);
        note(std::to_string(skipTwo) + ":" + std::to_string(source.Remaining()));
        const bool skipSix = source.Skip(6);
        note(std::to_string(skipSix) + ":" + std::to_string(source.Remaining()));
        note(std::to_string(source.HasAtLeast(5)) + std::to_string(source.HasAtLeast(6)));
        std::vector<uint8_t> into;
        const bool intoSix = source.ReadInto(into, 6);
        note(std::to_string(intoSix) + ":" + std::to_string(into.size()));
        uint32_t word = 0;
        const bool readWord = source.ReadUInt32(word);
        note(std::to_string(readWord) + ":" + std::to_string(word));
        // One byte remains: a read of four takes it and fails, leaving nothing.
        const bool readFour = source.Read(four, 4);
        note(std::to_string(readFour) + four[0] + ":" + std::to_string(source.Remaining()));
        const bool readNone = source.Read(four, 0);
        const bool skipOne = source.Skip(1);
        out += std::to_string(readNone) + std::to_string(skipOne);
        return out;
    };
    const std::string memoryTrace = trace(fromMemory);
    EXPECT_EQ(memoryTrace, trace(fromFile));
    EXPECT_EQ(memoryTrace, "10;1012;1:5;0:5;10;0:0;1:943142453;09:0;10");
    std::fclose(file);
}

TEST(ByteSourceTest, NoBytesReadNothing)
{
    kaByteSource none(nullptr, 16);
    char c = 0;
    EXPECT_FALSE(none.Read(&c, 1));
    const std::string empty;
    kaByteSource nothing(reinterpret_cast<const uint8_t*>(empty.data()), 0);
    EXPECT_EQ(nothing.Remaining(), 0);
    EXPECT_FALSE(nothing.Read(&c, 1));
    EXPECT_FALSE(nothing.Skip(1));
    EXPECT_TRUE(nothing.Skip(0));
}

} // namespace
