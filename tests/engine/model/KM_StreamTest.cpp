#include "engine/model/KM_Stream.h"
#include "engine/core/kaFileSystem.h"
#include "engine/model/KM_ListRoom.h"
#include "engine/model/KM_Mesh.h"
#include "engine/model/KM_Point3.h"
#include "engine/model/KM_RoomAllocator.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/WaitingPipeWriter.h"
#include "tests/support/engine/model/KmfTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using kmftest::Bytes;

namespace
{

class StreamTest : public ::testing::Test
{
protected:
    kmftest::Files m_Files;
    kmftest::MessageBoxCapture m_Boxes;
    testsupport::DebugCapture m_Debug;
};

} // namespace

// Version 1 has no word A; version 2 carries it and a block; either way the header is 3 + n + 16 bytes.
TEST_F(StreamTest, HeaderVersionsOneAndTwo)
{
    const struct
    {
        std::string bytes;
        uint32_t wordA, wordB;
        std::string block;
    } cases[] = {{Bytes().Raw("KMI").U32(1).U32(0).U32(77).U32(0xCAFE).Data(), 1, 77, ""},
                 {Bytes().Raw("KMI").U32(2).U32(5).U32(3).Raw("abc").U32(9).U32(0xCAFE).Data(), 5, 9, "abc"}};
    for (const auto& c : cases)
    {
        KM_Stream stream;
        ASSERT_TRUE(m_Files.Open(stream, c.bytes));
        ASSERT_TRUE(stream.ReadHeader());
        EXPECT_EQ(stream.GetHeaderWordA(), c.wordA);
        EXPECT_EQ(stream.GetHeaderWordB(), c.wordB);
        EXPECT_EQ(std::string(stream.GetHeaderBlock().begin(), stream.GetHeaderBlock().end()), c.block);
        EXPECT_EQ(stream.GetPosition(), 3u + c.block.size() + 16u);
        uint32_t next;
        ASSERT_TRUE(stream.ReadU32(next));
        EXPECT_EQ(next, 0xCAFEu);
    }
}

