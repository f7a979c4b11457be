#include "tools/guigen/RacePictures.h"

#include "engine/render/kaTGAImage.h"
#include "tests/support/TempDir.h"
#include "tools/guigen/ScreenLayouts.h"
#include "tools/guigen/StrokeFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using guigen::StrokeFont;

namespace
{

// Texels in the picture's middle row that are lit (bright red or green channel, opaque).
int LitAcrossTheMiddle(const std::vector<uint8_t>& texels, int width, int height, int threshold)
{
    int lit = 0;
    const std::size_t row = std::size_t(height / 2) * width * 4;
    for (int x = 1; x < width - 1; ++x)
    {
        const uint8_t* texel = &texels[row + std::size_t(x) * 4];
        if (texel[3] == 255 && (texel[1] > threshold || texel[2] > threshold))
            ++lit;
    }
    return lit;
}

} // namespace

TEST(RacePicturesTest, EachDamageStageFillsMoreOfTheBarThanTheOneBefore)
{
    int previous = -1;
    for (int stage = 0; stage <= guigen::kDamageStages; ++stage)
    {
        const std::vector<uint8_t> texels = guigen::DamageBarTexels(stage);
        ASSERT_EQ(texels.size(), std::size_t(guigen::kDamageBarWidth) * guigen::kDamageBarHeight * 4);
        const int lit = LitAcrossTheMiddle(texels, guigen::kDamageBarWidth, guigen::kDamageBarHeight, 50);
        EXPECT_GT(lit, previous) << stage;
        previous = lit;
    }
    EXPECT_EQ(
        LitAcrossTheMiddle(guigen::DamageBarTexels(0), guigen::kDamageBarWidth, guigen::kDamageBarHeight, 50),
        0);
}

TEST(RacePicturesTest, PipPicturesLightAsManyPipsAsTheirCount)
{
    const struct
    {
        int count;
        int total;
    } cases[] = {{1, 3}, {2, 3}, {3, 3}, {1, 10}, {5, 10}, {10, 10}};
    for (const auto& c : cases)
    {
        const int width = 20 * c.total, height = 20;
        const std::vector<uint8_t> texels = guigen::PipTexels(width, height, c.count, c.total);
        int lit = 0;
        for (int pip = 0; pip < c.total; ++pip)
        {
            // The pip's centre is lit yellow when counted.
            const uint8_t* centre = &texels[(std::size_t(height / 2) * width + pip * 20 + 10) * 4];
            if (centre[2] > 200)
                ++lit;
        }
        EXPECT_EQ(lit, c.count) << c.count << "/" << c.total;
    }
}

namespace
{

struct Picture
{
    int width = 0, height = 0;
    std::vector<uint8_t> texels;

    const uint8_t* At(int x, int y) const { return &texels[(std::size_t(y) * width + x) * 4]; }
};

Picture Decode(const std::string& path)
{
    Picture picture;
    kaTGAImage image;
    if (!image.Load(path) || image.GetBitsPerPixel() != 32 || image.GetPixels() == nullptr)
        return picture;
    picture.width = int(image.GetWidth());
    picture.height = int(image.GetHeight());
    picture.texels.assign(image.GetPixels(), image.GetPixels() + image.GetPixelBytes());
    return picture;
}

// Opaque texels close to the given colour.
std::vector<bool> Mask(const Picture& picture, bool (*ink)(const uint8_t* bgra))
{
    std::vector<bool> mask(std::size_t(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            mask[std::size_t(y) * picture.width + x] = ink(picture.At(x, y));
    return mask;
}

bool Gold(const uint8_t* t)
{
    return t[3] > 200 && t[2] > 200 && t[1] > 140 && t[0] < 140;
}

bool Green(const uint8_t* t)
{
    return t[3] > 200 && t[1] > 150 && t[2] < 170 && t[0] < 160;
}

bool White(const uint8_t* t)
{
    return t[3] > 200 && t[0] >= 220 && t[1] >= 220 && t[2] >= 220;
}

// Text on the dark caption strips: anything clearly lighter than the strip.
bool Light(const uint8_t* t)
{
    return t[3] > 150 && t[0] + t[1] + t[2] > 330;
}

int Count(const std::vector<bool>& mask)
{
    return int(std::count(mask.begin(), mask.end(), true));
}

int Differing(const std::vector<bool>& a, const std::vector<bool>& b)
{
    int differing = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        differing += a[i] != b[i] ? 1 : 0;
    return differing;
}

// The generator's pictures written into a fresh folder, as the build writes them.
class RacePicturesFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(guigen::WriteRacePictures(m_Dir.Path(), error)) << error;
    }

    Picture Read(const std::string& file) const { return Decode(m_Dir.File(file)); }

    testsupport::TempDir m_Dir;
};

const guigen::ScreenWidget* Row(const char* layoutFile, const char* name)
{
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
        if (std::string(layout.file) == layoutFile)
            for (const guigen::ScreenWidget& row : layout.widgets)
                if (std::string(row.name) == name)
                    return &row;
    return nullptr;
}

} // namespace

