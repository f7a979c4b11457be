#include "engine/render/kaBMPImage.h"

#include "tests/support/ProcessLimits.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitingPipeWriter.h"
#include "tests/support/engine/render/ImageFileBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <sys/stat.h>

using imagebytes::AsString;
using imagebytes::Bmp;
using imagebytes::Bytes;

namespace
{

Bytes ImagePixels(const kaBMPImage& image)
{
    if (!image.GetPixels())
        return {};
    return Bytes(image.GetPixels(), image.GetPixels() + image.GetPixelBytes());
}

Bytes Concat(const std::vector<Bytes>& rows)
{
    Bytes all;
    for (const Bytes& row : rows)
        all.insert(all.end(), row.begin(), row.end());
    return all;
}

// Width 3 at 24 bits: 9-byte rows followed by 3 filler bytes.
Bmp Width3(int32_t height = 2)
{
    Bmp b;
    b.width = 3;
    b.height = height;
    b.topFirstRows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {11, 12, 13, 14, 15, 16, 17, 18, 19}};
    return b;
}

class BMPImageTest : public ::testing::Test
{
protected:
    bool LoadFile(kaBMPImage& image, const Bytes& bytes, bool bottomUpRows = false)
    {
        return image.Load(m_Dir.Write("image.bmp", AsString(bytes)), bottomUpRows);
    }

    bool LoadStream(kaBMPImage& image, const Bytes& bytes)
    {
        std::istringstream stream(AsString(bytes));
        return image.LoadFromStream(stream);
    }

    testsupport::TempDir m_Dir;
};

TEST_F(BMPImageTest, SkipsThePaddingAfterEachRowOfAWidth3Image)
{
    const Bytes file = imagebytes::BmpBytes(Width3());
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    kaBMPImage image;
    ASSERT_TRUE(LoadFile(image, file));
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_EQ(image.GetHeight(), 2u);
    EXPECT_EQ(image.GetBitsPerPixel(), 24u);
    EXPECT_EQ(ImagePixels(image), Concat(Width3().topFirstRows));
    EXPECT_EQ(image.GetRedMask(), 0x00FF0000u);
}

TEST_F(BMPImageTest, LoadsBottomUpAndTopDownRowsAlike)
{
    kaBMPImage bottomUp;
    kaBMPImage topDown;
    ASSERT_TRUE(LoadFile(bottomUp, imagebytes::BmpBytes(Width3(2))));
    ASSERT_TRUE(LoadFile(topDown, imagebytes::BmpBytes(Width3(-2))));
    EXPECT_EQ(ImagePixels(topDown), ImagePixels(bottomUp));
    EXPECT_EQ(topDown.GetHeight(), 2u);

    // Asked for the bottom row first, both give the rows the other way round.
    const Bytes reversed = Concat({Width3().topFirstRows[1], Width3().topFirstRows[0]});
    ASSERT_TRUE(LoadFile(bottomUp, imagebytes::BmpBytes(Width3(2)), true));
    ASSERT_TRUE(LoadFile(topDown, imagebytes::BmpBytes(Width3(-2)), true));
    EXPECT_EQ(ImagePixels(bottomUp), reversed);
    EXPECT_EQ(ImagePixels(topDown), reversed);
}

TEST_F(BMPImageTest, AcceptsALastRowWithoutPadding)
{
    Bmp b = Width3();
    b.padLastRow = false;
    kaBMPImage image;
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(b)));
    EXPECT_EQ(ImagePixels(image), Concat(Width3().topFirstRows));
}