TEST_F(StreamTest, RefusesHeaderVersionFourAndBadMagic)
{
    for (const std::string& bytes : {Bytes().Raw("KMI").U32(4).U32(1).U32(0).U32(0).Data(),
                                     Bytes().Raw("KMX").U32(3).U32(1).U32(0).U32(0).Data(),
                                     Bytes().Raw("KMI").U32(3).U32(1).U32(100).Data(), std::string("KM")})
    {
        KM_Stream stream;
        ASSERT_TRUE(m_Files.Open(stream, bytes));
        m_Debug.Clear();
        EXPECT_FALSE(stream.ReadHeader());
        EXPECT_FALSE(stream.HeaderUsable());
        ASSERT_EQ(m_Debug.Lines().size(), 1u);
        EXPECT_EQ(m_Debug.Lines()[0], "Error Reading Binary Header");
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(StreamTest, WithoutAFileNothingWorksAndOpenRefusesOtherModesAndMissingPaths)
{
    const std::string path = m_Files.Put("a.kmf", "KMI");
    KM_Stream stream;
    // Without a file everything fails quietly.
    uint32_t word;
    EXPECT_FALSE(stream.ReadU32(word));
    EXPECT_FALSE(stream.WriteU32(1));
    EXPECT_FALSE(stream.ReadHeader());
    EXPECT_FALSE(stream.Print("x"));
    EXPECT_FALSE(stream.AtEnd());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
    EXPECT_TRUE(m_Debug.Lines().empty());

    EXPECT_FALSE(stream.Open(path.c_str(), 2));
    EXPECT_FALSE(stream.Open(path.c_str(), -1));
    EXPECT_FALSE(stream.Open("", KM_Stream::kBinary));
    EXPECT_FALSE(stream.Open(nullptr, KM_Stream::kBinary));
    EXPECT_FALSE(stream.Open(m_Files.Path("missing.kmf").c_str(), KM_Stream::kBinary));
    EXPECT_FALSE(stream.OpenForWrite(m_Files.Path("b.kmf").c_str(), 2));
    EXPECT_TRUE(stream.Open(path.c_str(), KM_Stream::kText));
    EXPECT_EQ(stream.GetMode(), KM_Stream::kText);
}

TEST_F(StreamTest, ShortReadFailsAndCountsRequestedBytes)
{
    KM_Stream stream;
    ASSERT_TRUE(m_Files.Open(stream, "abcdef"));
    uint32_t word;
    EXPECT_TRUE(stream.ReadU32(word));
    EXPECT_FALSE(stream.ReadU32(word));
    EXPECT_EQ(stream.GetPosition(), 8u);
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_EQ(stream.Remaining(), 0u);
    // A short read at the end is not an error of the file: no message box.
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(StreamTest, CountedStringsEndAtTheirFirstNulOrTheirLength)
{
    KM_Stream stream;
    ASSERT_TRUE(m_Files.Open(stream, Bytes()
                                         .U32(4)
                                         .Raw("abcd")
                                         .U32(6)
                                         .Raw(std::string("ab\0cd\0", 6))
                                         .U32(0)
                                         .U32(1)
                                         .Raw(std::string(1, '\0'))
                                         .Data()));
    std::string text;
    ASSERT_TRUE(stream.ReadString(text));
    EXPECT_EQ(text, "abcd");
    ASSERT_TRUE(stream.ReadString(text));
    EXPECT_EQ(text, "ab");
    ASSERT_TRUE(stream.ReadString(text));
    EXPECT_EQ(text, "");
    ASSERT_TRUE(stream.ReadString(text));
    EXPECT_EQ(text, "");
}

// A string read moves past its whole stored length, NULs inside it included, and one longer than the bytes
// left takes nothing but its length word.
TEST_F(StreamTest, CountedStringsMoveThePositionByTheirStoredLength)
{
    const struct
    {
        std::string bytes;
        bool read;
        std::string text;
        uint64_t position;
        bool nextWord;
    } cases[] = {
        {Bytes().U32(3).Raw("xyz").Data(), true, "xyz", 7, false},
        {Bytes().U32(4).Raw("xyz").Data(), false, "", 4, false},
        {Bytes().U32(5).Raw(std::string("ab\0c\0", 5)).U32(7).Data(), true, "ab", 9, true},
        {Bytes().U32(2).Raw(std::string("\0q", 2)).U32(7).Data(), true, "", 6, true},
        {Bytes().U32(1).Data(), false, "", 4, false},
    };
    for (const auto& c : cases)
    {
        KM_Stream stream;
        ASSERT_TRUE(m_Files.Open(stream, c.bytes));
        std::string text = "old";
        EXPECT_EQ(stream.ReadString(text), c.read) << c.position;
        EXPECT_EQ(text, c.text) << c.position;
        EXPECT_EQ(stream.GetPosition(), c.position);
        uint32_t word = 0;
        EXPECT_EQ(stream.ReadU32(word), c.nextWord) << c.position;
        if (c.nextWord)
        {
            EXPECT_EQ(word, 7u);
        }
    }
}

TEST_F(StreamTest, RefusesLengthsAndCountsPastTheEnd)
{
    KM_Stream stream;
    ASSERT_TRUE(m_Files.Open(stream, Bytes().U32(0xFFFFFFF0u).Raw("abc").Data()));
    std::string text;
    EXPECT_FALSE(stream.ReadString(text));
    EXPECT_TRUE(stream.Fits(3, 1));
    EXPECT_FALSE(stream.Fits(4, 1));
    EXPECT_FALSE(stream.Fits(0x4000000000000000ull, 8));
    std::vector<uint32_t> words;
    EXPECT_FALSE(stream.ReadArray(words, 1));
    EXPECT_TRUE(words.empty());
}

TEST_F(StreamTest, IndentationStaysWithinZeroAnd255)
{
    KM_Stream stream;
    stream.Unindent();
    EXPECT_EQ(stream.GetIndent(), 0);
    EXPECT_STREQ(stream.IndentText(), "");
    for (int i = 0; i < 300; ++i)
        stream.Indent();
    EXPECT_EQ(stream.GetIndent(), 255);
    EXPECT_EQ(std::string(stream.IndentText()), std::string(255, '\t'));
    stream.Unindent();
    EXPECT_EQ(std::string(stream.IndentText()), std::string(254, '\t'));
}

TEST_F(StreamTest, PrintWritesLinesLongerThan512Characters)
{
    const std::string longText(2000, 'x');
    const std::string written = m_Files.Written(
        [&](KM_Stream* s) { return s->Print("%s|%d\n", longText.c_str(), 7); }, KM_Stream::kText);
    EXPECT_EQ(written, longText + "|7\n");
}

TEST_F(StreamTest, UncommittedWriteLeavesNoFileAndCommitReplaces)
{
    const std::string path = m_Files.Put("model.kmf", "old");
    {
        KM_Stream stream;
        ASSERT_TRUE(stream.OpenForWrite(path.c_str(), KM_Stream::kBinary));
        ASSERT_TRUE(stream.WriteU32(1));
    }
    EXPECT_EQ(m_Files.Get("model.kmf"), "old");
    EXPECT_EQ(m_Files.Entries(), std::vector<std::string>{"model.kmf"});
    KM_Stream stream;
    ASSERT_TRUE(stream.OpenForWrite(path.c_str(), KM_Stream::kBinary));
    ASSERT_TRUE(stream.WriteHeader());
    ASSERT_TRUE(stream.Commit());
    EXPECT_EQ(m_Files.Get("model.kmf"), Bytes().Header(3).Data());
}

TEST_F(StreamTest, FailedWriteShowsItsMessageBox)
{
    FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr)
        GTEST_SKIP() << "no /dev/full";
    std::setvbuf(full, nullptr, _IONBF, 0);
    KM_Stream stream;
    ASSERT_TRUE(stream.AttachForWrite(full, KM_Stream::kBinary));
    EXPECT_FALSE(stream.WriteU32(1));
    EXPECT_TRUE(m_Boxes.Shown("Error Writing Data", "Error"));
    stream.Close();
    std::fclose(full);
}

TEST_F(StreamTest, SeekFailureShowsItsMessageBox)
{
    KM_Stream stream;
    ASSERT_TRUE(m_Files.Open(stream, "abcd"));
    EXPECT_FALSE(stream.Seek(-100, SEEK_SET));
    EXPECT_TRUE(m_Boxes.Shown("Error Seeking to Position", "Error"));
}

TEST(MessageBoxTest, WithoutAHookTheWindowLayerShowsIt)
{
    platform::ScriptedWindowBackend backend;
    KM_MessageBox::Show("Error Writing Data", "Error");
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(backend.MessageBoxes()[0].text, "Error Writing Data");
    EXPECT_EQ(backend.MessageBoxes()[0].caption, "Error");
    EXPECT_EQ(backend.MessageBoxes()[0].owner, nullptr);
}

namespace
{

// What a run of reads gave: each result, the bytes read, the position counter and the end flag.
std::string ReadTrace(KM_Stream& stream)
{
    std::string trace;
    const size_t sizes[][2] = {{4, 1}, {1, 3}, {2, 2}, {4, 2}, {1, 1}, {1, 1}};
    for (const auto& size : sizes)
    {
        char buffer[16] = {};
        const bool read = stream.Read(buffer, size[0], size[1]);
        trace += (read ? "+" : "-") + std::string(buffer, size[0] * size[1]) + "@" +
                 std::to_string(stream.GetPosition()) + (stream.AtEnd() ? "E" : "") + " ";
    }
    return trace;
}

// Files up to this size are read whole; a larger one streams.
constexpr off_t kLargestWholeFile = off_t(256) * 1024 * 1024;

// A file too large to read whole that ends in the bytes (sparse, so its size costs nothing on disk), opened
// and placed at them. The position counts what is read from there.
bool OpenTailOfALargeFile(KM_Stream& stream, const std::string& path, const std::string& bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const off_t start = kLargestWholeFile + 1;
    const bool written =
        fd >= 0 && pwrite(fd, bytes.data(), bytes.size(), start) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0)
        close(fd);
    return written && stream.Open(path.c_str(), KM_Stream::kBinary) &&
           stream.Seek(-static_cast<long>(bytes.size()), SEEK_END) && stream.Remaining() == bytes.size();
}

// Opening a pipe by name is refused, and the pipe is never opened: that would wait for its writer.
void ExpectANamedPipeRefused(const std::string& path)
{
    const testsupport::WaitingPipeWriter writer(path);
    ASSERT_TRUE(writer.Made());
    KM_Stream pipe;
    EXPECT_FALSE(pipe.Open(path.c_str(), KM_Stream::kBinary));
    EXPECT_FALSE(pipe.IsOpen());
    EXPECT_FALSE(writer.Released());
}

} // namespace

// A regular file is taken whole at Open; one too large for that streams. Both give the same reads, partial
// elements and end flag included. A pipe is neither.
TEST_F(StreamTest, WholeFileReadsMatchAStreamedFileAndAPipeIsRefused)
{
    const std::string bytes = "KMI-0123456789ab";
    KM_Stream file;
    ASSERT_TRUE(m_Files.Open(file, bytes));
    KM_Stream streamed;
    ASSERT_TRUE(OpenTailOfALargeFile(streamed, m_Files.Path("large.kmf"), bytes));
    EXPECT_EQ(ReadTrace(file), ReadTrace(streamed));
    EXPECT_EQ(file.Remaining(), 0u);
    EXPECT_EQ(streamed.Remaining(), 0u);
    ExpectANamedPipeRefused(m_Files.Path("pipe"));
}

// The word helpers: values, position and end flag after each, through to a word the file holds only
// part of.
std::string WordTrace(KM_Stream& stream)
{
    std::string trace;
    const auto note = [&](bool read, int64_t value)
    {
        trace += (read ? "+" : "-") + std::to_string(value) + "@" + std::to_string(stream.GetPosition()) +
                 (stream.AtEnd() ? "E" : "") + " ";
    };
    uint32_t u = 0;
    int32_t i = 0;
    uint8_t b = 0;
    float f = 0.0f;
    bool read = stream.ReadU32(u);
    note(read, u);
    read = stream.ReadByte(b);
    note(read, b);
    read = stream.ReadI32(i);
    note(read, i);
    read = stream.ReadFloat(f);
    note(read, static_cast<int64_t>(f * 1000));
    read = stream.ReadU32(u);
    note(read, 0);
    read = stream.ReadByte(b);
    note(read, b);
    return trace;
}

TEST_F(StreamTest, WordReadsOfAWholeFileMatchAStreamedFileAndAPipeIsRefused)
{
    // 4 + 1 + 4 + 4 bytes, then 3 of a word.
    const std::string bytes = std::string("\x01\x02\x03\x04", 4) + "\x7f" +
                              std::string("\xfe\xff\xff\xff", 4) + std::string("\x00\x00\xc0\x3f", 4) + "xyz";
    KM_Stream file;
    ASSERT_TRUE(m_Files.Open(file, bytes));
    KM_Stream streamed;
    ASSERT_TRUE(OpenTailOfALargeFile(streamed, m_Files.Path("words.kmf"), bytes));
    const std::string whole = WordTrace(file);
    EXPECT_EQ(whole, WordTrace(streamed));
    EXPECT_EQ(whole, "+67305985@4 +127@5 +-2@9 +1500@13 -0@17E -127@18E ");
    ExpectANamedPipeRefused(m_Files.Path("words"));
}

TEST_F(StreamTest, SeeksInAWholeFileActAsOnTheFile)
{
    KM_Stream stream;
    ASSERT_TRUE(m_Files.Open(stream, "abcdefgh"));
    char c = 0;
    // From the end, then reading past it sets the end flag, which a seek clears.
    EXPECT_TRUE(stream.Seek(-1, SEEK_END));
    EXPECT_EQ(stream.Remaining(), 1u);
    EXPECT_TRUE(stream.Read(&c, 1, 1));
    EXPECT_EQ(c, 'h');
    EXPECT_FALSE(stream.Read(&c, 1, 1));
    EXPECT_TRUE(stream.AtEnd());
    EXPECT_TRUE(stream.Seek(2, SEEK_SET));
    EXPECT_FALSE(stream.AtEnd());
    EXPECT_TRUE(stream.Seek(3, SEEK_CUR));
    EXPECT_TRUE(stream.Read(&c, 1, 1));
    EXPECT_EQ(c, 'f');
    // Past the end is a valid place to be, with nothing left to read.
    EXPECT_TRUE(stream.Seek(100, SEEK_SET));
    EXPECT_EQ(stream.Remaining(), 0u);
    EXPECT_FALSE(stream.Read(&c, 1, 1));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
    // Before the start is not.
    EXPECT_FALSE(stream.Seek(-200, SEEK_CUR));
    EXPECT_TRUE(m_Boxes.Shown("Error Seeking to Position", "Error"));
}

// The bytes are those of the moment of opening: a file rewritten afterwards does not change what is read.
TEST_F(StreamTest, AWholeFileKeepsTheBytesItWasOpenedWith)
{
    KM_Stream stream;
    ASSERT_TRUE(m_Files.Open(stream, "abcd"));
    m_Files.Put("in.kmf", "wxyz1234");
    char text[5] = {};
    EXPECT_TRUE(stream.Read(text, 1, 4));
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(stream.Remaining(), 0u);
}

// However a stream gets its bytes (a path, the file system's search, bytes already read), it reads them
// alike; the search names the candidate it took, and a name found nowhere opens nothing.
TEST_F(StreamTest, FoundAndGivenBytesReadAsTheOpenedFile)
{
    const std::string bytes = "KMI-0123456789ab";
    KM_Stream byPath;
    ASSERT_TRUE(m_Files.Open(byPath, bytes, "Models/meshes/in.kmf"));
    const std::string expected = ReadTrace(byPath);

    kaFileSystem files;
    files.AddSearchPath(m_Files.Path("Models"));
    KM_Stream found;
    ASSERT_TRUE(found.OpenFound("Meshes\\IN.KMF", KM_Stream::kBinary));
    // Not as named, nor by its bare name here: found under the search folder, without regard to case.
    EXPECT_EQ(found.GetPath(), m_Files.Path("Models") + "\\Meshes\\IN.KMF");
    EXPECT_EQ(ReadTrace(found), expected);

    KM_Stream given;
    ASSERT_TRUE(given.OpenBytes(bytes, "given.kmf", KM_Stream::kBinary));
    EXPECT_TRUE(given.IsOpen());
    EXPECT_EQ(given.GetPath(), "given.kmf");
    EXPECT_EQ(ReadTrace(given), expected);
    // Opened for reading, it refuses writes as a read-only file does.
    EXPECT_FALSE(given.WriteU32(1));
    EXPECT_TRUE(m_Boxes.Shown("Error Writing Data", "Error"));

    KM_Stream missing;
    EXPECT_FALSE(missing.OpenFound("Models\\nowhere.kmf", KM_Stream::kBinary));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.OpenFound("", KM_Stream::kBinary));
}