TEST_F(RacePicturesFilesTest, EachPictureDecodesAtTheSizeItsWidgetShowsIt)
{
    const char* const hud = "ui/hud/hudview.kab";
    const char* const summary = "ui/common/coursesummary.kab";
    const struct
    {
        std::string file;
        const char* layout;
        const char* widget;
    } cases[] = {
        {"ui/hud/3.tga", hud, "Count Image"},
        {"ui/hud/2.tga", hud, "Count Image"},
        {"ui/hud/1.tga", hud, "Count Image"},
        {"ui/hud/go.tga", hud, "Count Image"},
        {"ui/hud/press_any_key.tga", hud, "PressAnyKey Image"},
        {"ui/hud/art/damage_bar_0.tga", hud, "Damage Image"},
        {"ui/hud/art/damage_bar_16.tga", hud, "Damage Image"},
        {"ui/coursesummary/str.tga", summary, "image_1"},
        {"ui/coursesummary/rpe.tga", summary, "image_8"},
        {"ui/coursesummary/nl_text.tga", summary, "front_4"},
        {"ui/coursesummary/rpe_text.tga", summary, "front_8"},
        {guigen::kReputationLabel, summary, "Reputation Points Label"},
        {"ui/coursesummary/1.tga", summary, "rpe"},
        {"ui/coursesummary/10.tga", summary, "rpe"},
    };
    for (const auto& c : cases)
    {
        const Picture picture = Read(c.file);
        ASSERT_GT(picture.width, 0) << c.file;
        const guigen::ScreenWidget* row = Row(c.layout, c.widget);
        ASSERT_NE(row, nullptr) << c.widget;
        EXPECT_EQ(picture.width, int(row->width)) << c.file;
        EXPECT_EQ(picture.height, int(row->height)) << c.file;
    }
    // Every award has its picture and caption, all at the slots' sizes.
    for (const guigen::Award& award : guigen::Awards())
    {
        const std::string base = std::string("ui/coursesummary/") + award.name;
        EXPECT_EQ(Read(base + ".tga").width, guigen::kAwardWidth) << base;
        EXPECT_EQ(Read(base + "_text.tga").height, guigen::kAwardCaptionHeight) << base;
    }
    // The label's picture is the one its row names.
    EXPECT_EQ(std::string(Row(summary, "Reputation Points Label")->text), guigen::kReputationLabel);
}

