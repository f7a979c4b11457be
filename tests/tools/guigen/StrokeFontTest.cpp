#include "tools/guigen/StrokeFont.h"

#include "tools/guigen/RacePictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using guigen::StrokeFont;

namespace
{

const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!+-.:";

struct Ink
{
    std::vector<bool> mask;
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

// Texels at least half covered by the pen, and their bounding box.
Ink InkOf(const std::string& text, const StrokeFont::Pen& pen, float left, float top, int width, int height)
{
    const std::vector<float> coverage =
        StrokeFont::Coverage(StrokeFont::Layout(text, pen, left, top), pen.stroke, 0.0f, width, height);
    Ink ink;
    ink.mask.resize(coverage.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const bool on = coverage[std::size_t(y) * width + x] >= 0.5f;
            ink.mask[std::size_t(y) * width + x] = on;
            if (!on)
                continue;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

} // namespace

TEST(StrokeFontTest, EveryWordThePicturesCarryHasItsGlyphs)
{
    std::vector<std::string> words = {guigen::kGoWord, guigen::kPressAnyKeyWords, guigen::kReputationWords};
    for (const guigen::Award& award : guigen::Awards())
    {
        words.push_back(award.caption);
        for (const std::string& line : guigen::SplitLines(award.headline))
            words.push_back(line);
    }
    for (int points = 1; points <= guigen::kMaxReputation; ++points)
        words.push_back(std::to_string(points));
    for (const std::string& word : words)
        EXPECT_TRUE(StrokeFont::CanWrite(word)) << word;
    // Lower case is written as capitals; what has no glyph is refused, not drawn blank.
    EXPECT_TRUE(StrokeFont::CanWrite("Press any key"));
    for (const char* refused : {"50%", "a@b", "x~", "\t"})
        EXPECT_FALSE(StrokeFont::CanWrite(refused)) << refused;
}

TEST(StrokeFontTest, EachGlyphsInkStaysInsideTheBoxItMeasures)
{
    const StrokeFont::Pen pen{30.0f, 4.0f};
    const int margin = 10;
    for (const char c : kAlphabet)
    {
        const std::string text(1, c);
        const int width = int(StrokeFont::Width(text, pen)) + 2 * margin;
        const int height = int(StrokeFont::Height(pen)) + 2 * margin;
        const Ink ink = InkOf(text, pen, float(margin), float(margin), width, height);
        ASSERT_GE(ink.right, 0) << c;
        // A glyph reaching past its width would run into its neighbour.
        EXPECT_GE(ink.left, margin - 1) << c;
        EXPECT_GE(ink.top, margin - 1) << c;
        EXPECT_LE(ink.right, margin + StrokeFont::Width(text, pen) + 1) << c;
        EXPECT_LE(ink.bottom, margin + StrokeFont::Height(pen) + 1) << c;
        // Capitals and numerals stand the full height.
        if (c != '-' && c != '+' && c != '.' && c != ':')
        {
            EXPECT_LE(ink.top, margin + 2) << c;
            EXPECT_GE(ink.bottom, margin + int(StrokeFont::Height(pen)) - 3) << c;
        }
    }
}

TEST(StrokeFontTest, NoTwoGlyphsLookAlike)
{
    const StrokeFont::Pen pen{24.0f, 3.0f};
    const int width = 40, height = 32;
    std::vector<Ink> inks;
    for (const char c : kAlphabet)
        inks.push_back(InkOf(std::string(1, c), pen, 3.0f, 3.0f, width, height));
    for (std::size_t a = 0; a < inks.size(); ++a)
        for (std::size_t b = a + 1; b < inks.size(); ++b)
        {
            int differing = 0;
            for (std::size_t i = 0; i < inks[a].mask.size(); ++i)
                differing += inks[a].mask[i] != inks[b].mask[i] ? 1 : 0;
            // The colon is the full stop with a second dot: the smallest difference there is.
            EXPECT_GT(differing, 6) << kAlphabet[a] << " and " << kAlphabet[b];
        }
}

TEST(StrokeFontTest, LettersFollowOneAnotherWithoutTouching)
{
    const StrokeFont::Pen pen{20.0f, 3.0f};
    for (const char* pair : {"HI", "WM", "LT", "AV", "10", "EE"})
    {
        const int width = int(StrokeFont::Width(pair, pen)) + 8, height = int(StrokeFont::Height(pen)) + 8;
        const Ink ink = InkOf(pair, pen, 4.0f, 4.0f, width, height);
        // Some column between the two letters carries no ink.
        bool gap = false;
        const int firstRight = InkOf(std::string(1, pair[0]), pen, 4.0f, 4.0f, width, height).right;
        for (int x = firstRight + 1; x < width && !gap; ++x)
        {
            bool empty = true;
            for (int y = 0; y < height; ++y)
                empty = empty && !ink.mask[std::size_t(y) * width + x];
            gap = empty;
        }
        EXPECT_TRUE(gap) << pair;
        EXPECT_GT(StrokeFont::Width(pair, pen), StrokeFont::Width(std::string(1, pair[0]), pen)) << pair;
    }
}

TEST(StrokeFontTest, FitFillsTheBoxAlongOneSideAndNeverOverflows)
{
    const struct
    {
        const char* text;
        float width, height;
    } cases[] = {
        {"3", 112, 112}, {"GO", 112, 112}, {"PRESS ANY KEY", 232, 20}, {"NEW PERSONAL BEST", 118, 16},
        {"10", 36, 28},  {"I", 200, 10},   {"REPUTATION", 148, 14}};
    for (const auto& c : cases)
    {
        const StrokeFont::Pen pen = StrokeFont::Fit(c.text, c.width, c.height, 0.16f);
        EXPECT_NEAR(pen.stroke, pen.capHeight * 0.16f, 1e-4f) << c.text;
        const float width = StrokeFont::Width(c.text, pen), height = StrokeFont::Height(pen);
        EXPECT_LE(width, c.width + 0.01f) << c.text;
        EXPECT_LE(height, c.height + 0.01f) << c.text;
        EXPECT_TRUE(std::fabs(width - c.width) < 0.05f || std::fabs(height - c.height) < 0.05f) << c.text;
    }
}

TEST(StrokeFontTest, CoverageIsWholeOnTheStrokeAndFadesToNothingWithinAPixelOfItsEdge)
{
    const struct
    {
        float stroke, grow;
    } cases[] = {{2.0f, 0.0f}, {6.0f, 0.0f}, {6.0f, 3.0f}, {15.0f, 4.0f}};
    const int width = 96, height = 64;
    for (const auto& c : cases)
    {
        // A level stroke along row 32's centre line.
        const std::vector<StrokeFont::Segment> path = {{10.0f, 32.5f, 54.0f, 32.5f}};
        const std::vector<float> coverage = StrokeFont::Coverage(path, c.stroke, c.grow, width, height);
        const float edge = c.stroke * 0.5f + c.grow;
        float previous = 2.0f;
        for (int y = 32; y < height; ++y)
        {
            const float value = coverage[std::size_t(y) * width + 32];
            const float distance = float(y) - 32.0f;
            EXPECT_LE(value, previous) << c.stroke << " " << y;
            if (distance <= edge - 0.5f)
            {
                EXPECT_FLOAT_EQ(value, 1.0f) << c.stroke << " " << y;
            }
            if (distance >= edge + 0.5f)
            {
                EXPECT_FLOAT_EQ(value, 0.0f) << c.stroke << " " << y;
            }
            previous = value;
        }
        // Round ends: nothing beyond the end of the stroke by more than its reach.
        EXPECT_FLOAT_EQ(coverage[std::size_t(32) * width + int(54.0f + edge + 1.0f)], 0.0f) << c.stroke;
        EXPECT_FLOAT_EQ(coverage[std::size_t(32) * width + 54], 1.0f) << c.stroke;
    }
}