// Values read together fill, fail and move the stream exactly as the same values read one by one, at
// every length the file may be cut to and from a position past its end.
TEST_F(StreamTest, GroupedValuesReadAsOneByOneAtEveryLength)
{
    const std::string full = Bytes().U32(0xA1B2C3D4u).U32(0x3FC00000u).Raw("\x7f").U32(0xFFFFFFFEu).Data();
    ASSERT_EQ(full.size(), 13u);
    for (long seekTo : {0L, 40L})
        for (size_t length = 0; length <= full.size(); ++length)
        {
            SCOPED_TRACE("length " + std::to_string(length) + " from " + std::to_string(seekTo));
            KM_Stream grouped, single;
            ASSERT_TRUE(grouped.OpenBytes(full.substr(0, length), "cut.kmf", KM_Stream::kBinary));
            ASSERT_TRUE(single.OpenBytes(full.substr(0, length), "cut.kmf", KM_Stream::kBinary));
            ASSERT_TRUE(grouped.Seek(seekTo, SEEK_SET) && single.Seek(seekTo, SEEK_SET));
            uint32_t u[2] = {7, 7};
            float f[2] = {7.0f, 7.0f};
            uint8_t b[2] = {7, 7};
            int32_t i[2] = {7, 7};
            const bool together = grouped.ReadValues(u[0], f[0], b[0], i[0]);
            const bool apart = single.ReadU32(u[1]) && single.ReadFloat(f[1]) && single.ReadByte(b[1]) &&
                               single.ReadI32(i[1]);
            EXPECT_EQ(together, apart);
            EXPECT_EQ(together, seekTo == 0 && length == full.size());
            EXPECT_EQ(u[0], u[1]);
            EXPECT_EQ(f[0], f[1]);
            EXPECT_EQ(b[0], b[1]);
            EXPECT_EQ(i[0], i[1]);
            EXPECT_EQ(grouped.GetPosition(), single.GetPosition());
            EXPECT_EQ(grouped.AtEnd(), single.AtEnd());
            EXPECT_EQ(grouped.Remaining(), single.Remaining());
        }
}