TEST_F(BMPImageTest, OneAndFourBitRowsRoundUpAndKeepTheirPalette)
{
    Bmp one;
    one.width = 10; // 10 bits: 2 bytes a row
    one.height = 2;
    one.bitCount = 1;
    one.palette = {0x000000, 0x102030};
    one.topFirstRows = {{0xAA, 0x80}, {0x55, 0x40}};
    kaBMPImage image;
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(one)));
    EXPECT_EQ(image.GetRowBytes(), 2u);
    EXPECT_EQ(ImagePixels(image), Concat(one.topFirstRows));
    ASSERT_EQ(image.GetPaletteEntryCount(), 2u);
    const Bytes palette(image.GetPalette(), image.GetPalette() + 8);
    EXPECT_EQ(palette, (Bytes{0, 0, 0, 0, 0x10, 0x20, 0x30, 0}));

    Bmp four;
    four.width = 5; // 20 bits: 3 bytes a row
    four.height = 1;
    four.bitCount = 4;
    four.colorsUsed = 3;
    four.palette = {0xFF0000, 0x00FF00, 0x0000FF};
    four.topFirstRows = {{0x01, 0x20, 0x10}};
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(four)));
    EXPECT_EQ(ImagePixels(image), four.topFirstRows[0]);
    // Short palettes are filled up so that every index has an entry.
    ASSERT_EQ(image.GetPaletteEntryCount(), 16u);
    EXPECT_EQ(image.GetPalette()[0], 0xFF);
    EXPECT_EQ(image.GetPalette()[2 * 4 + 2], 0xFF);
    EXPECT_EQ(image.GetPalette()[15 * 4], 0);
}

TEST_F(BMPImageTest, EightBitBytesAreKeptAsGreyLevels)
{
    Bmp b;
    b.width = 2;
    b.height = 2;
    b.bitCount = 8;
    b.palette.resize(256, 0x123456);
    b.topFirstRows = {{0, 255}, {128, 7}};
    kaBMPImage image;
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(b)));
    EXPECT_EQ(ImagePixels(image), Concat(b.topFirstRows));
    EXPECT_EQ(image.GetPalette(), nullptr);

    b.planes = 2;
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(b)));
    ASSERT_EQ(image.GetPaletteEntryCount(), 256u);
    EXPECT_EQ(image.GetPalette()[0], 0x12);
}

TEST_F(BMPImageTest, SixteenAndThirtyTwoBitImagesGetMasks)
{
    Bmp plain16;
    plain16.width = 1;
    plain16.height = 1;
    plain16.bitCount = 16;
    plain16.topFirstRows = {{0x34, 0x12}};
    kaBMPImage image;
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(plain16)));
    EXPECT_EQ(image.GetRedMask(), 0x7C00u);
    EXPECT_EQ(image.GetBlueMask(), 0x001Fu);
    EXPECT_EQ(image.GetInfoHeader().compression, kaBMPImage::kCompressionBitFields);

    Bmp fields16 = plain16;
    fields16.compression = 3;
    fields16.masks = {0xF800, 0x07E0, 0x001F};
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(fields16)));
    EXPECT_EQ(image.GetRedMask(), 0xF800u);
    EXPECT_EQ(image.GetGreenMask(), 0x07E0u);
    EXPECT_EQ(ImagePixels(image), (Bytes{0x34, 0x12}));

    Bmp plain32 = plain16;
    plain32.bitCount = 32;
    plain32.topFirstRows = {{1, 2, 3, 4}};
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(plain32)));
    EXPECT_EQ(image.GetRedMask(), 0x00FF0000u);
    EXPECT_EQ(image.GetGreenMask(), 0x0000FF00u);
    EXPECT_EQ(image.GetBlueMask(), 0x000000FFu);
    EXPECT_EQ(image.GetAlphaMask(), 0u);

    // A version-4 header holds the masks, alpha included.
    Bmp v4 = plain32;
    v4.headerSize = 108;
    v4.compression = 3;
    v4.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(v4)));
    EXPECT_EQ(image.GetRedMask(), 0x000000FFu);
    EXPECT_EQ(image.GetAlphaMask(), 0xFF000000u);
    EXPECT_EQ(ImagePixels(image), (Bytes{1, 2, 3, 4}));
}

TEST_F(BMPImageTest, PaletteFollowsALargerInformationHeader)
{
    Bmp b;
    b.headerSize = 124;
    b.width = 2;
    b.height = 1;
    b.bitCount = 1;
    b.palette = {0x010203, 0x040506};
    b.topFirstRows = {{0x40}};
    kaBMPImage image;
    ASSERT_TRUE(LoadFile(image, imagebytes::BmpBytes(b)));
    EXPECT_EQ(image.GetPalette()[4], 0x04);
    EXPECT_EQ(image.GetPalette()[6], 0x06);
}

