#include "platform/files/FileBytes.h"
#include "platform/files/Files.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using testsupport::TempDir;

const std::string kEarlierBytes = "what an earlier file held";

std::string Shown(const platform::FileBytes& bytes)
{
    return bytes.Empty() ? std::string()
                         : std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Size());
}

void Hold(platform::FileBytes& bytes, const std::string& text)
{
    std::copy(text.begin(), text.end(), bytes.MakeRoom(text.size()));
    bytes.SetSize(text.size());
}

platform::FileMeasure MeasureOfEntry(const std::string& path)
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

// Room is reused while it is large enough, never shown past what was written, and goes with a move.
TEST(FileBytesTest, RoomIsKeptReusedAndNeverShownPastWhatWasWritten)
{
    platform::FileBytes bytes;
    EXPECT_EQ(bytes.MakeRoom(0), nullptr);
    const uint8_t* const first = bytes.MakeRoom(100);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(bytes.Room(), 100u);
    bytes.SetSize(40);
    EXPECT_EQ(bytes.Size(), 40u);
    // Asking for no more than the room keeps the block and shows nothing until told.
    EXPECT_EQ(bytes.MakeRoom(60), first);
    EXPECT_TRUE(bytes.Empty());
    bytes.SetSize(500);
    EXPECT_EQ(bytes.Size(), 100u);

    platform::FileBytes taken = std::move(bytes);
    EXPECT_EQ(taken.Data(), first);
    EXPECT_EQ(taken.Size(), 100u);
    EXPECT_EQ(bytes.Data(), nullptr);
    EXPECT_EQ(bytes.Room(), 0u);
    EXPECT_TRUE(bytes.Empty());
    bytes.SetSize(10);
    EXPECT_TRUE(bytes.Empty());

    taken.MakeRoom(101);
    EXPECT_GE(taken.Room(), 101u);
    taken.Release();
    EXPECT_EQ(taken.Data(), nullptr);
    EXPECT_EQ(taken.Room(), 0u);
}

// Read into uncleared room, every kind of entry is read whole and exactly, or refused with the earlier bytes
// still shown; a pipe is refused without being read, even one with nothing waiting to write to it.
TEST(FileBytesTest, EachKindOfEntryIsReadExactlyOrRefusedUntouched)
{
    TempDir dir;
    dir.Write("empty.bin", "");
    const std::string exact("with\0a zero", 11);
    dir.Write("exact.bin", exact);
    dir.Write("large.bin", std::string(100, 'x'));
    dir.Write("folder/inside.bin", "inside");
    ASSERT_EQ(mkfifo(dir.File("pipe.bin").c_str(), 0600), 0);

    const struct
    {
        const char* name;
        size_t maxBytes;
        bool read;
        std::string shown;
    } cases[] = {
        {"empty.bin", 64, true, ""},
        {"exact.bin", 64, true, exact},
        {"exact.bin", 11, true, exact},
        {"large.bin", 99, false, kEarlierBytes},
        {"folder", 64, false, kEarlierBytes},
        {"pipe.bin", 64, false, kEarlierBytes},
        {"missing.bin", 64, false, kEarlierBytes},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.name) + " within " + std::to_string(c.maxBytes));
        platform::FileBytes bytes;
        Hold(bytes, kEarlierBytes);
        EXPECT_EQ(platform::ReadWholeFile(dir.File(c.name), bytes, c.maxBytes), c.read);
        EXPECT_EQ(Shown(bytes), c.shown);

        Hold(bytes, kEarlierBytes);
        std::string found = "earlier path";
        const platform::FileRead result =
            platform::ReadFoundFile(dir.Path() + "\\" + c.name, bytes, c.maxBytes, found);
        const bool missing = c.name == std::string("missing.bin");
        EXPECT_EQ(result, c.read    ? platform::FileRead::Read
                          : missing ? platform::FileRead::Missing
                                    : platform::FileRead::NotWhole);
        EXPECT_EQ(found, missing ? "" : dir.File(c.name));
        EXPECT_EQ(Shown(bytes), c.shown);
    }
}

// A file that no longer holds its measured size is not taken: once it was opened nothing is shown, neither
// part of it nor what the room held before; one gone before it could be opened leaves the bytes alone.
TEST(FileBytesTest, AFileThatChangedSizeAfterItWasMeasuredShowsNothing)
{
    const struct
    {
        const char* change;
        std::string before;
        std::string after;
        bool read;
        std::string shown;
    } cases[] = {
        {"unchanged", "measured bytes", "measured bytes", true, "measured bytes"},
        {"shrunk", std::string(5000, 'a'), std::string(3000, 'b'), false, ""},
        {"emptied", "measured bytes", "", false, ""},
        {"grown by a byte", "measured bytes", "measured bytes!", false, ""},
        {"grown a lot", "short", std::string(70000, 'c'), false, ""},
        {"removed before it was opened", "measured bytes", "", false, kEarlierBytes},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.change);
        TempDir dir;
        const std::string path = dir.Write("changing.bin", c.before);
        const platform::FileMeasure measured = MeasureOfEntry(path);
        if (std::string(c.change) == "removed before it was opened")
            ASSERT_EQ(unlink(path.c_str()), 0);
        else
            dir.Write("changing.bin", c.after);
        // Room larger than any of the files, holding other bytes: none of them may show through.
        platform::FileBytes bytes;
        bytes.MakeRoom(80000);
        Hold(bytes, kEarlierBytes);
        EXPECT_EQ(platform::ReadMeasuredFile(path, measured, bytes, 1 << 20), c.read);
        EXPECT_EQ(Shown(bytes), c.shown);
    }
}

// One room serves file after file, larger and smaller: each read shows exactly that file's bytes.
TEST(FileBytesTest, ReusedRoomShowsExactlyTheLastFileRead)
{
    TempDir dir;
    std::string large(64 * 1024, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>('a' + i % 26);
    const std::string small = "ten bytes!";
    dir.Write("large.bin", large);
    dir.Write("small.bin", small);
    dir.Write("empty.bin", "");
    const struct
    {
        const char* name;
        const std::string& contents;
    } sequence[] = {{"large.bin", large},
                    {"small.bin", small},
                    {"empty.bin", ""},
                    {"large.bin", large},
                    {"small.bin", small}};
    platform::FileBytes bytes;
    for (const auto& step : sequence)
    {
        SCOPED_TRACE(step.name);
        std::string native;
        ASSERT_EQ(platform::ReadFoundFile(dir.File(step.name), bytes, 1 << 20, native),
                  platform::FileRead::Read);
        EXPECT_EQ(Shown(bytes), step.contents);
        EXPECT_GE(bytes.Room(), large.size());
    }
}

} // namespace