TEST_F(RacePicturesFilesTest, TheCountdownShowsItsNumeralOrGoAloneInTheMiddleOfAClearSquare)
{
    const struct
    {
        const char* file;
        std::string text;
        bool (*ink)(const uint8_t*);
    } cases[] = {{"ui/hud/3.tga", "3", Gold},
                 {"ui/hud/2.tga", "2", Gold},
                 {"ui/hud/1.tga", "1", Gold},
                 {"ui/hud/go.tga", guigen::kGoWord, Green}};
    std::vector<std::vector<bool>> masks;
    for (const auto& c : cases)
    {
        const Picture picture = Read(c.file);
        ASSERT_EQ(picture.width, guigen::kCountSide) << c.file;
        // The course shows at the corners and along the edges.
        for (int i = 0; i < picture.width; ++i)
        {
            EXPECT_EQ(picture.At(i, 0)[3], 0) << c.file;
            EXPECT_EQ(picture.At(0, i)[3], 0) << c.file;
            EXPECT_EQ(picture.At(i, picture.height - 1)[3], 0) << c.file;
            EXPECT_EQ(picture.At(picture.width - 1, i)[3], 0) << c.file;
        }
        const std::vector<bool> mask = Mask(picture, c.ink);
        EXPECT_GT(Count(mask), picture.width * picture.height / 12) << c.file;
        // The ink is where the font draws this text, centred in the square: most of the pen's middle
        // lies on coloured texels.
        StrokeFont::Pen pen = StrokeFont::Fit(c.text, 112.0f, 112.0f, 0.16f);
        pen.stroke *= 0.5f;
        const float left = (picture.width - StrokeFont::Width(c.text, pen)) * 0.5f;
        const float top = (picture.height - StrokeFont::Height(pen)) * 0.5f;
        const std::vector<float> core =
            StrokeFont::Coverage(StrokeFont::Layout(c.text, pen, left, top), pen.stroke * 0.25f, 0.0f,
                                 picture.width, picture.height);
        int onCore = 0, inked = 0;
        for (std::size_t i = 0; i < core.size(); ++i)
            if (core[i] >= 1.0f)
            {
                ++onCore;
                inked += mask[i] ? 1 : 0;
            }
        ASSERT_GT(onCore, 0) << c.file;
        EXPECT_GT(inked, onCore * 7 / 10) << c.file;
        masks.push_back(mask);
    }
    for (std::size_t a = 0; a < masks.size(); ++a)
        for (std::size_t b = a + 1; b < masks.size(); ++b)
            EXPECT_GT(Differing(masks[a], masks[b]), guigen::kCountSide * guigen::kCountSide / 20)
                << cases[a].file << " " << cases[b].file;
}

TEST_F(RacePicturesFilesTest, AwardPlatesAndCaptionsCarryWordsThatTellThemApart)
{
    std::vector<std::vector<bool>> plates, captions;
    for (const guigen::Award& award : guigen::Awards())
    {
        const std::string base = std::string("ui/coursesummary/") + award.name;
        const Picture plate = Read(base + ".tga");
        const Picture caption = Read(base + "_text.tga");
        ASSERT_GT(plate.width, 0) << base;
        ASSERT_GT(caption.width, 0) << base;
        const std::vector<bool> letters = Mask(plate, White);
        // White letters on the coloured plate, inside its rim.
        EXPECT_GT(Count(letters), plate.width * plate.height / 40) << base;
        for (int x = 0; x < plate.width; ++x)
        {
            EXPECT_FALSE(letters[std::size_t(x)]) << base;
            EXPECT_FALSE(letters[std::size_t(plate.height - 1) * plate.width + x]) << base;
        }
        const std::vector<bool> words = Mask(caption, Light);
        EXPECT_GT(Count(words), caption.width * caption.height / 25) << base;
        plates.push_back(letters);
        captions.push_back(words);
    }
    const std::size_t count = guigen::Awards().size();
    for (std::size_t a = 0; a < count; ++a)
        for (std::size_t b = a + 1; b < count; ++b)
        {
            const char* first = guigen::Awards()[a].name;
            const char* second = guigen::Awards()[b].name;
            EXPECT_GT(Differing(plates[a], plates[b]), 200) << first << " " << second;
            EXPECT_GT(Differing(captions[a], captions[b]), 60) << first << " " << second;
        }
}

