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

TEST_F(BinaryStreamTest, IntegersAreFourLittleEndianBytes)
{
    kaBinaryStream out(&m_Output);
    out.WriteUInt32(0x04030201u).WriteInt32(-2);
    EXPECT_EQ(m_Output.str(), Bytes({1, 2, 3, 4, 0xFE, 0xFF, 0xFF, 0xFF}));

    kaBinaryStream in = ReaderOver(m_Output.str());
    uint32_t u = 0;
    int32_t i = 0;
    in.ReadUInt32(u).ReadInt32(i);
    EXPECT_EQ(u, 0x04030201u);
    EXPECT_EQ(i, -2);
    EXPECT_FALSE(in.Failed());
}

TEST_F(BinaryStreamTest, BoolIsOneByteAndOnlyOneIsTrue)
{
    kaBinaryStream out(&m_Output);
    out.WriteBool(true).WriteBool(false);
    EXPECT_EQ(m_Output.str(), Bytes({1, 0}));

    kaBinaryStream in = ReaderOver(Bytes({1, 0, 2, 0xFF}));
    bool values[4] = {false, true, true, true};
    in.ReadBool(values[0]).ReadBool(values[1]).ReadBool(values[2]).ReadBool(values[3]);
    EXPECT_TRUE(values[0]);
    EXPECT_FALSE(values[1]);
    EXPECT_FALSE(values[2]);
    EXPECT_FALSE(values[3]);
}

TEST_F(BinaryStreamTest, StringIsLengthThenCharacters)
{
    kaBinaryStream out(&m_Output);
    out.WriteString("abc");
    EXPECT_EQ(m_Output.str(), Bytes({3, 0, 0, 0, 'a', 'b', 'c'}));

    kaBinaryStream in = ReaderOver(m_Output.str());
    std::string text = "old";
    in.ReadString(text);
    EXPECT_EQ(text, "abc");
    EXPECT_FALSE(in.Failed());
}

TEST_F(BinaryStreamTest, EmptyStringIsFourZeroBytesAndReadsAsNoChange)
{
    kaBinaryStream out(&m_Output);
    out.WriteString("");
    EXPECT_EQ(m_Output.str(), std::string(4, '\0'));

    kaBinaryStream in = ReaderOver(m_Output.str());
    std::string text = "kept";
    in.ReadString(text);
    EXPECT_EQ(text, "kept");
    EXPECT_FALSE(in.Failed());
}

TEST_F(BinaryStreamTest, StringStopsAtTheFirstNulButConsumesItsLength)
{
    kaBinaryStream in = ReaderOver(Bytes({4, 0, 0, 0, 'a', 0, 'b', 'c', 7, 0, 0, 0}));
    std::string text;
    uint32_t after = 0;
    in.ReadString(text).ReadUInt32(after);
    EXPECT_EQ(text, "a");
    EXPECT_EQ(after, 7u);
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

TEST_F(BinaryStreamTest, NothingIsReadAfterAFailure)
{
    // The length asks for 9 bytes where 2 are left; the bytes after it must not be taken as values.
    kaBinaryStream in = ReaderOver(Bytes({9, 0, 0, 0, 1, 1}));
    std::string text = "kept";
    bool flag = false;
    in.ReadString(text).ReadBool(flag);
    EXPECT_EQ(text, "kept");
    EXPECT_FALSE(flag);
    EXPECT_TRUE(in.Failed());
}

TEST_F(BinaryStreamTest, RefusesAStringLongerThanTheBytesLeft)
{
    kaBinaryStream in = ReaderOver(Bytes({0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}));
    std::string text = "kept";
    in.ReadString(text);
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(in.Failed());
}

TEST_F(BinaryStreamTest, RefusesAnOverlongStringOnABufferThatCannotSeek)
{
    UnseekableBuffer buffer(Bytes({0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b'}));
    kaBinaryStream in(&buffer);
    std::string text = "kept";
    in.ReadString(text);
    EXPECT_EQ(text, "kept");
    EXPECT_TRUE(in.Failed());

    UnseekableBuffer whole(Bytes({2, 0, 0, 0, 'o', 'k'}));
    kaBinaryStream fits(&whole);
    fits.ReadString(text);
    EXPECT_EQ(text, "ok");
    EXPECT_FALSE(fits.Failed());
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