// Record arrays from every start (records need not be aligned in the file) and of every count: read whole
// when the bytes are there, otherwise refused with nothing taken, the array emptied and the stream unmoved.
TEST_F(StreamTest, RecordArraysReadWholeOrAreRefusedUntouched)
{
    const KM_Point3 points[3] = {{1.5f, -2.0f, 3.25f}, {4.0f, 5.5f, -6.0f}, {7.0f, 8.0f, 9.75f}};
    for (size_t start : {0u, 1u, 3u})
        for (size_t records = 0; records <= 3; ++records)
            for (uint32_t count = 0; count <= 4; ++count)
                for (size_t cut : {0u, 1u, 11u})
                {
                    Bytes bytes;
                    bytes.Raw(std::string(start, 'x'));
                    for (size_t r = 0; r < records; ++r)
                        bytes.F32(points[r].x).F32(points[r].y).F32(points[r].z);
                    std::string data = bytes.Data();
                    if (records > 0 && cut > 0)
                        data.resize(data.size() - cut);
                    const size_t whole = (data.size() - start) / sizeof(KM_Point3);
                    SCOPED_TRACE("start " + std::to_string(start) + " bytes " + std::to_string(data.size()) +
                                 " count " + std::to_string(count));
                    KM_Stream stream;
                    ASSERT_TRUE(stream.OpenBytes(data, "records.kmf", KM_Stream::kBinary));
                    ASSERT_TRUE(stream.Seek(static_cast<long>(start), SEEK_SET));
                    std::vector<KM_Point3> out(2, KM_Point3{9.0f, 9.0f, 9.0f});
                    const bool read = stream.ReadArray(out, count);
                    ASSERT_EQ(read, count <= whole);
                    if (read)
                    {
                        ASSERT_EQ(out.size(), count);
                        for (uint32_t r = 0; r < count; ++r)
                            EXPECT_EQ(out[r], points[r]) << "record " << r;
                        EXPECT_EQ(stream.GetPosition(), count * sizeof(KM_Point3));
                        EXPECT_EQ(stream.Remaining(), data.size() - start - count * sizeof(KM_Point3));
                    }
                    else
                    {
                        EXPECT_TRUE(out.empty());
                        EXPECT_EQ(stream.GetPosition(), 0u);
                        EXPECT_EQ(stream.Remaining(), data.size() - start);
                    }
                    EXPECT_FALSE(stream.AtEnd());
                }
}

