#include "engine/core/kaBinaryStream.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>

namespace
{

class BinaryStreamTest : public ::testing::Test
{
protected:
    // A fresh reader over the given bytes.
    kaBinaryStream ReaderOver(const std::string& bytes)
    {
        m_Input.str(bytes);
        return kaBinaryStream(&m_Input);
    }

    std::stringbuf m_Output;
    std::stringbuf m_Input;
};

// A buffer that cannot seek, as a pipe or a socket would be.
class UnseekableBuffer : public std::stringbuf
{
public:
    explicit UnseekableBuffer(const std::string& bytes) : std::stringbuf(bytes) {}

protected:
    pos_type seekoff(off_type, std::ios_base::seekdir, std::ios_base::openmode) override
    {
        return pos_type(-1);
    }
    pos_type seekpos(pos_type, std::ios_base::openmode) override { return pos_type(-1); }
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

} // namespace

// Integers are four little-endian bytes, a bool one byte, a string its length then its characters.
TEST_F(BinaryStreamTest, WritesLittleEndianValuesAndLengthFirstStrings)
{
    kaBinaryStream out(&m_Output);
    out.WriteUInt32(0x04030201u).WriteInt32(-2).WriteBool(true).WriteBool(false).WriteString("abc").WriteString("");
    EXPECT_EQ(m_Output.str(), Bytes({1, 2, 3, 4, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0}));

    kaBinaryStream in = ReaderOver(m_Output.str());
    uint32_t u = 0;
    int32_t i = 0;
    in.ReadUInt32(u).ReadInt32(i);
    EXPECT_EQ(u, 0x04030201u);
    EXPECT_EQ(i, -2);
    EXPECT_FALSE(in.Failed());
}

TEST_F(BinaryStreamTest, OnlyOneIsTrue)
{
    kaBinaryStream in = ReaderOver(Bytes({1, 0, 2, 0xFF}));
    bool values[4] = {false, true, true, true};
    in.ReadBool(values[0]).ReadBool(values[1]).ReadBool(values[2]).ReadBool(values[3]);
    EXPECT_TRUE(values[0]);
    EXPECT_FALSE(values[1]);
    EXPECT_FALSE(values[2]);
    EXPECT_FALSE(values[3]);
}

// A string, then a bool: a failed read leaves the string alone and reads nothing after it.
TEST_F(BinaryStreamTest, StringReadsAndRefusals)
{
    const struct
    {
        std::string bytes;
        bool seekable;
        const char* text;
        bool after;
        bool failed;
    } cases[] = {
        {Bytes({3, 0, 0, 0, 'a', 'b', 'c', 1}), true, "abc", true, false},
        {Bytes({0, 0, 0, 0, 1}), true, "kept", true, false},                // empty: no change
        {Bytes({4, 0, 0, 0, 'a', 0, 'b', 'c', 1}), true, "a", true, false}, // stops at NUL, takes its length
        {Bytes({9, 0, 0, 0, 1, 1}), true, "kept", false, true},             // longer than the bytes left
        {Bytes({0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}), true, "kept", false, true},
        {Bytes({0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}), false, "kept", false, true},
        {Bytes({2, 0, 0, 0, 'o', 'k', 1}), false, "ok", true, false},
    };
    for (const auto& c : cases)
    {
        UnseekableBuffer unseekable(c.bytes);
        m_Input.str(c.bytes);
        kaBinaryStream in(c.seekable ? static_cast<std::streambuf*>(&m_Input) : &unseekable);
        std::string text = "kept";
        bool after = false;
        in.ReadString(text).ReadBool(after);
        EXPECT_EQ(text, c.text) << c.text << c.seekable;
        EXPECT_EQ(after, c.after) << c.text << c.seekable;
        EXPECT_EQ(in.Failed(), c.failed) << c.text << c.seekable;
    }
}

TEST_F(BinaryStreamTest, ShortReadsLeaveTheTargetAloneAndFailTheStream)
{
    kaBinaryStream in = ReaderOver(Bytes({1, 2, 3}));
    uint32_t value = 99;
    in.ReadUInt32(value);
    EXPECT_EQ(value, 99u);
    EXPECT_TRUE(in.Failed());

    kaBinaryStream empty = ReaderOver("");
    bool flag = true;
    empty.ReadBool(flag);
    EXPECT_TRUE(flag);
    EXPECT_TRUE(empty.Failed());
}

TEST_F(BinaryStreamTest, RawBlocksAndSeeking)
{
    kaBinaryStream out(&m_Output);
    const char block[5] = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_TRUE(out.Write(block, sizeof(block)));

    kaBinaryStream in = ReaderOver(m_Output.str());
    char read[3] = {};
    in.SeekRead(2, std::ios_base::beg).Read(read, 3);
    EXPECT_EQ(std::string(read, 3), "llo");
    EXPECT_EQ(static_cast<std::streamoff>(in.TellRead()), 5);
    in.SeekRead(-4, std::ios_base::cur).Read(read, 1);
    EXPECT_EQ(read[0], 'e');
}
