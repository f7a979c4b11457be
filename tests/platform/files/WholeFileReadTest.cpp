#include "platform/files/Files.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

using testsupport::TempDir;

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

// A writer waiting for the pipe's first reader: whoever opens the pipe for reading lets it through.
class WaitingPipeWriter
{
public:
    explicit WaitingPipeWriter(std::string path)
        : m_Path(std::move(path)), m_Thread(
                                       [this]
                                       {
                                           const int fd = open(m_Path.c_str(), O_WRONLY);
                                           m_Released = true;
                                           if (fd >= 0)
                                               close(fd);
                                       })
    {
    }

    ~WaitingPipeWriter()
    {
        // Opened here at last, so that the writer always ends.
        const int fd = open(m_Path.c_str(), O_RDONLY | O_NONBLOCK);
        m_Thread.join();
        if (fd >= 0)
            close(fd);
    }

    // True when someone opened the pipe within the time a released writer needs to notice.
    bool Released() const
    {
        for (int i = 0; i < 20 && !m_Released; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return m_Released;
    }

private:
    std::string m_Path;
    std::atomic<bool> m_Released{false};
    std::thread m_Thread;
};

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
    ASSERT_EQ(mkfifo(dir.File("pipe.bin").c_str(), 0600), 0);
    WaitingPipeWriter writer(dir.File("pipe.bin"));

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