// Counted strings of every length about the short-string room, stored with or without their NUL or cut at an
// inner one, read into texts that held nothing, a short text or a long one: each reads exactly its own text.
TEST_F(StreamTest, CountedStringsReadExactlyOverWhateverTheTextHeld)
{
    const std::string longText(70, 'q');
    for (size_t size : {1u, 2u, 14u, 15u, 16u, 17u, 31u, 40u, 69u, 100u})
        for (int stored = 0; stored < 3; ++stored) // with its NUL, without, with a NUL in the middle
            for (const std::string& before : {std::string(), std::string("prior"), longText})
            {
                std::string text;
                for (size_t i = 0; i < size; ++i)
                    text.push_back(static_cast<char>('a' + (i * 7 + size) % 26));
                std::string body = text;
                std::string expected = text;
                if (stored == 0)
                    body.push_back('\0');
                else if (stored == 2)
                {
                    body[size / 2] = '\0';
                    expected = text.substr(0, size / 2);
                }
                SCOPED_TRACE("size " + std::to_string(size) + " stored " + std::to_string(stored) +
                             " before " + std::to_string(before.size()));
                const std::string data =
                    Bytes().U32(static_cast<uint32_t>(body.size())).Raw(body).Str("next").Data();
                KM_Stream stream;
                ASSERT_TRUE(stream.OpenBytes(data, "text.kmf", KM_Stream::kBinary));
                std::string read = before;
                ASSERT_TRUE(stream.ReadString(read));
                EXPECT_EQ(read, expected);
                EXPECT_EQ(std::strlen(read.c_str()), expected.size());
                EXPECT_EQ(stream.GetPosition(), 4 + body.size());
                ASSERT_TRUE(stream.ReadString(read));
                EXPECT_EQ(read, "next");
            }
}

