#include "tools/guigen/PalettePictures.h"

#include "editor/WindowNames.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiScrollBar.h"
#include "engine/gui/guiScroller.h"
#include "tests/support/TempDir.h"
#include "tools/guigen/ScreenLayouts.h"
#include "tools/guigen/StrokeFont.h"
#include "tools/worldgen/EditorContent.h"
#include "tools/worldgen/StuntYard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
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
    // A tenth of the tile above the name, where the drawing is.
    constexpr int kEnough = guigen::kPaletteWidth * guigen::kPaletteCaptionTop / 10;
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
        EXPECT_GT(bytes.size(), std::size_t(guigen::kPaletteWidth * guigen::kPaletteHeight * 4)) << relative;
        EXPECT_EQ(bytes, PaletteFileBytes(second.Path() + "/" + relative)) << relative;
        if (!bytes.empty())
            written.insert(entry.id);
    }
    for (const StuntYard::Placed& placed : StuntYard::Entities())
        EXPECT_EQ(written.count(placed.record), 1u) << placed.record;
}

namespace
{

// Where a line of writing lies: its ink's box in the picture.
struct PaletteInkBox
{
    int left, top, right, bottom;
};

// The ink of the name's band: texels nearer the warm white of the writing than the band behind it.
bool PaletteInk(const std::vector<uint8_t>& texels, int x, int y)
{
    const uint8_t* texel = &texels[(std::size_t(y) * guigen::kPaletteWidth + x) * 4];
    return texel[0] + texel[1] + texel[2] > 3 * 128;
}

// The band's lines of writing, top to bottom: runs of rows holding ink, each with its ink's box.
std::vector<PaletteInkBox> PaletteInkLines(const std::vector<uint8_t>& texels)
{
    std::vector<PaletteInkBox> lines;
    bool inLine = false;
    for (int y = guigen::kPaletteCaptionTop; y < guigen::kPaletteHeight; ++y)
    {
        PaletteInkBox row{guigen::kPaletteWidth, y, -1, y};
        for (int x = 0; x < guigen::kPaletteWidth; ++x)
            if (PaletteInk(texels, x, y))
            {
                row.left = std::min(row.left, x);
                row.right = std::max(row.right, x);
            }
        if (row.right < 0)
        {
            inLine = false;
            continue;
        }
        if (!inLine)
            lines.push_back(row);
        PaletteInkBox& line = lines.back();
        line.left = std::min(line.left, row.left);
        line.right = std::max(line.right, row.right);
        line.bottom = y;
        inLine = true;
    }
    return lines;
}

// How well the picture's ink in the box matches the stroke font's own drawing of the text with the
// palette's pen, the two boxes laid one on the other: the smaller of the share of the picture's ink that
// lies on or next to the font's and the share of the font's that lies on or next to the picture's (1: the
// same drawing, up to where a pixel's edge falls).
double PaletteMatch(const std::vector<uint8_t>& texels, const PaletteInkBox& box, const std::string& text)
{
    const guigen::StrokeFont::Pen pen{guigen::kPaletteCapHeight, guigen::kPaletteStroke};
    const int width = int(guigen::StrokeFont::Width(text, pen)) + 4;
    const int height = int(guigen::StrokeFont::Height(pen)) + 4;
    const std::vector<float> coverage = guigen::StrokeFont::Coverage(
        guigen::StrokeFont::Layout(text, pen, 1.0f, 1.0f), pen.stroke, 0.0f, width, height);
    PaletteInkBox own{width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (coverage[std::size_t(y) * width + x] >= 0.5f)
                own = {std::min(own.left, x), std::min(own.top, y), std::max(own.right, x),
                       std::max(own.bottom, y)};
    // Both in one frame, from their boxes' top-left corners.
    const int spanX = std::max(box.right - box.left, own.right - own.left) + 1;
    const int spanY = std::max(box.bottom - box.top, own.bottom - own.top) + 1;
    auto drawn = [&](int x, int y)
    {
        const int px = box.left + x, py = box.top + y;
        return x >= 0 && y >= 0 && px <= box.right && py <= box.bottom && PaletteInk(texels, px, py);
    };
    auto font = [&](int x, int y)
    {
        const int ox = own.left + x, oy = own.top + y;
        return x >= 0 && y >= 0 && ox <= own.right && oy <= own.bottom &&
               coverage[std::size_t(oy) * width + ox] >= 0.5f;
    };
    auto near = [](const std::function<bool(int, int)>& ink, int x, int y)
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (ink(x + dx, y + dy))
                    return true;
        return false;
    };
    int drawnInk = 0, drawnMet = 0, fontInk = 0, fontMet = 0;
    for (int y = 0; y < spanY; ++y)
        for (int x = 0; x < spanX; ++x)
        {
            if (drawn(x, y))
            {
                ++drawnInk;
                drawnMet += near(font, x, y) ? 1 : 0;
            }
            if (font(x, y))
            {
                ++fontInk;
                fontMet += near(drawn, x, y) ? 1 : 0;
            }
        }
    if (drawnInk == 0 || fontInk == 0)
        return 0.0;
    return std::min(double(drawnMet) / drawnInk, double(fontMet) / fontInk);
}

} // namespace

