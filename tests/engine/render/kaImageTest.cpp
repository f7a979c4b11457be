#include "engine/render/kaBMPImage.h"
#include "engine/render/kaTGAImage.h"

#include "engine/core/kaBinaryStream.h"
#include "tests/support/engine/render/ImageFileBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <sstream>

using imagebytes::AsString;
using imagebytes::Bmp;
using imagebytes::Bytes;
using imagebytes::TgaHeader;

namespace
{

TEST(ImageTest, FlipVerticalTurnsTheRowsOver)
{
    const Bytes pixels = {1, 2, 3, 4, 5, 6};
    kaTGAImage image;
    ASSERT_TRUE(image.Create(2, 3, 8, 0, pixels.data()));
    image.FlipVertical();
    EXPECT_EQ(Bytes(image.GetPixels(), image.GetPixels() + 6), (Bytes{5, 6, 3, 4, 1, 2}));
}

// Seed files of every kind the readers take; none has bytes that a reader may go without.
std::vector<Bytes> TgaSeeds()
{
    std::vector<Bytes> seeds;
    Bytes pixels32;
    for (int i = 0; i < 5 * 4 * 4; ++i)
        pixels32.push_back(uint8_t(i * 13));
    TgaHeader h;
    h.width = 5;
    h.height = 4;
    h.descriptor = 8;
    h.idLength = 3;
    seeds.push_back(imagebytes::RawTga(h, pixels32));

    TgaHeader grey;
    grey.imageType = 3;
    grey.width = 4;
    grey.height = 3;
    grey.bitsPerPixel = 8;
    grey.descriptor = 0x20;
    seeds.push_back(imagebytes::RawTga(grey, Bytes(12, 77)));

    TgaHeader rle = h;
    rle.imageType = 10;
    rle.bitsPerPixel = 24;
    rle.idLength = 0;
    Bytes file = imagebytes::TgaHeaderBytes(rle);
    const Bytes packets = {0x89, 1, 2, 3, 0x02, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0x86, 0, 0, 0};
    file.insert(file.end(), packets.begin(), packets.end());
    seeds.push_back(file);

    kaTGAImage compressed;
    compressed.Create(5, 4, 32, 8, pixels32.data());
    std::stringbuf buffer;
    kaBinaryStream out(&buffer);
    compressed.WriteStream(out, true);
    const std::string written = buffer.str();
    seeds.push_back(Bytes(written.begin(), written.end()));
    return seeds;
}

std::vector<Bytes> BmpSeeds()
{
    std::vector<Bytes> seeds;
    Bmp b24;
    b24.width = 3;
    b24.height = -3;
    b24.topFirstRows.assign(3, Bytes(9, 0x42));
    b24.padLastRow = false;
    seeds.push_back(imagebytes::BmpBytes(b24));

    Bmp b4;
    b4.width = 5;
    b4.height = 2;
    b4.bitCount = 4;
    b4.colorsUsed = 4;
    b4.palette = {1, 2, 3, 4};
    b4.topFirstRows.assign(2, Bytes{0x12, 0x30, 0x10});
    b4.padLastRow = false;
    seeds.push_back(imagebytes::BmpBytes(b4));

    Bmp b1;
    b1.width = 9;
    b1.height = 2;
    b1.bitCount = 1;
    b1.palette = {0, 0xFFFFFF};
    b1.topFirstRows.assign(2, Bytes{0xF0, 0x80});
    b1.padLastRow = false;
    seeds.push_back(imagebytes::BmpBytes(b1));

    Bmp b8;
    b8.width = 4;
    b8.height = 2;
    b8.bitCount = 8;
    b8.planes = 2;
    b8.palette.assign(256, 0x808080);
    b8.topFirstRows.assign(2, Bytes{1, 2, 3, 4});
    seeds.push_back(imagebytes::BmpBytes(b8));

    Bmp b16;
    b16.width = 2;
    b16.height = 2;
    b16.bitCount = 16;
    b16.compression = 3;
    b16.masks = {0xF800, 0x07E0, 0x001F};
    b16.topFirstRows.assign(2, Bytes{1, 2, 3, 4});
    seeds.push_back(imagebytes::BmpBytes(b16));

    Bmp b32;
    b32.headerSize = 108;
    b32.width = 2;
    b32.height = 2;
    b32.bitCount = 32;
    b32.compression = 3;
    b32.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    b32.topFirstRows.assign(2, Bytes(8, 9));
    seeds.push_back(imagebytes::BmpBytes(b32));
    return seeds;
}

// What the readers hand back must be consistent and in proportion to the data given.
void ExpectSaneImage(const kaImage& image, size_t fileSize)
{
    if (!image.GetPixels())
        return;
    EXPECT_EQ(image.GetPixelBytes(), size_t(image.GetRowBytes()) * image.GetHeight());
    EXPECT_LE(image.GetPixelBytes(), fileSize * 1032 + 4096);
}

struct ReadResults
{
    bool any = false;
};

ReadResults ReadEveryWay(const Bytes& file)
{
    ReadResults results;
    const std::string text = AsString(file);
    {
        kaTGAImage image;
        std::istringstream stream(text);
        results.any |= image.LoadFromStream(stream);
        ExpectSaneImage(image, file.size());
    }
    {
        kaTGAImage image;
        std::stringbuf buffer(text);
        kaBinaryStream stream(&buffer);
        results.any |= image.ReadFromBinaryStream(stream);
        ExpectSaneImage(image, file.size());
    }
    {
        kaBMPImage image;
        std::istringstream stream(text);
        results.any |= image.LoadFromStream(stream);
        ExpectSaneImage(image, file.size());
    }
    for (int kind = 0; kind < 2; ++kind)
    {
        Bytes copy = file;
        FILE* open = fmemopen(copy.empty() ? nullptr : copy.data(), copy.size(), "rb");
        if (!open)
            continue;
        std::unique_ptr<kaImage> image;
        if (kind == 0)
            image = std::make_unique<kaTGAImage>();
        else
            image = std::make_unique<kaBMPImage>();
        results.any |= image->LoadFromFile(open);
        ExpectSaneImage(*image, file.size());
        std::fclose(open);
    }
    return results;
}

TEST(ImageFuzzTest, SeedsLoadButNoStrictPrefixDoes)
{
    std::vector<Bytes> seeds = TgaSeeds();
    for (const Bytes& seed : BmpSeeds())
        seeds.push_back(seed);
    for (size_t s = 0; s < seeds.size(); ++s)
    {
        const Bytes& seed = seeds[s];
        EXPECT_TRUE(ReadEveryWay(seed).any) << "seed " << s;
        for (size_t length = 0; length < seed.size(); ++length)
        {
            const Bytes prefix(seed.begin(), seed.begin() + length);
            EXPECT_FALSE(ReadEveryWay(prefix).any) << "seed " << s << " cut at " << length;
        }
    }
}

TEST(ImageFuzzTest, MutatedFilesNeverCrashOrAllocateOutOfProportion)
{
    std::vector<Bytes> seeds = TgaSeeds();
    for (const Bytes& seed : BmpSeeds())
        seeds.push_back(seed);
    uint32_t state = 0x2545F491u;
    auto next = [&state]()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    // Values that tend to break size arithmetic.
    const uint8_t extremes[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    for (const Bytes& seed : seeds)
    {
        for (int round = 0; round < 1500; ++round)
        {
            Bytes file = seed;
            const int edits = 1 + int(next() % 4);
            for (int e = 0; e < edits; ++e)
            {
                // Headers are where lies do harm: aim most edits at the first 64 bytes.
                const size_t span = (next() % 4 == 0) ? file.size() : std::min<size_t>(64, file.size());
                const size_t at = next() % span;
                file[at] = (next() % 2) ? extremes[next() % sizeof(extremes)] : uint8_t(next());
            }
            if (next() % 8 == 0)
                file.resize(next() % (file.size() + 1));
            ReadEveryWay(file);
        }
    }
}

} // namespace