// Lists whose allocator leaves their room unfilled get exactly what a plain list gets, from every start and
// of every count, whether their room is fresh, carved from a reserved block or held records before.
TEST_F(StreamTest, RecordsCopiedOverUnfilledRoomMatchAPlainList)
{
    using RoomList = std::vector<KM_Mesh::FaceNormals, KM_ListAllocator<KM_Mesh::FaceNormals>>;
    for (size_t start : {0u, 1u, 2u, 5u})
        for (size_t records = 0; records <= 5; ++records)
            for (uint32_t count = 0; count <= 6; ++count)
                for (int room = 0; room < 3; ++room)
                {
                    Bytes bytes;
                    bytes.Raw(std::string(start, 'z'));
                    for (size_t r = 0; r < records * 12; ++r)
                        bytes.F32(static_cast<float>(r) * 0.5f - static_cast<float>(start));
                    const std::string data = bytes.Data() + "tail";
                    SCOPED_TRACE("start " + std::to_string(start) + " records " + std::to_string(records) +
                                 " count " + std::to_string(count) + " room " + std::to_string(room));
                    KM_ListRoom listRoom;
                    if (room == 1)
                        listRoom.Reserve(4096);
                    RoomList roomy(&listRoom);
                    if (room == 2)
                        roomy.assign(7, KM_Mesh::FaceNormals{{-1.0f, -2.0f, -3.0f}, {}});
                    std::vector<KM_Mesh::FaceNormals> plain(3);
                    KM_Stream a, b;
                    ASSERT_TRUE(a.OpenBytes(data, "a.kmf", KM_Stream::kBinary));
                    ASSERT_TRUE(b.OpenBytes(data, "b.kmf", KM_Stream::kBinary));
                    ASSERT_TRUE(a.Seek(static_cast<long>(start), SEEK_SET) &&
                                b.Seek(static_cast<long>(start), SEEK_SET));
                    const bool readPlain = a.ReadArray(plain, count);
                    const bool readRoomy = b.ReadArray(roomy, count);
                    EXPECT_EQ(readRoomy, readPlain);
                    EXPECT_EQ(readPlain, count * sizeof(KM_Mesh::FaceNormals) <= data.size() - start);
                    ASSERT_EQ(roomy.size(), plain.size());
                    if (!plain.empty())
                    {
                        EXPECT_EQ(std::memcmp(roomy.data(), plain.data(), plain.size() * sizeof plain[0]), 0);
                    }
                    EXPECT_EQ(b.GetPosition(), a.GetPosition());
                    EXPECT_EQ(b.Remaining(), a.Remaining());
                    EXPECT_EQ(roomy.get_allocator().resource(), &listRoom);
                }
}

