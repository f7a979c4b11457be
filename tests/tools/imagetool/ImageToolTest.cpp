#include "engine/core/kaBinaryStream.h"
#include "engine/render/kaBMPImage.h"
#include "engine/render/kaTGAImage.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/render/ImageFileBytes.h"
#include "tests/support/platform/DdsBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using imagebytes::AsString;
using imagebytes::Bytes;

namespace
{

class ImageToolTest : public ::testing::Test
{
protected:
    int Run(const std::string& arguments)
    {
        return std::system(
            ("cd '" + m_Dir.Path() + "' && '" IMAGETOOL_PATH "' " + arguments + " 2>/dev/null").c_str());
    }

    // The texel at (x, y) of a loaded image as A8R8G8B8 (opaque without alpha).
    static uint32_t Texel(const kaImage& image, uint32_t x, uint32_t y)
    {
        const uint32_t bytes = image.GetBitsPerPixel() / 8;
        const uint8_t* p = image.GetPixels() + (size_t(y) * image.GetWidth() + x) * bytes;
        return (bytes == 4 ? uint32_t(p[3]) << 24 : 0xFF000000u) | uint32_t(p[2]) << 16 |
               uint32_t(p[1]) << 8 | p[0];
    }

    testsupport::TempDir m_Dir;
};

TEST_F(ImageToolTest, CheckerOfAnOddSizeKeepsItsCells)
{
    ASSERT_EQ(Run("checker checker.tga 37 21 4 FF0000 0000FF"), 0);
    kaTGAImage image;
    ASSERT_TRUE(image.Load(m_Dir.File("checker.tga")));
    EXPECT_EQ(image.GetWidth(), 37u);
    EXPECT_EQ(image.GetHeight(), 21u);
    EXPECT_EQ(image.GetBitsPerPixel(), 24u);
    EXPECT_EQ(Texel(image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(image, 3, 3), 0xFFFF0000u);
    EXPECT_EQ(Texel(image, 4, 0), 0xFF0000FFu);
    EXPECT_EQ(Texel(image, 0, 4), 0xFF0000FFu);
    EXPECT_EQ(Texel(image, 4, 4), 0xFFFF0000u);
    EXPECT_EQ(Texel(image, 36, 20), 0xFFFF0000u);
}

TEST_F(ImageToolTest, GlowFadesItsAlphaFromTheCentre)
{
    ASSERT_EQ(Run("glow glow.tga 33 17 FFFFA040"), 0);
    kaTGAImage image;
    ASSERT_TRUE(image.Load(m_Dir.File("glow.tga")));
    EXPECT_EQ(image.GetBitsPerPixel(), 32u);
    EXPECT_EQ(image.GetAlphaBits(), 8u);
    const uint32_t centre = Texel(image, 16, 8);
    EXPECT_EQ(centre & 0xFFFFFF, 0xFFA040u);
    EXPECT_GE(centre >> 24, 200u);
    EXPECT_EQ(Texel(image, 0, 0) >> 24, 0u);
    EXPECT_EQ(Texel(image, 16, 0) >> 24, Texel(image, 16, 16) >> 24);
    EXPECT_EQ(Texel(image, 5, 8) >> 24, Texel(image, 27, 8) >> 24);
    EXPECT_LT(Texel(image, 12, 8) >> 24, centre >> 24);
    EXPECT_GT(Texel(image, 12, 8) >> 24, Texel(image, 9, 8) >> 24);
    // A bitmap cannot hold the alpha.
    EXPECT_NE(Run("glow glow.bmp 33 17 FFFFA040"), 0);
    EXPECT_FALSE(m_Dir.Exists("glow.bmp"));
}

TEST_F(ImageToolTest, GradientsRunEdgeToEdgeInBitmapsToo)
{
    ASSERT_EQ(Run("gradient across.bmp 5 3 000000 FFFFFF"), 0);
    kaBMPImage bitmap;
    ASSERT_TRUE(bitmap.Load(m_Dir.File("across.bmp")));
    EXPECT_EQ(bitmap.GetBitsPerPixel(), 24u);
    EXPECT_EQ(Texel(bitmap, 0, 1), 0xFF000000u);
    EXPECT_EQ(Texel(bitmap, 2, 1), 0xFF808080u);
    EXPECT_EQ(Texel(bitmap, 4, 1), 0xFFFFFFFFu);

    ASSERT_EQ(Run("gradient down.tga 2 3 00FF0000 FFFF0000 vertical"), 0);
    kaTGAImage image;
    ASSERT_TRUE(image.Load(m_Dir.File("down.tga")));
    EXPECT_EQ(Texel(image, 1, 0), 0x00FF0000u);
    EXPECT_EQ(Texel(image, 1, 1), 0x80FF0000u);
    EXPECT_EQ(Texel(image, 1, 2), 0xFFFF0000u);
}

TEST_F(ImageToolTest, ConvertsBitmapsWithPalettesAndMasks)
{
    imagebytes::Bmp four;
    four.width = 3;
    four.height = 2;
    four.bitCount = 4;
    four.colorsUsed = 4;
    four.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    four.topFirstRows = {{0x12, 0x30}, {0x00, 0x10}};
    m_Dir.Write("four.bmp", AsString(imagebytes::BmpBytes(four)));
    ASSERT_EQ(Run("convert four.bmp four.tga"), 0);
    kaTGAImage image;
    ASSERT_TRUE(image.Load(m_Dir.File("four.tga")));
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_EQ(Texel(image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(image, 1, 0), 0xFF00FF00u);
    EXPECT_EQ(Texel(image, 2, 0), 0xFF0000FFu);
    EXPECT_EQ(Texel(image, 2, 1), 0xFFFF0000u);

    imagebytes::Bmp sixteen;
    sixteen.width = 1;
    sixteen.height = 1;
    sixteen.bitCount = 16;
    sixteen.compression = 3;
    sixteen.masks = {0xF800, 0x07E0, 0x001F};
    sixteen.topFirstRows = {{0xE0, 0x07}};
    m_Dir.Write("sixteen.bmp", AsString(imagebytes::BmpBytes(sixteen)));
    ASSERT_EQ(Run("convert sixteen.bmp sixteen.tga"), 0);
    ASSERT_TRUE(image.Load(m_Dir.File("sixteen.tga")));
    EXPECT_EQ(Texel(image, 0, 0), 0xFF00FF00u);
}

TEST_F(ImageToolTest, ConvertsGreyCompressedAndRunLengthTargas)
{
    imagebytes::TgaHeader grey;
    grey.imageType = 3;
    grey.width = 2;
    grey.height = 1;
    grey.bitsPerPixel = 8;
    m_Dir.Write("grey.tga", AsString(imagebytes::RawTga(grey, Bytes{0x10, 0xF0})));
    ASSERT_EQ(Run("convert grey.tga grey-out.tga"), 0);
    kaTGAImage image;
    ASSERT_TRUE(image.Load(m_Dir.File("grey-out.tga")));
    EXPECT_EQ(Texel(image, 0, 0), 0xFF101010u);
    EXPECT_EQ(Texel(image, 1, 0), 0xFFF0F0F0u);

    const Bytes pixels = {1, 2, 3, 0x80, 4, 5, 6, 0xFF};
    kaTGAImage source;
    ASSERT_TRUE(source.Create(2, 1, 32, 8, pixels.data()));
    std::stringbuf buffer;
    kaBinaryStream out(&buffer);
    ASSERT_TRUE(source.WriteStream(out, true));
    m_Dir.Write("packed.tga", buffer.str());
    ASSERT_EQ(Run("convert packed.tga packed-out.tga"), 0);
    ASSERT_TRUE(image.Load(m_Dir.File("packed-out.tga")));
    EXPECT_EQ(Texel(image, 0, 0), 0x80030201u);
    EXPECT_EQ(Texel(image, 1, 0), 0xFF060504u);

    // 16 bits without alpha bits: opaque.
    imagebytes::TgaHeader rle;
    rle.imageType = 10;
    rle.width = 3;
    rle.height = 1;
    rle.bitsPerPixel = 16;
    Bytes file = imagebytes::TgaHeaderBytes(rle);
    const Bytes packets = {0x82, 0x1F, 0x00};
    file.insert(file.end(), packets.begin(), packets.end());
    m_Dir.Write("rle.tga", AsString(file));
    ASSERT_EQ(Run("convert rle.tga rle-out.tga"), 0);
    ASSERT_TRUE(image.Load(m_Dir.File("rle-out.tga")));
    EXPECT_EQ(Texel(image, 2, 0), 0xFF0000FFu);
}

TEST_F(ImageToolTest, ConvertsTheTopLevelOfADdsFile)
{
    ddsbytes::Dds dxt1;
    dxt1.fourCC = 0x31545844;
    dxt1.data = {0x00, 0xF8, 0x1F, 0x00, 0x04, 0, 0, 0}; // red, then blue at (1, 0)
    const Bytes dds = ddsbytes::DdsFileBytes(dxt1);
    m_Dir.Write("block.dds", AsString(dds));
    ASSERT_EQ(Run("convert block.dds block.tga"), 0);
    kaTGAImage image;
    ASSERT_TRUE(image.Load(m_Dir.File("block.tga")));
    EXPECT_EQ(image.GetWidth(), 4u);
    EXPECT_EQ(Texel(image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(image, 1, 0), 0xFF0000FFu);
}

TEST_F(ImageToolTest, RefusesBadArgumentsAndUnreadableInput)
{
    EXPECT_EQ(Run(""), 2 << 8);
    EXPECT_EQ(Run("checker c.tga 0 4 1 000000 FFFFFF"), 2 << 8);
    EXPECT_EQ(Run("checker c.tga 4 4 1 00000 FFFFFF"), 2 << 8);
    EXPECT_EQ(Run("gradient g.tga 4 4 000000 FFFFFF sideways"), 2 << 8);
    EXPECT_EQ(Run("checker c.png 4 4 1 000000 FFFFFF"), 1 << 8);
    EXPECT_EQ(Run("convert missing.bmp out.tga"), 1 << 8);
    m_Dir.Write("junk.tga", "not an image at all");
    EXPECT_EQ(Run("convert junk.tga out.tga"), 1 << 8);
    EXPECT_EQ(Run("convert junk.tga out.bmp"), 2 << 8);
    EXPECT_FALSE(m_Dir.Exists("out.tga"));
    EXPECT_FALSE(m_Dir.Exists("c.tga"));
}

TEST_F(ImageToolTest, SampleWritesTheImagesOpenedByName)
{
    ASSERT_EQ(Run("sample ."), 0);
    for (const char* name :
         {"Resources/DefaultTexture.bmp", "UI/MorlanixSplash.bmp", "UI/ESRB.bmp", "UI/splash.bmp"})
    {
        kaBMPImage image;
        EXPECT_TRUE(image.Load(m_Dir.File(name))) << name;
        EXPECT_EQ(image.GetBitsPerPixel(), 24u);
    }
    // Two folders deep, with the alpha a particle fades by.
    kaTGAImage spark;
    EXPECT_TRUE(spark.Load(m_Dir.File("resources/particles/spark.tga")));
    EXPECT_EQ(spark.GetBitsPerPixel(), 32u);

    // The explosion's flash: an opaque pale core, red towards its ragged rim, clear in the corners.
    kaTGAImage flash;
    ASSERT_TRUE(flash.Load(m_Dir.File("resources/particles/explosion.tga")));
    ASSERT_EQ(flash.GetWidth(), 64u);
    const uint32_t core = Texel(flash, 32, 32);
    EXPECT_EQ(core >> 24, 0xFFu);
    EXPECT_GT(core & 0xFF, 0xC0u) << "a pale core";
    for (uint32_t corner :
         {Texel(flash, 0, 0), Texel(flash, 63, 0), Texel(flash, 0, 63), Texel(flash, 63, 63)})
        EXPECT_EQ(corner >> 24, 0u);
    const uint32_t edge = Texel(flash, 32, 10);
    EXPECT_GT(edge >> 16 & 0xFF, edge & 0xFF) << "redder towards the rim";

    // A tree standing on its bottom row: the trunk there, the crown above, clear beside both.
    kaTGAImage tree;
    ASSERT_TRUE(tree.Load(m_Dir.File("resources/trees/tree.tga")));
    ASSERT_EQ(tree.GetWidth(), 64u);
    ASSERT_EQ(tree.GetHeight(), 128u);
    // Loaded images hold the top row first.
    const uint32_t top = 0;
    const uint32_t bottom = 127;
    EXPECT_EQ(Texel(tree, 32, bottom), 0xFF5A3A1Eu);
    EXPECT_EQ(Texel(tree, 2, bottom) >> 24, 0u);
    EXPECT_EQ(Texel(tree, 32, top) >> 24, 0u);
    EXPECT_EQ(Texel(tree, 0, top) >> 24, 0u);
    const uint32_t crown = Texel(tree, 32, 46);
    EXPECT_EQ(crown >> 24, 0xFFu);
    EXPECT_GT(crown >> 8 & 0xFF, crown >> 16 & 0xFF) << "green over red";
}

// The vehicle pictures show what they are: the car a long body in its paint between two wheels, the
// motorcycle two wheels with only a little paint between them (tank, tail, mudguard), not the car recoloured.
TEST_F(ImageToolTest, TheMotorcyclesPictureIsATwoWheelerNotTheCarRecoloured)
{
    ASSERT_EQ(Run("sample ."), 0);
    const struct
    {
        const char* file;
        uint32_t paint;
        double lowest, highest;
    } cases[] = {
        {"UI/vehicles/charger.bmp", 0xFFC81E1Eu, 0.15, 1.0},
        {"UI/vehicles/motorcycle.bmp", 0xFFE08C14u, 0.005, 0.08},
    };
    for (const auto& c : cases)
    {
        kaBMPImage image;
        ASSERT_TRUE(image.Load(m_Dir.File(c.file))) << c.file;
        const uint32_t w = image.GetWidth();
        const uint32_t h = image.GetHeight();
        size_t paint = 0;
        size_t tyres[2] = {};
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
            {
                const uint32_t texel = Texel(image, x, y);
                paint += texel == c.paint ? 1 : 0;
                // Near-black texels in the lower half, left and right of the middle: the tyres.
                const bool dark =
                    (texel >> 16 & 0xFF) < 0x30 && (texel >> 8 & 0xFF) < 0x30 && (texel & 0xFF) < 0x30;
                if (dark && y > h / 2)
                    ++tyres[x < w / 2 ? 0 : 1];
            }
        const double share = double(paint) / double(w * h);
        EXPECT_GE(share, c.lowest) << c.file;
        EXPECT_LE(share, c.highest) << c.file;
        EXPECT_GT(tyres[0], size_t(w * h / 100)) << c.file;
        EXPECT_GT(tyres[1], size_t(w * h / 100)) << c.file;
    }
}

// Entries of the folder and every folder below it that differ from another only in case.
std::vector<std::string> CaseTwins(const std::filesystem::path& folder)
{
    std::vector<std::string> twins;
    std::map<std::string, std::string> seen;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    {
        const std::string path = entry.path().lexically_relative(folder).string();
        std::string key = path;
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        const auto [found, added] = seen.emplace(key, path);
        if (!added)
            twins.push_back(found->second + " / " + path);
    }
    return twins;
}

// The generators of the sample tree run one after another into one folder; in the build's order or
// any other, the tree ends with one "resources" and one "ui" folder and no two names differing only in case.
TEST_F(ImageToolTest, SampleImagesShareTheFoldersOtherGeneratorsMake)
{
    const std::vector<std::string> generators = {"'" GUIGEN_PATH "' .", "'" IMAGETOOL_PATH "' sample .",
                                                 "'" KMFGEN_PATH "' .", "'" TERRAINGEN_PATH "' .",
                                                 "'" TERRAINGEN_PATH "' environment ."};
    for (const bool reversed : {false, true})
    {
        testsupport::TempDir tree;
        std::vector<std::string> order = generators;
        if (reversed)
            std::reverse(order.begin(), order.end());
        for (const std::string& command : order)
            ASSERT_EQ(std::system(("cd '" + tree.Path() + "' && " + command + " >/dev/null 2>&1").c_str()), 0)
                << command;
        EXPECT_EQ(CaseTwins(tree.Path()), std::vector<std::string>{}) << reversed;
        std::set<std::string> top;
        for (const auto& entry : std::filesystem::directory_iterator(tree.Path()))
            top.insert(entry.path().filename().string());
        // Besides the two shared folders each generator may have its own ("Sounds", "InitData").
        EXPECT_EQ(top.count("resources"), 1u) << reversed;
        EXPECT_EQ(top.count("ui"), 1u) << reversed;
        EXPECT_TRUE(std::filesystem::is_regular_file(tree.File("resources/DefaultTexture.bmp")));
    }
}

} // namespace
