#include "tools/guigen/PalettePictures.h"

#include "tests/support/TempDir.h"
#include "tools/worldgen/EditorContent.h"
#include "tools/worldgen/StuntYard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace
{

// Pixels whose colour differs between two pictures of the palette's size.
int PaletteDifferingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    int count = 0;
    for (std::size_t at = 0; at + 3 < a.size() && at + 3 < b.size(); at += 4)
        count += a[at] != b[at] || a[at + 1] != b[at + 1] || a[at + 2] != b[at + 2] ? 1 : 0;
    return count;
}

std::vector<char> PaletteFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

// Every record gets a drawing of its own, the gear of the stunt yard (every kind a course places) too: no
// picture is the bare tile, and any two differ over a good part of the tile, not in a few pixels a user
// would not see in a palette cell.
TEST(PalettePicturesTest, EveryPaletteEntryHasADrawingOfItsOwn)
{
    const std::vector<uint8_t> bare = guigen::PaletteTexels("");
    constexpr int kEnough = guigen::kPaletteSide * guigen::kPaletteSide / 10;
    const auto& entries = EditorContent::PaletteEntries();
    for (const StuntYard::Placed& placed : StuntYard::Entities())
    {
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const EditorContent::PaletteEntry& e)
                                        { return std::string(e.id) == placed.record; });
        ASSERT_NE(entry, entries.end()) << placed.record << " has no palette entry";
        EXPECT_STREQ(entry->type, placed.type) << placed.record;
    }
    std::vector<std::vector<uint8_t>> pictures;
    for (const auto& entry : entries)
    {
        pictures.push_back(guigen::PaletteTexels(entry.id));
        ASSERT_EQ(pictures.back().size(), bare.size()) << entry.id;
        EXPECT_GT(PaletteDifferingPixels(pictures.back(), bare), kEnough) << entry.id;
    }
    for (std::size_t a = 0; a < entries.size(); ++a)
        for (std::size_t b = a + 1; b < entries.size(); ++b)
        {
            EXPECT_GT(PaletteDifferingPixels(pictures[a], pictures[b]), kEnough)
                << entries[a].id << " and " << entries[b].id;
            EXPECT_STRNE(entries[a].picture, entries[b].picture);
        }
}

// The file each record names is written, for every kind a course places, the same bytes on every run.
TEST(PalettePicturesTest, EveryRecordsPictureIsWrittenTheSameOnEveryRun)
{
    testsupport::TempDir first;
    testsupport::TempDir second;
    std::string error;
    ASSERT_TRUE(guigen::WritePalettePictures(first.Path(), error)) << error;
    ASSERT_TRUE(guigen::WritePalettePictures(second.Path(), error)) << error;
    std::set<std::string> written;
    for (const auto& entry : EditorContent::PaletteEntries())
    {
        const std::string relative = std::string(EditorContent::kPictureFolder) + entry.picture;
        const std::vector<char> bytes = PaletteFileBytes(first.Path() + "/" + relative);
        EXPECT_GT(bytes.size(), std::size_t(guigen::kPaletteSide * guigen::kPaletteSide * 4)) << relative;
        EXPECT_EQ(bytes, PaletteFileBytes(second.Path() + "/" + relative)) << relative;
        if (!bytes.empty())
            written.insert(entry.id);
    }
    for (const StuntYard::Placed& placed : StuntYard::Entities())
        EXPECT_EQ(written.count(placed.record), 1u) << placed.record;
}