// Streams found one after another name each its own file whatever the stream before it was called, and one
// that finds nothing names nothing.
TEST_F(StreamTest, StreamsFoundInTurnEachNameTheirOwnFile)
{
    const struct
    {
        const char* name; // null: looked for but not there
        bool keepOpen;    // the next stream opens while this one is still open
    } cases[] = {
        {"a/much/longer/folder/than/the/others/first.kmf", false},
        {"b.kmf", true},
        {nullptr, false},
        {"c/mid/second.kmf", false},
        {"d/x.kmf", false},
        {nullptr, false},
        {"a/much/longer/folder/than/the/others/last_of_all.kmf", false},
    };
    KM_Stream held;
    for (const auto& c : cases)
    {
        const std::string path =
            c.name ? m_Files.Put(c.name, std::string("kmf ") + c.name) : m_Files.Path("nowhere/missing.kmf");
        SCOPED_TRACE(path);
        KM_Stream stream;
        EXPECT_EQ(stream.OpenFound(path, KM_Stream::kBinary), c.name != nullptr);
        EXPECT_EQ(stream.GetPath(), c.name ? ResolvePath(path) : std::string());
        if (c.name)
        {
            EXPECT_EQ(stream.Remaining(), 4 + std::strlen(c.name));
        }
        if (c.keepOpen)
        {
            ASSERT_TRUE(held.OpenFound(path, KM_Stream::kBinary));
        }
    }
    EXPECT_EQ(held.GetPath(), ResolvePath(m_Files.Path("b.kmf")));
}

