#include "platform/files/Files.h"

#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitingPipeWriter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace
{

using testsupport::TempDir;
using testsupport::WaitingPipeWriter;

const std::string kStale = "bytes of some earlier file";

platform::FileMeasure MeasureEntry(const std::string& path)
{
    struct stat info;
    platform::FileMeasure measure;
    if (stat(path.c_str(), &info) == 0)
    {
        measure.regular = S_ISREG(info.st_mode);
        measure.size = static_cast<uint64_t>(info.st_size);
    }
    return measure;
}

} // namespace

// Every kind of entry is either read whole, exactly, or refused with the caller's bytes left as they were;
// a pipe is refused without being opened.
TEST(WholeFileReads, EachKindOfEntryIsReadWholeOrRefusedUntouched)
{
    TempDir dir;
    dir.Write("empty.bin", "");
    const std::string exact("twelve\0bytes", 12);
    dir.Write("exact.bin", exact);
    dir.Write("large.bin", std::string(100, 'x'));
    dir.Write("folder/inside.bin", "inside");
    const WaitingPipeWriter writer(dir.File("pipe.bin"));
    ASSERT_TRUE(writer.Made());

    const struct
    {
        const char* name;
        size_t maxBytes;
        bool read;
        std::string bytes;
    } cases[] = {
        {"empty.bin", 64, true, ""},        {"exact.bin", 64, true, exact},
        {"exact.bin", 12, true, exact},     {"large.bin", 99, false, kStale},
        {"folder", 1 << 20, false, kStale}, {"pipe.bin", 1 << 20, false, kStale},
        {"missing.bin", 64, false, kStale},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.name) + " within " + std::to_string(c.maxBytes));
        std::string bytes = kStale;
        EXPECT_EQ(platform::ReadWholeFile(dir.File(c.name), bytes, c.maxBytes), c.read);
        EXPECT_EQ(bytes, c.bytes);

        // Found by a Windows spelling, the same answer; only a missing name reads as missing.
        std::string upper = c.name;
        for (char& ch : upper)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        std::string found = "earlier path";
        bytes = kStale;
        const platform::FileRead result =
            platform::ReadFoundFile(dir.Path() + "\\" + upper, bytes, c.maxBytes, found);
        const bool missing = c.name == std::string("missing.bin");
        EXPECT_EQ(result, c.read    ? platform::FileRead::Read
                          : missing ? platform::FileRead::Missing
                                    : platform::FileRead::NotWhole);
        EXPECT_EQ(found, missing ? "" : dir.File(c.name));
        EXPECT_EQ(bytes, c.bytes);
    }
    EXPECT_FALSE(writer.Released());
}

// A file that does not hold the size it was measured at until it has been read is not taken as whole: the
// caller's buffer is emptied rather than left holding part of it or another file's bytes.
TEST(WholeFileReads, AFileThatChangedSizeSinceItWasMeasuredIsNotTakenAsWhole)
{
    const struct
    {
        const char* change;
        std::string before;
        std::string after;
        bool read;
        std::string bytes;
    } cases[] = {
        {"unchanged", "measured bytes", "measured bytes", true, "measured bytes"},
        {"rewritten at the same size", "measured bytes", "MEASURED BYTES", true, "MEASURED BYTES"},
        {"shrunk", std::string(5000, 'a'), std::string(3000, 'b'), false, ""},
        {"emptied", "measured bytes", "", false, ""},
        {"removed before it was opened", "measured bytes", "", false, kStale},
        {"grown by a byte", "measured bytes", "measured bytes!", false, ""},
        {"grown from empty", "", "now something", false, ""},
        {"grown a lot", "short", std::string(70000, 'c'), false, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.change);
        TempDir dir;
        const std::string path = dir.Write("changing.bin", c.before);
        const platform::FileMeasure measured = MeasureEntry(path);
        ASSERT_TRUE(measured.regular);
        if (std::string(c.change) == "removed before it was opened")
            ASSERT_EQ(unlink(path.c_str()), 0); // gone before it could be opened: untouched
        else
            dir.Write("changing.bin", c.after);
        std::string bytes = kStale;
        EXPECT_EQ(platform::ReadMeasuredFile(path, measured, bytes, 1 << 20), c.read);
        EXPECT_EQ(bytes, c.bytes);
    }

    // A measure that is not of a regular file, or too large, opens nothing and leaves the bytes alone.
    TempDir dir;
    const std::string path = dir.Write("file.bin", "contents");
    std::string bytes = kStale;
    EXPECT_FALSE(platform::ReadMeasuredFile(path, platform::FileMeasure{false, 8}, bytes, 64));
    EXPECT_FALSE(platform::ReadMeasuredFile(path, platform::FileMeasure{true, 8}, bytes, 7));
    EXPECT_EQ(bytes, kStale);
}