TEST_F(BMPImageTest, StreamAndOpenFileReadersMatchLoad)
{
    const Bytes file = imagebytes::BmpBytes(Width3(-2));
    kaBMPImage byName;
    kaBMPImage byStream;
    kaBMPImage byFile;
    ASSERT_TRUE(LoadFile(byName, file));
    ASSERT_TRUE(LoadStream(byStream, file));
    FILE* open = std::fopen(m_Dir.File("image.bmp").c_str(), "rb");
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(byFile.LoadFromFile(open));
    std::fclose(open);
    EXPECT_EQ(ImagePixels(byStream), ImagePixels(byName));
    EXPECT_EQ(ImagePixels(byFile), ImagePixels(byName));

    std::istringstream failed(AsString(file));
    failed.setstate(std::ios_base::failbit);
    EXPECT_FALSE(byStream.LoadFromStream(failed));
}

// Load by the name of a pipe: refused without opening it, which would wait for a writer.
bool LoadThroughFifo(kaBMPImage& image, const std::string& fifo, bool bottomUpRows)
{
    const testsupport::WaitingPipeWriter writer(fifo);
    const bool loaded = writer.Made() && image.Load(fifo, bottomUpRows);
    EXPECT_FALSE(writer.Released()) << "the pipe was opened";
    return loaded;
}

// A file loaded by name (read whole) in either row order, its bytes handed over as that file's, and a pipe
// handed over open give the same image, or the same refusal; a pipe by name is never read.
TEST_F(BMPImageTest, EveryWayOfReadingAFileAgrees)
{
    Bytes truncated = imagebytes::BmpBytes(Width3());
    truncated.resize(truncated.size() - 4);
    Bmp grey;
    grey.width = 2;
    grey.height = 1;
    grey.bitCount = 8;
    grey.topFirstRows = {{7, 9}};
    struct Case
    {
        Bytes file;
        bool loads;
    };
    const Case cases[] = {
        {imagebytes::BmpBytes(Width3(2)), true},
        {imagebytes::BmpBytes(Width3(-2)), true},
        {imagebytes::BmpBytes(grey), true},
        {truncated, false},
        {Bytes{'B', 'M', 0}, false},
    };
    int index = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(index++);
        const std::string path = m_Dir.Write("image.bmp", AsString(c.file));
        for (const bool bottomUp : {false, true})
        {
            kaBMPImage byName, byPipeName;
            EXPECT_EQ(byName.Load(path, bottomUp), c.loads);
            EXPECT_FALSE(LoadThroughFifo(byPipeName, m_Dir.File("pipe.bmp"), bottomUp));
            EXPECT_TRUE(ImagePixels(byPipeName).empty());
            EXPECT_EQ(c.loads, !ImagePixels(byName).empty());
        }
        kaBMPImage byName, byBytes, byPipe;
        byName.Load(path);
        platform::FileBytes fileBytes = imagebytes::AsFileBytes(c.file);
        EXPECT_EQ(byBytes.LoadFileBytes(path, fileBytes), c.loads);
        EXPECT_EQ(ImagePixels(byBytes), ImagePixels(byName));
        EXPECT_EQ(byBytes.GetName(), path);
        FILE* pipe = imagebytes::PipeOf(c.file);
        ASSERT_NE(pipe, nullptr);
        EXPECT_EQ(byPipe.LoadFromFile(pipe), c.loads);
        std::fclose(pipe);
        EXPECT_EQ(ImagePixels(byPipe), ImagePixels(byName));
    }
}