TEST_F(RacePicturesFilesTest, ReputationPicturesShowTheirNumberAndAsManyLitPips)
{
    std::vector<std::vector<bool>> numbers;
    for (int points = 1; points <= guigen::kMaxReputation; ++points)
    {
        const std::string file = "ui/coursesummary/" + std::to_string(points) + ".tga";
        const Picture picture = Read(file);
        ASSERT_EQ(picture.width, guigen::kReputationSide) << file;
        // The number, white, in the upper part of the disc.
        std::vector<bool> number = Mask(picture, White);
        EXPECT_GT(Count(number), 40) << file;
        for (int y = 34; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                EXPECT_FALSE(number[std::size_t(y) * picture.width + x]) << file;
        // Ten pips along the bottom, the first `points` of them lit.
        int lit = 0;
        const int cell = (guigen::kReputationSide - 8) / guigen::kMaxReputation;
        for (int pip = 0; pip < guigen::kMaxReputation; ++pip)
        {
            const uint8_t* centre = picture.At(4 + pip * cell + cell / 2, 40);
            const bool on = centre[2] > 200 && centre[1] > 170;
            EXPECT_EQ(on, pip < points) << file << " pip " << pip;
            lit += on ? 1 : 0;
        }
        EXPECT_EQ(lit, points) << file;
        numbers.push_back(number);
    }
    for (std::size_t a = 0; a < numbers.size(); ++a)
        for (std::size_t b = a + 1; b < numbers.size(); ++b)
            EXPECT_GT(Differing(numbers[a], numbers[b]), 30) << a + 1 << " " << b + 1;
}

TEST_F(RacePicturesFilesTest, PressAnyKeyAndTheLabelCarryLightWordsOnADarkStrip)
{
    for (const std::string& file :
         {std::string("ui/hud/press_any_key.tga"), std::string(guigen::kReputationLabel)})
    {
        const Picture picture = Read(file);
        ASSERT_GT(picture.width, 0) << file;
        const int words = Count(Mask(picture, Light));
        EXPECT_GT(words, picture.width * picture.height / 25) << file;
        EXPECT_LT(words, picture.width * picture.height / 2) << file;
        // The words sit on the strip, which is dark in the middle between the letters' lines.
        EXPECT_LT(picture.At(2, picture.height / 2)[0] + picture.At(2, picture.height / 2)[1], 200) << file;
    }
}

TEST(RacePicturesRunTest, TwoRunsOfTheToolWriteTheSameBytes)
{
    testsupport::TempDir first, second;
    for (const testsupport::TempDir* dir : {&first, &second})
        ASSERT_EQ(std::system(("cd '" + dir->Path() + "' && '" GUIGEN_PATH "' . >/dev/null").c_str()), 0);
    const std::vector<guigen::RacePicture> pictures = guigen::RacePictures();
    ASSERT_FALSE(pictures.empty());
    for (const guigen::RacePicture& picture : pictures)
    {
        const std::string bytes = first.Read(picture.file);
        EXPECT_GT(bytes.size(), std::size_t(picture.width) * picture.height * 4) << picture.file;
        EXPECT_EQ(bytes, second.Read(picture.file)) << picture.file;
    }
}

TEST_F(RacePicturesFilesTest, EachHudIconCarriesItsOwnWhitePictogramOnAnOpaqueDisc)
{
    std::vector<std::vector<bool>> pictograms;
    for (const guigen::HudIcon& icon : guigen::HudIcons())
    {
        const Picture picture = Read(icon.file);
        ASSERT_EQ(picture.width, guigen::kIconSide) << icon.file;
        ASSERT_EQ(picture.height, guigen::kIconSide) << icon.file;
        const std::vector<bool> pictogram = Mask(picture, White);
        EXPECT_GT(Count(pictogram), 40) << icon.file;
        EXPECT_LT(Count(pictogram), guigen::kIconSide * guigen::kIconSide / 3) << icon.file;
        // Opaque in the middle, the pictogram kept off the rim.
        EXPECT_EQ(picture.At(16, 3)[3], 255) << icon.file;
        for (int i = 0; i < guigen::kIconSide; ++i)
        {
            EXPECT_FALSE(pictogram[std::size_t(i)]) << icon.file;
            EXPECT_FALSE(pictogram[std::size_t(i) * guigen::kIconSide]) << icon.file;
        }
        pictograms.push_back(pictogram);
    }
    EXPECT_EQ(pictograms.size(), 8u);
    for (std::size_t a = 0; a < pictograms.size(); ++a)
        for (std::size_t b = a + 1; b < pictograms.size(); ++b)
            EXPECT_GT(Differing(pictograms[a], pictograms[b]), 30)
                << guigen::HudIcons()[a].file << " " << guigen::HudIcons()[b].file;
}