// A newcomer reads what each picture is: its record's name is written along its bottom in the stroke font,
// in words, in at most two lines that fit the picture, and reads as that name rather than any other record's.
TEST(PalettePicturesTest, EachPictureWritesItsRecordsNameInTheStrokeFont)
{
    const struct
    {
        const char* id;
        const char* words;
    } named[] = {{"JumpToken", "JUMP TOKEN"},
                 {"TurboToken", "TURBO TOKEN"},
                 {"MegaTurboToken", "MEGA TURBO TOKEN"},
                 {"LaunchPlate", "LAUNCH PLATE"},
                 {"Ball", "BALL"},
                 {"ExplosiveBarrel", "EXPLOSIVE BARREL"}};
    for (const auto& name : named)
    {
        std::string joined;
        for (const std::string& line : guigen::PaletteCaption(name.id))
            joined += (joined.empty() ? "" : " ") + line;
        EXPECT_EQ(joined, name.words) << name.id;
    }

    const guigen::StrokeFont::Pen pen{guigen::kPaletteCapHeight, guigen::kPaletteStroke};
    std::vector<std::string> allLines;
    for (const auto& entry : EditorContent::PaletteEntries())
        for (const std::string& line : guigen::PaletteCaption(entry.id))
            allLines.push_back(line);
    for (const auto& entry : EditorContent::PaletteEntries())
    {
        const std::vector<std::string> caption = guigen::PaletteCaption(entry.id);
        ASSERT_GE(caption.size(), 1u) << entry.id;
        EXPECT_LE(caption.size(), 2u) << entry.id;
        for (const std::string& line : caption)
            EXPECT_LE(guigen::StrokeFont::Width(line, pen), float(guigen::kPaletteWidth - 2)) << entry.id;

        const std::vector<uint8_t> texels = guigen::PaletteTexels(entry.id);
        ASSERT_EQ(texels.size(), std::size_t(guigen::kPaletteWidth) * guigen::kPaletteHeight * 4) << entry.id;
        const std::vector<PaletteInkBox> lines = PaletteInkLines(texels);
        ASSERT_EQ(lines.size(), caption.size()) << entry.id;
        for (std::size_t i = 0; i < lines.size(); ++i)
        {
            // Whole: no ink at the picture's edges, where the grid's lines would cut it.
            EXPECT_GT(lines[i].left, 0) << entry.id;
            EXPECT_LT(lines[i].right, guigen::kPaletteWidth - 1) << entry.id;
            EXPECT_LT(lines[i].bottom, guigen::kPaletteHeight - 1) << entry.id;
            const double own = PaletteMatch(texels, lines[i], caption[i]);
            EXPECT_GT(own, 0.95) << entry.id << " line " << i;
            for (const std::string& other : allLines)
            {
                if (other == caption[i])
                    continue;
                EXPECT_LT(PaletteMatch(texels, lines[i], other), own) << entry.id << " reads as " << other;
            }
        }
    }
}

// The map editor's palette grid shows each picture whole, pixel for pixel, beside the scroll bar that a
// long category brings: its cell inside the grid's lines is the picture's size, and the cell and the bar
// together fit the grid's width.
TEST(PalettePicturesTest, TheEditorsPaletteCellsHoldThePicturesBesideTheScrollBar)
{
    const auto& layouts = guigen::ScreenContract();
    const auto editor = std::find_if(layouts.begin(), layouts.end(),
                                     [](const guigen::ScreenLayout& layout)
                                     { return std::string(layout.window) == windowNames::kMapEditor; });
    ASSERT_NE(editor, layouts.end());
    guiGlyph* root = guigen::BuildScreen(*editor);
    ASSERT_NE(root, nullptr);
    root->AddRef();
    auto* grid = root->FindChild("structure selection grid")->DynamicCast<guiGrid>();
    auto* scroller = root->FindChild("structure selection grid Scroller")->DynamicCast<guiScroller>();
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(scroller, nullptr);
    ASSERT_NE(scroller->GetVerticalBar(), nullptr);
    const int bar = scroller->GetVerticalBar()->ToPixels(scroller->GetVerticalBar()->GetSize()).x;
    const kaPoint size = scroller->ToPixels(scroller->GetSize());
    const int border = grid->GetBorderWidth();
    EXPECT_GT(bar, 0);
    EXPECT_LE(grid->GetColumnWidth(0) + bar, size.x);
    EXPECT_EQ(grid->GetColumnWidth(0) - border, guigen::kPaletteWidth);
    EXPECT_EQ(grid->GetRowHeight(0) - border, guigen::kPaletteHeight);
    root->Release();
}