TEST_F(BMPImageTest, RefusesDamagedAndLyingFiles)
{
    auto refuses = [&](const Bytes& file)
    {
        kaBMPImage image;
        return !LoadFile(image, file) && !LoadStream(image, file) && image.GetPixels() == nullptr;
    };
    Bytes notBm = imagebytes::BmpBytes(Width3());
    notBm[0] = 'X';
    EXPECT_TRUE(refuses(notBm));

    Bytes offsetPastEnd = imagebytes::BmpBytes(Width3());
    offsetPastEnd[10] = 200;
    EXPECT_TRUE(refuses(offsetPastEnd));
    Bytes offsetInsideHeader = imagebytes::BmpBytes(Width3());
    offsetInsideHeader[10] = 20;
    EXPECT_TRUE(refuses(offsetInsideHeader));

    Bytes truncated = imagebytes::BmpBytes(Width3());
    truncated.resize(truncated.size() - 4);
    EXPECT_TRUE(refuses(truncated));

    Bmp tooManyColours;
    tooManyColours.width = 1;
    tooManyColours.height = 1;
    tooManyColours.bitCount = 1;
    tooManyColours.colorsUsed = 3;
    tooManyColours.palette = {0, 0, 0};
    tooManyColours.topFirstRows = {{0}};
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(tooManyColours)));

    // The palette must lie before the pixels.
    Bmp paletteOverPixels = tooManyColours;
    paletteOverPixels.colorsUsed = 0;
    paletteOverPixels.palette = {0};
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(paletteOverPixels)));

    Bmp runLength = Width3();
    runLength.compression = 1;
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(runLength)));
    Bmp twoBit = Width3();
    twoBit.bitCount = 2;
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(twoBit)));

    Bmp huge = Width3();
    huge.width = 0x7FFFFFFF;
    huge.height = -0x7FFFFFFF;
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(huge)));
    huge.width = 1000;
    huge.height = 1000;
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(huge)));
    huge.height = INT32_MIN;
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(huge)));
    Bmp negativeWidth = Width3();
    negativeWidth.width = -3;
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(negativeWidth)));
    // Rows of no bytes: a huge height would spin without reading anything.
    Bmp zeroWidth = Width3();
    zeroWidth.width = 0;
    zeroWidth.height = 0x7FFFFFFF;
    zeroWidth.topFirstRows = {};
    EXPECT_TRUE(refuses(imagebytes::BmpBytes(zeroWidth)));
}

// A pipe cannot tell its length: a header alone must not make the reader allocate the size it claims,
// and a whole image still loads from one.
TEST_F(BMPImageTest, APipeGetsOnlyWhatArrivesAllocated)
{
    kaBMPImage image;
    FILE* pipe = imagebytes::PipeOf(imagebytes::BmpBytes(Width3()));
    ASSERT_NE(pipe, nullptr);
    EXPECT_TRUE(image.LoadFromFile(pipe));
    std::fclose(pipe);
    EXPECT_EQ(ImagePixels(image), Concat(Width3().topFirstRows));

    if (!testsupport::MemoryLimitsWork())
        GTEST_SKIP() << "memory limits do not work under the address sanitizer";
    Bmp claimed = Width3();
    claimed.width = 9000; // 243 MB of pixels claimed
    claimed.height = 9000;
    claimed.topFirstRows = {};
    const Bytes header = imagebytes::BmpBytes(claimed);
    EXPECT_TRUE(testsupport::RunWithMemoryLimit(64 << 20,
                                                [&]
                                                {
                                                    kaBMPImage piped;
                                                    FILE* file = imagebytes::PipeOf(header);
                                                    const bool loaded = file && piped.LoadFromFile(file);
                                                    if (file)
                                                        std::fclose(file);
                                                    return file && !loaded;
                                                }));
}

TEST_F(BMPImageTest, SaveRoundTripsTwentyFourAndEightBitImages)
{
    const Bytes pixels = Concat(Width3().topFirstRows);
    kaBMPImage source;
    ASSERT_TRUE(source.Create(3, 2, 24, pixels.data()));
    const std::string path = m_Dir.File("saved.bmp");
    ASSERT_TRUE(source.Save(path, false));
    EXPECT_EQ(m_Dir.Read("saved.bmp").size(), 54u + 2 * 12);
    kaBMPImage loaded;
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(ImagePixels(loaded), pixels);
    EXPECT_GT(loaded.GetInfoHeader().height, 0);

    const Bytes grey = {0, 50, 100, 150, 200, 250};
    ASSERT_TRUE(source.Create(2, 3, 8, grey.data()));
    ASSERT_TRUE(source.Save(path, false));
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(ImagePixels(loaded), grey);
    EXPECT_EQ(loaded.GetBitsPerPixel(), 8u);
    EXPECT_EQ(m_Dir.Entries(), std::vector<std::string>{"saved.bmp"});

    // Loaded bottom row first, the image is still saved the right way up.
    ASSERT_TRUE(loaded.Load(path, true));
    ASSERT_TRUE(loaded.Save(path, false));
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_EQ(ImagePixels(loaded), grey);
}

} // namespace