// Streams opened one after another on a thread read over the room the last one left: each must show its own
// file's bytes and end where its file ends, whether it is larger or smaller than the one before, opened by
// path or by look-up, and after a file that could not be read whole.
TEST_F(StreamTest, FilesReadInTurnEachShowOnlyTheirOwnBytes)
{
    struct Case
    {
        const char* name;
        size_t size;
        bool found;
    };
    const Case cases[] = {{"big.kmf", 5000, false}, {"small.kmf", 40, false}, {"empty.kmf", 0, true},
                          {"mid.kmf", 700, true},   {"tiny.kmf", 3, false},   {"big2.kmf", 9000, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string bytes(c.size, '\0');
        for (size_t i = 0; i < c.size; ++i)
            bytes[i] = static_cast<char>('a' + (i * 7 + c.size) % 26);
        const std::string path = m_Files.Put(c.name, bytes);
        KM_Stream stream;
        ASSERT_TRUE(c.found ? stream.OpenFound(path, KM_Stream::kBinary)
                            : stream.Open(path.c_str(), KM_Stream::kBinary));
        EXPECT_EQ(stream.Remaining(), c.size);
        std::string got(c.size, '\0');
        if (c.size > 0)
        {
            EXPECT_TRUE(stream.Read(&got[0], 1, c.size));
        }
        EXPECT_EQ(got, bytes);
        char past = 0;
        EXPECT_FALSE(stream.Read(&past, 1, 1));
        stream.Close();
        // A missing file between reads leaves nothing of the last one behind.
        KM_Stream missing;
        EXPECT_FALSE(missing.Open(m_Files.Path("missing.kmf").c_str(), KM_Stream::kBinary));
    }
}

// Streams given their bytes in turn, some alive at once, long paths and short, each name only their own
// path, whatever room a closed one left behind.
TEST_F(StreamTest, StreamsGivenBytesInTurnNameOnlyTheirOwnPath)
{
    const std::string bytes = Bytes().U32(0x01020304u).Data();
    const std::vector<std::string> names = {"Models/Vehicles/motorcycle_frame_with_a_long_name.kmf",
                                            "a.kmf",
                                            "Models/Riders/rider_body_also_named_at_length_here.kmf",
                                            std::string(300, 'p') + ".kmf",
                                            "",
                                            "Models/short.kmf"};
    auto held = std::make_unique<KM_Stream>();
    ASSERT_TRUE(held->OpenBytes(bytes, names[0], KM_Stream::kBinary));
    for (size_t i = 1; i < names.size(); ++i)
    {
        SCOPED_TRACE(i);
        {
            KM_Stream passing;
            ASSERT_TRUE(passing.OpenBytes(bytes, names[i], KM_Stream::kBinary));
            EXPECT_EQ(passing.GetPath(), names[i]);
            uint32_t value = 0;
            EXPECT_TRUE(passing.ReadU32(value));
            EXPECT_EQ(value, 0x01020304u);
        }
        KM_Stream next;
        ASSERT_TRUE(next.OpenBytes(bytes, names[names.size() - i], KM_Stream::kBinary));
        EXPECT_EQ(next.GetPath(), names[names.size() - i]);
        EXPECT_EQ(held->GetPath(), names[0]);
    }
    held.reset();
    KM_Stream last;
    ASSERT_TRUE(last.OpenBytes(bytes, "b.kmf", KM_Stream::kBinary));
    EXPECT_EQ(last.GetPath(), "b.kmf");
}