// One buffer serves file after file: it holds exactly the last file read, whatever the one before held,
// and keeps the room a larger file gave it.
TEST(WholeFileReads, AReusedBufferHoldsExactlyTheLastFileRead)
{
    TempDir dir;
    std::string large(64 * 1024, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>('a' + i % 26);
    const std::string small = "ten bytes!";
    const std::string middle(small.size() + 7, 'm');
    dir.Write("large.bin", large);
    dir.Write("small.bin", small);
    dir.Write("middle.bin", middle);
    dir.Write("empty.bin", "");

    std::string bytes;
    const struct
    {
        const char* name;
        const std::string& contents;
    } sequence[] = {{"large.bin", large}, {"small.bin", small}, {"middle.bin", middle},
                    {"small.bin", small}, {"empty.bin", ""},    {"middle.bin", middle},
                    {"large.bin", large}};
    for (const auto& step : sequence)
    {
        SCOPED_TRACE(step.name);
        std::string native;
        ASSERT_EQ(platform::ReadFoundFile(dir.File(step.name), bytes, 1 << 20, native),
                  platform::FileRead::Read);
        EXPECT_EQ(bytes, step.contents);
        EXPECT_GE(bytes.capacity(), large.size());
    }
}

// An open for reading takes only a regular file within the reader's limit: a pipe or a device, named or
// behind a link, is refused without being opened (a pipe would wait for its writer, /dev/zero never end),
// and each refusal a user can mend is named on the debugger output. A descriptor open answers the same.
TEST(ReadingOpens, OnlyARegularFileWithinTheLimitIsOpened)
{
    using platform::ReadRefusal;
    TempDir dir;
    dir.Write("course.xml", "<World/>");
    dir.Write("large.xml", std::string(65, 'x'));
    dir.Write("folder/inside.xml", "");
    const WaitingPipeWriter writer(dir.File("pipe.xml"));
    ASSERT_TRUE(writer.Made());
    ASSERT_EQ(symlink(dir.File("pipe.xml").c_str(), dir.File("to-pipe.xml").c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", dir.File("to-zero.xml").c_str()), 0);
    const bool device = mknod(dir.File("device.xml").c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0;

    const struct
    {
        const char* name;
        ReadRefusal refusal;
        const char* said;
    } cases[] = {
        {"course.xml", ReadRefusal::Opened, nullptr},
        {"COURSE.XML", ReadRefusal::Opened, nullptr},
        {"large.xml", ReadRefusal::TooLarge, "large.xml is larger than 64 bytes; not read"},
        {"folder", ReadRefusal::Folder, nullptr},
        {"missing.xml", ReadRefusal::Missing, nullptr},
        {"pipe.xml", ReadRefusal::NotRegular, "pipe.xml is not a regular file; not read"},
        {"to-pipe.xml", ReadRefusal::NotRegular, "to-pipe.xml is not a regular file; not read"},
        {"to-zero.xml", ReadRefusal::NotRegular, "to-zero.xml is not a regular file; not read"},
        {"device.xml", ReadRefusal::NotRegular, "device.xml is not a regular file; not read"},
    };
    for (const auto& c : cases)
    {
        if (std::string(c.name) == "device.xml" && !device)
            continue; // a system that does not let the test make a device
        SCOPED_TRACE(c.name);
        const std::string path = dir.File(c.name);
        testsupport::DebugCapture debug;
        ReadRefusal refusal = ReadRefusal::Unreadable;
        FILE* file = platform::OpenFile(path.c_str(), "rb", 64, &refusal);
        EXPECT_EQ(refusal, c.refusal);
        EXPECT_EQ(file != nullptr, c.refusal == ReadRefusal::Opened);
        if (file)
        {
            char bytes[16] = {};
            EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, file), 8u);
            EXPECT_EQ(std::string(bytes), "<World/>");
            std::fclose(file);
        }
        ReadRefusal described = ReadRefusal::Unreadable;
        const int fd = platform::OpenReadable(path, 64, &described);
        EXPECT_EQ(described, c.refusal);
        EXPECT_EQ(fd >= 0, c.refusal == ReadRefusal::Opened);
        if (fd >= 0)
            close(fd);
        const std::string line = c.said ? "[platform::OpenFile] : " + dir.Path() + "/" + c.said + "\n" : "";
        const std::vector<std::string> said =
            c.said ? std::vector<std::string>{line, line} : std::vector<std::string>();
        EXPECT_EQ(debug.Lines(), said);
    }
    EXPECT_FALSE(writer.Released()) << "the pipe was opened";
}
