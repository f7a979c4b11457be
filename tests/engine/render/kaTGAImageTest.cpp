#include "engine/render/kaTGAImage.h"

#include "engine/core/kaBinaryStream.h"
#include "platform/files/Files.h"
#include "tests/support/ProcessLimits.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitingPipeWriter.h"
#include "tests/support/engine/render/ImageFileBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <sys/stat.h>

using imagebytes::AsString;
using imagebytes::Bytes;
using imagebytes::TgaHeader;

namespace
{

// 3 x 2 pixels, 4 bytes each, every byte different, top row first.
Bytes Picture32()
{
    Bytes pixels;
    for (uint8_t i = 0; i < 3 * 2 * 4; ++i)
        pixels.push_back(uint8_t(i * 7 + 1));
    return pixels;
}

TgaHeader Header32(uint8_t type = 2, uint8_t descriptor = 8)
{
    TgaHeader h;
    h.imageType = type;
    h.width = 3;
    h.height = 2;
    h.bitsPerPixel = 32;
    h.descriptor = descriptor;
    return h;
}

Bytes ImagePixels(const kaTGAImage& image)
{
    if (!image.GetPixels())
        return {};
    return Bytes(image.GetPixels(), image.GetPixels() + image.GetPixelBytes());
}

class TGAImageTest : public ::testing::Test
{
protected:
    bool LoadFile(kaTGAImage& image, const Bytes& bytes, const std::string& name = "image.tga")
    {
        return image.Load(m_Dir.Write(name, AsString(bytes)));
    }

    bool LoadStream(kaTGAImage& image, const Bytes& bytes)
    {
        std::istringstream stream(AsString(bytes));
        return image.LoadFromStream(stream);
    }

    // What WriteStream writes, as bytes; empty when it fails.
    static Bytes Written(const kaTGAImage& image, bool compress)
    {
        std::stringbuf buffer;
        kaBinaryStream out(&buffer);
        const std::string written = image.WriteStream(out, compress) ? buffer.str() : std::string();
        return Bytes(written.begin(), written.end());
    }

    bool LoadBinary(kaTGAImage& image, const Bytes& bytes)
    {
        std::stringbuf buffer(AsString(bytes));
        kaBinaryStream stream(&buffer);
        return image.ReadFromBinaryStream(stream);
    }

    testsupport::TempDir m_Dir;
};

TEST_F(TGAImageTest, LoadsBottomUpAndTopDownRowsAlike)
{
    kaTGAImage bottomUp;
    kaTGAImage topDown;
    ASSERT_TRUE(LoadFile(bottomUp, imagebytes::RawTga(Header32(2, 8), Picture32())));
    ASSERT_TRUE(LoadFile(topDown, imagebytes::RawTga(Header32(2, 8 | 0x20), Picture32())));
    EXPECT_EQ(ImagePixels(bottomUp), Picture32());
    EXPECT_EQ(ImagePixels(topDown), Picture32());
    EXPECT_EQ(bottomUp.GetWidth(), 3u);
    EXPECT_EQ(bottomUp.GetHeight(), 2u);
    EXPECT_EQ(bottomUp.GetBitsPerPixel(), 32u);
    EXPECT_EQ(bottomUp.GetAlphaBits(), 8u);
    EXPECT_EQ(bottomUp.GetRedMask(), 0x00FF0000u);
    EXPECT_EQ(bottomUp.GetAlphaMask(), 0xFF000000u);
}

TEST_F(TGAImageTest, SkipsImageIdAndColourMapBytes)
{
    TgaHeader h = Header32(2, 0x20);
    h.idLength = 5;
    h.mapLength = 3;
    h.entrySize = 15; // 45 bits round up to 6 bytes
    kaTGAImage image;
    ASSERT_TRUE(LoadFile(image, imagebytes::RawTga(h, Picture32())));
    EXPECT_EQ(ImagePixels(image), Picture32());
}

TEST_F(TGAImageTest, DecodesRunLengthPacketsAcrossRows)
{
    // 3 x 2 at 24 bits, top-down: a run of 4 pixels crossing the row end, then 2 raw pixels.
    TgaHeader h;
    h.imageType = 10;
    h.width = 3;
    h.height = 2;
    h.bitsPerPixel = 24;
    h.descriptor = 0x20;
    Bytes file = imagebytes::TgaHeaderBytes(h);
    const Bytes tail = {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9};
    file.insert(file.end(), tail.begin(), tail.end());

    kaTGAImage image;
    ASSERT_TRUE(LoadFile(image, file));
    const Bytes expected = {1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(ImagePixels(image), expected);

    // Stored bottom-up, the same packets give the rows the other way round.
    file[17] = 0;
    ASSERT_TRUE(LoadFile(image, file));
    const Bytes flipped = {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 1, 2, 3, 1, 2, 3};
    EXPECT_EQ(ImagePixels(image), flipped);
}

TEST_F(TGAImageTest, RefusesRunLengthPacketsThatOverrunOrEndEarly)
{
    TgaHeader h = Header32(10, 0x20);
    h.bitsPerPixel = 24;
    Bytes overrun = imagebytes::TgaHeaderBytes(h);
    const Bytes tooLong = {0x86, 1, 2, 3}; // 7 pixels into 6
    overrun.insert(overrun.end(), tooLong.begin(), tooLong.end());
    Bytes shortFile = imagebytes::TgaHeaderBytes(h);
    const Bytes tooFew = {0x84, 1, 2, 3}; // 5 pixels of 6, then the end
    shortFile.insert(shortFile.end(), tooFew.begin(), tooFew.end());

    kaTGAImage image;
    EXPECT_FALSE(LoadFile(image, overrun));
    EXPECT_FALSE(LoadFile(image, shortFile));
    EXPECT_EQ(image.GetHeader(), nullptr);
    EXPECT_EQ(image.GetPixels(), nullptr);
}

TEST_F(TGAImageTest, GreyImagesLoadThroughEveryReader)
{
    TgaHeader h;
    h.imageType = 3;
    h.width = 2;
    h.height = 2;
    h.bitsPerPixel = 8;
    const Bytes grey = {10, 20, 30, 40};
    const Bytes file = imagebytes::RawTga(h, grey);

    kaTGAImage image;
    ASSERT_TRUE(LoadStream(image, file));
    EXPECT_EQ(ImagePixels(image), grey);
    EXPECT_EQ(image.GetBitsPerPixel(), 8u);
    ASSERT_TRUE(LoadFile(image, file));
    EXPECT_EQ(ImagePixels(image), grey);
    EXPECT_EQ(image.GetRedMask(), 0xFFu);
    ASSERT_TRUE(LoadBinary(image, file));
    EXPECT_EQ(ImagePixels(image), grey);
}

TEST_F(TGAImageTest, RefusesColourMapsAndUnknownTypesAndDepths)
{
    TgaHeader mapped = Header32();
    mapped.colorMapType = 1;
    TgaHeader colourMapped = Header32(1);
    TgaHeader depth = Header32();
    depth.bitsPerPixel = 15;
    kaTGAImage image;
    for (const TgaHeader& h : {mapped, colourMapped, depth})
    {
        const Bytes file = imagebytes::RawTga(h, Bytes(24, 0));
        EXPECT_FALSE(LoadFile(image, file));
        EXPECT_FALSE(LoadStream(image, file));
        EXPECT_FALSE(LoadBinary(image, file));
    }
}

TEST_F(TGAImageTest, SixteenBitImagesCarryFiveBitChannelMasks)
{
    TgaHeader h = Header32(2, 1 | 0x20);
    h.bitsPerPixel = 16;
    kaTGAImage image;
    ASSERT_TRUE(LoadFile(image, imagebytes::RawTga(h, Bytes(12, 0x55))));
    EXPECT_EQ(image.GetRedMask(), 0x7C00u);
    EXPECT_EQ(image.GetGreenMask(), 0x03E0u);
    EXPECT_EQ(image.GetBlueMask(), 0x001Fu);
    EXPECT_EQ(image.GetAlphaMask(), 0x8000u);
    EXPECT_EQ(image.GetAlphaBits(), 1u);
}

TEST_F(TGAImageTest, RefusesTruncatedPixelsAndAbsurdSizes)
{
    Bytes file = imagebytes::RawTga(Header32(2, 0x20), Picture32());
    file.pop_back();
    kaTGAImage image;
    EXPECT_FALSE(LoadFile(image, file));

    // 65535 x 65535 at 32 bits is 16 GiB, claimed by an 18-byte file.
    TgaHeader huge = Header32();
    huge.width = 65535;
    huge.height = 65535;
    EXPECT_FALSE(LoadFile(image, imagebytes::TgaHeaderBytes(huge)));
    EXPECT_FALSE(LoadBinary(image, imagebytes::TgaHeaderBytes(huge)));
    // 4096 x 4096 is allowed by size, but the data is not there.
    huge.width = 4096;
    huge.height = 4096;
    huge.imageType = 10;
    EXPECT_FALSE(LoadFile(image, imagebytes::TgaHeaderBytes(huge)));
    EXPECT_EQ(image.GetPixels(), nullptr);
}

// Load by the name of a pipe: refused without opening it, which would wait for a writer.
bool LoadThroughFifo(kaTGAImage& image, const std::string& fifo)
{
    const testsupport::WaitingPipeWriter writer(fifo);
    const bool loaded = writer.Made() && image.Load(fifo);
    EXPECT_FALSE(writer.Released()) << "the pipe was opened";
    return loaded;
}

// A file loaded by name (read whole), its bytes handed over as that file's, the file opened and read as
// it goes, and a pipe handed over open all give the same image, or the same refusal; a pipe by name is
// never read.
TEST_F(TGAImageTest, EveryWayOfReadingAFileAgrees)
{
    TgaHeader grey;
    grey.imageType = kaTGAImage::kTypeGrey;
    grey.width = 2;
    grey.height = 2;
    grey.bitsPerPixel = 8;
    TgaHeader runLength = Header32(kaTGAImage::kTypeTrueColorRle, 0x20);
    runLength.bitsPerPixel = 24;
    Bytes runs = imagebytes::TgaHeaderBytes(runLength);
    runs.insert(runs.end(), {0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9});
    Bytes truncated = imagebytes::RawTga(Header32(2, 0x20), Picture32());
    truncated.pop_back();
    TgaHeader withId = Header32(2, 8);
    withId.idLength = 4;
    struct Case
    {
        Bytes file;
        bool loads;
    };
    const Case cases[] = {
        {imagebytes::RawTga(Header32(2, 8), Picture32()), true},
        {imagebytes::RawTga(withId, Picture32()), true},
        {runs, true},
        // Files take grey images, whichever way they are read.
        {imagebytes::RawTga(grey, {1, 2, 3, 4}), true},
        {truncated, false},
        {imagebytes::TgaHeaderBytes(Header32()), false},
    };
    int index = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(index++);
        const std::string path = m_Dir.Write("image.tga", AsString(c.file));
        kaTGAImage byName, byBytes, byOpenFile, byPipe, byPipeName;
        EXPECT_EQ(byName.Load(path), c.loads);
        platform::FileBytes fileBytes = imagebytes::AsFileBytes(c.file);
        EXPECT_EQ(byBytes.LoadFileBytes(path, fileBytes), c.loads);
        FILE* open = std::fopen(path.c_str(), "rb");
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(byOpenFile.LoadFromFile(open), c.loads);
        std::fclose(open);
        FILE* pipe = imagebytes::PipeOf(c.file);
        ASSERT_NE(pipe, nullptr);
        EXPECT_EQ(byPipe.LoadFromFile(pipe), c.loads);
        std::fclose(pipe);
        EXPECT_FALSE(LoadThroughFifo(byPipeName, m_Dir.File("pipe.tga")));
        EXPECT_TRUE(ImagePixels(byPipeName).empty());
        EXPECT_EQ(ImagePixels(byName), ImagePixels(byOpenFile));
        EXPECT_EQ(ImagePixels(byBytes), ImagePixels(byOpenFile));
        EXPECT_EQ(ImagePixels(byPipe), ImagePixels(byOpenFile));
        EXPECT_EQ(byBytes.GetName(), path);
        EXPECT_EQ(c.loads, !ImagePixels(byBytes).empty());
    }
    // Bytes named as another kind of file are not taken.
    kaTGAImage image;
    platform::FileBytes fileBytes = imagebytes::AsFileBytes(cases[0].file);
    EXPECT_FALSE(image.LoadFileBytes(m_Dir.File("image.bmp"), fileBytes));
    EXPECT_EQ(image.GetPixels(), nullptr);
}

// The pixels of RawTga run-length packed: runs of equal pixels as run packets, the rest as raw packets.
Bytes RunLengthTga(TgaHeader h, const Bytes& topFirstPixels)
{
    const Bytes raw = imagebytes::RawTga(h, topFirstPixels);
    const size_t bytes = h.bitsPerPixel / 8;
    const size_t start = imagebytes::TgaHeaderBytes(h).size() + h.idLength;
    Bytes out(raw.begin(), raw.begin() + start);
    out[2] = uint8_t(h.imageType == kaTGAImage::kTypeGrey ? 11 : kaTGAImage::kTypeTrueColorRle);
    const size_t count = (raw.size() - start) / bytes;
    auto same = [&](size_t a, size_t b)
    { return std::equal(&raw[start + a * bytes], &raw[start + (a + 1) * bytes], &raw[start + b * bytes]); };
    for (size_t i = 0; i < count;)
    {
        size_t run = 1;
        while (i + run < count && run < 128 && same(i, i + run))
            ++run;
        if (run > 1)
        {
            out.push_back(uint8_t(0x80 | (run - 1)));
            out.insert(out.end(), &raw[start + i * bytes], &raw[start + (i + 1) * bytes]);
            i += run;
            continue;
        }
        size_t literal = 1;
        while (i + literal < count && literal < 128 &&
               !(i + literal + 1 < count && same(i + literal, i + literal + 1)))
            ++literal;
        out.push_back(uint8_t(literal - 1));
        out.insert(out.end(), &raw[start + i * bytes], &raw[start + (i + literal) * bytes]);
        i += literal;
    }
    return out;
}

// 4 x 3 pixels of the given size, top row first, with runs of equal pixels and rows that differ.
Bytes Picture(uint32_t bytesPerPixel)
{
    Bytes pixels;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t b = 0; b < bytesPerPixel; ++b)
                pixels.push_back(uint8_t(x < 3 ? 40 * y + b + 1 : 17 * x + 5 * y + 3 * b + 100));
    return pixels;
}

struct TypeCase
{
    const char* what;
    uint8_t type;
    uint8_t bits;
    uint8_t descriptor;
    bool runLength;

    // A 4 x 3 picture's file of this case, packed in runs when the case says so.
    TgaHeader Header() const
    {
        TgaHeader h;
        h.imageType = type;
        h.width = 4;
        h.height = 3;
        h.bitsPerPixel = bits;
        h.descriptor = descriptor;
        return h;
    }
    Bytes File(const Bytes& topFirstPixels) const
    {
        return runLength ? RunLengthTga(Header(), topFirstPixels)
                         : imagebytes::RawTga(Header(), topFirstPixels);
    }
};

// Every type taken reads to the same top-first pixels from a file by name, from its bytes, from an open
// file, from a standard stream and from a binary stream.
TEST_F(TGAImageTest, EveryTypeTakenReadsTheSameFromFilesAndStreams)
{
    const TypeCase cases[] = {
        {"true colour 24, bottom-up", 2, 24, 0, false},
        {"true colour 24, top-down", 2, 24, 0x20, false},
        {"true colour 32, bottom-up", 2, 32, 8, false},
        {"true colour 32, top-down", 2, 32, 8 | 0x20, false},
        {"true colour 16", 2, 16, 1, false},
        {"run-length 24, bottom-up", 10, 24, 0, true},
        {"run-length 32, top-down", 10, 32, 8 | 0x20, true},
        {"run-length 16, bottom-up", 10, 16, 1, true},
        {"grey, bottom-up", 3, 8, 0, false},
        {"grey, top-down", 3, 8, 0x20, false},
    };
    for (const TypeCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const Bytes expected = Picture(c.bits / 8u);
        const Bytes file = c.File(expected);
        if (c.runLength)
        {
            ASSERT_LT(file.size(), imagebytes::RawTga(c.Header(), expected).size()) << "the packer made runs";
        }

        kaTGAImage byName, byBytes, byOpenFile, byStream, byBinary;
        ASSERT_TRUE(LoadFile(byName, file));
        const std::string path = m_Dir.File("image.tga");
        platform::FileBytes fileBytes = imagebytes::AsFileBytes(file);
        ASSERT_TRUE(byBytes.LoadFileBytes(path, fileBytes));
        FILE* open = std::fopen(path.c_str(), "rb");
        ASSERT_NE(open, nullptr);
        ASSERT_TRUE(byOpenFile.LoadFromFile(open));
        std::fclose(open);
        ASSERT_TRUE(LoadStream(byStream, file));
        ASSERT_TRUE(LoadBinary(byBinary, file));
        for (const kaTGAImage* image : {&byName, &byBytes, &byOpenFile, &byStream, &byBinary})
        {
            EXPECT_EQ(ImagePixels(*image), expected);
            EXPECT_EQ(image->GetBitsPerPixel(), c.bits);
            EXPECT_EQ(image->GetAlphaBits(), c.descriptor & 31u);
        }
        EXPECT_EQ(byName.GetRedMask(), byStream.GetRedMask());
    }
}

// What no reader takes: colour maps, grey run-length packets, and depths that do not fit the type.
TEST_F(TGAImageTest, EveryReaderRefusesTheSameTypes)
{
    const TypeCase cases[] = {
        {"colour-mapped", 1, 8, 0, false},
        {"colour-mapped run-length", 9, 8, 0, false},
        {"grey run-length", 3, 8, 0, true},
        {"grey at 16 bits", 3, 16, 0, false},
        {"true colour at 8 bits", 2, 8, 0, false},
        {"run-length at 8 bits", 10, 8, 0, false},
        {"compressed in a file", kaTGAImage::kTypeCompressed, 32, 0, false},
    };
    for (const TypeCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const Bytes file = c.File(Picture(c.bits / 8u));
        kaTGAImage image;
        EXPECT_FALSE(LoadFile(image, file));
        EXPECT_FALSE(LoadStream(image, file));
        EXPECT_EQ(image.GetHeader(), nullptr);
        EXPECT_EQ(image.GetPixels(), nullptr);
        if (c.type != kaTGAImage::kTypeCompressed)
        {
            EXPECT_FALSE(LoadBinary(image, file));
        }
    }
}

// A grey image keeps its type through the writers, compressed or not.
TEST_F(TGAImageTest, GreyImagesAreWrittenAsGrey)
{
    const Bytes grey = Picture(1);
    kaTGAImage source;
    ASSERT_TRUE(source.Create(4, 3, 8, 0, grey.data()));
    for (bool compress : {false, true})
    {
        SCOPED_TRACE(compress);
        kaTGAImage packed;
        ASSERT_TRUE(LoadBinary(packed, Written(source, compress)));
        EXPECT_EQ(ImagePixels(packed), grey);
        // Read back from a compressed stream, written out again raw: still a grey file.
        const Bytes again = Written(packed, false);
        ASSERT_GT(again.size(), 2u);
        EXPECT_EQ(again[2], kaTGAImage::kTypeGrey);
        kaTGAImage reread;
        ASSERT_TRUE(LoadFile(reread, again));
        EXPECT_EQ(ImagePixels(reread), grey);
    }
}

TEST_F(TGAImageTest, LoadByNameWantsATgaExtension)
{
    const Bytes file = imagebytes::RawTga(Header32(), Picture32());
    kaTGAImage image;
    EXPECT_TRUE(LoadFile(image, file, "upper.TGA"));
    EXPECT_FALSE(LoadFile(image, file, "picture.bmp"));
    EXPECT_EQ(image.GetName(), m_Dir.File("picture.bmp"));
    EXPECT_FALSE(image.Load(m_Dir.File("missing.tga")));
}

TEST_F(TGAImageTest, CompressedStreamRoundTripsThroughTheBinaryReader)
{
    kaTGAImage source;
    ASSERT_TRUE(source.Create(3, 2, 32, 8, Picture32().data()));
    const Bytes written = Written(source, true);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written[2], kaTGAImage::kTypeCompressed);
    EXPECT_EQ(source.GetHeader()->imageType, kaTGAImage::kTypeTrueColor);

    kaTGAImage loaded;
    ASSERT_TRUE(LoadBinary(loaded, written));
    EXPECT_EQ(ImagePixels(loaded), Picture32());
    EXPECT_EQ(loaded.GetAlphaBits(), 8u);
    // The file readers do not take the compressed type.
    EXPECT_FALSE(LoadFile(loaded, written));
}

TEST_F(TGAImageTest, IncompressibleNoiseStillCompresses)
{
    Bytes noise(64 * 64 * 4);
    uint32_t state = 12345;
    for (uint8_t& b : noise)
    {
        state = state * 1664525u + 1013904223u;
        b = uint8_t(state >> 24);
    }
    kaTGAImage source;
    ASSERT_TRUE(source.Create(64, 64, 32, 8, noise.data()));
    kaTGAImage loaded;
    ASSERT_TRUE(LoadBinary(loaded, Written(source, true)));
    EXPECT_EQ(ImagePixels(loaded), noise);
}

TEST_F(TGAImageTest, BinaryReaderStopsRightAfterTheImage)
{
    kaTGAImage source;
    ASSERT_TRUE(source.Create(3, 2, 32, 8, Picture32().data()));
    std::stringbuf buffer;
    kaBinaryStream out(&buffer);
    ASSERT_TRUE(source.WriteStream(out, true));
    out.WriteUInt32(0xCAFEF00D);

    kaBinaryStream in(&buffer);
    kaTGAImage loaded;
    ASSERT_TRUE(loaded.ReadFromBinaryStream(in));
    uint32_t after = 0;
    in.ReadUInt32(after);
    EXPECT_EQ(after, 0xCAFEF00Du);
}

Bytes CompressedFile(const Bytes& packed, uint32_t claimedLength)
{
    Bytes file = imagebytes::TgaHeaderBytes(Header32(23));
    imagebytes::PutU32(file, claimedLength);
    file.insert(file.end(), packed.begin(), packed.end());
    return file;
}

Bytes Deflate(const Bytes& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes packed(size);
    compress(packed.data(), &size, raw.data(), uLong(raw.size()));
    packed.resize(size);
    return packed;
}

TEST_F(TGAImageTest, RefusesCompressedDataThatLiesOrInflatesWrongly)
{
    const Bytes good = Deflate(Picture32());
    kaTGAImage image;
    ASSERT_TRUE(LoadBinary(image, CompressedFile(good, uint32_t(good.size()))));

    Bytes cut(good.begin(), good.end() - 3);
    EXPECT_FALSE(LoadBinary(image, CompressedFile(cut, uint32_t(cut.size()))));
    EXPECT_FALSE(LoadBinary(image, CompressedFile(good, uint32_t(good.size() + 100))));
    EXPECT_FALSE(LoadBinary(image, CompressedFile(good, 0xFFFFFFF0u)));

    Bytes shortPixels = Picture32();
    shortPixels.pop_back();
    const Bytes tooFew = Deflate(shortPixels);
    EXPECT_FALSE(LoadBinary(image, CompressedFile(tooFew, uint32_t(tooFew.size()))));
    Bytes longPixels = Picture32();
    longPixels.push_back(0);
    const Bytes tooMany = Deflate(longPixels);
    EXPECT_FALSE(LoadBinary(image, CompressedFile(tooMany, uint32_t(tooMany.size()))));
    EXPECT_EQ(image.GetHeader(), nullptr);
}

TEST_F(TGAImageTest, WrittenStreamsAndFilesReloadTheRightWayUp)
{
    kaTGAImage source;
    ASSERT_TRUE(LoadFile(source, imagebytes::RawTga(Header32(2, 8), Picture32())));
    ASSERT_EQ(source.GetHeader()->descriptor & 0x20, 0);

    const Bytes written = Written(source, false);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written[17] & 0x20, 0x20);
    kaTGAImage fromStream;
    ASSERT_TRUE(LoadStream(fromStream, written));
    EXPECT_EQ(ImagePixels(fromStream), Picture32());

    const std::string path = m_Dir.File("saved.tga");
    ASSERT_TRUE(source.Save(path, false));
    kaTGAImage fromFile;
    ASSERT_TRUE(fromFile.Load(path));
    EXPECT_EQ(ImagePixels(fromFile), Picture32());
    EXPECT_EQ(fromFile.GetAlphaBits(), 8u);
}

TEST_F(TGAImageTest, SaveEndsInTheFooterWhateverTheCompressFlag)
{
    kaTGAImage source;
    ASSERT_TRUE(source.Create(3, 2, 32, 8, Picture32().data()));
    for (bool compress : {false, true})
    {
        ASSERT_TRUE(source.Save(m_Dir.File("footer.tga"), compress));
        const std::string file = m_Dir.Read("footer.tga");
        ASSERT_EQ(file.size(), 18u + 24u + 26u);
        EXPECT_EQ(uint8_t(file[2]), 2);
        const std::string footer = file.substr(file.size() - 26);
        EXPECT_EQ(footer.substr(0, 8), std::string(8, '\0'));
        EXPECT_EQ(footer.substr(8, 16), "TRUEVISION-XFILE");
        EXPECT_EQ(footer[24], '.');
        EXPECT_EQ(footer[25], '\0');
    }
    EXPECT_EQ(m_Dir.Entries(), std::vector<std::string>{"footer.tga"});
}

TEST_F(TGAImageTest, RunLengthImagesAreWrittenAsRawPixels)
{
    TgaHeader h = Header32(10, 0x20);
    h.idLength = 4;
    Bytes file = imagebytes::TgaHeaderBytes(h);
    file.insert(file.end(), 4, 0x99);
    const Bytes packets = {0x85, 9, 8, 7, 6};
    file.insert(file.end(), packets.begin(), packets.end());
    kaTGAImage source;
    ASSERT_TRUE(LoadFile(source, file));

    const std::string path = m_Dir.File("raw.tga");
    ASSERT_TRUE(source.Save(path, false));
    kaTGAImage reloaded;
    ASSERT_TRUE(reloaded.Load(path));
    EXPECT_EQ(reloaded.GetHeader()->imageType, kaTGAImage::kTypeTrueColor);
    EXPECT_EQ(ImagePixels(reloaded), ImagePixels(source));
}

TEST_F(TGAImageTest, WritersRefuseAnImageWithoutHeader)
{
    kaTGAImage empty;
    EXPECT_TRUE(Written(empty, false).empty());
    EXPECT_FALSE(empty.Save(m_Dir.File("none.tga"), false));
    EXPECT_FALSE(m_Dir.Exists("none.tga"));
    EXPECT_FALSE(empty.Create(4, 4, 12, 0, Bytes(24).data()));
}

TEST_F(TGAImageTest, FailedSaveKeepsTheOldFile)
{
    m_Dir.Write("keep.tga", "old contents");
    kaTGAImage source;
    ASSERT_TRUE(source.Create(3, 2, 32, 8, Picture32().data()));
    // A full disk: the new file cannot be written whole.
    EXPECT_FALSE(
        testsupport::RunWithFileSizeLimit(20, [&] { return source.Save(m_Dir.File("keep.tga"), false); }));
    EXPECT_EQ(m_Dir.Read("keep.tga"), "old contents");
    EXPECT_EQ(m_Dir.Entries(), std::vector<std::string>{"keep.tga"});
}

// A pipe cannot tell its length: headers alone must not make the reader allocate the sizes they claim
// (raw, run-length and compressed pixels), and a whole image still loads from one.
TEST_F(TGAImageTest, APipeGetsOnlyWhatArrivesAllocated)
{
    Bytes whole = imagebytes::TgaHeaderBytes(Header32(kaTGAImage::kTypeTrueColor, 8 | 0x20));
    const Bytes picture = Picture32();
    whole.insert(whole.end(), picture.begin(), picture.end());
    kaTGAImage image;
    FILE* pipe = imagebytes::PipeOf(whole);
    ASSERT_NE(pipe, nullptr);
    EXPECT_TRUE(image.LoadFromFile(pipe));
    std::fclose(pipe);
    EXPECT_EQ(ImagePixels(image), picture);

    if (!testsupport::MemoryLimitsWork())
        GTEST_SKIP() << "memory limits do not work under the address sanitizer";
    for (const uint8_t type :
         {kaTGAImage::kTypeTrueColor, kaTGAImage::kTypeTrueColorRle, kaTGAImage::kTypeCompressed})
    {
        TgaHeader claimed = Header32(type); // 8000 x 8000 x 4: 256 MB claimed
        claimed.width = 8000;
        claimed.height = 8000;
        Bytes header = imagebytes::TgaHeaderBytes(claimed);
        if (type == kaTGAImage::kTypeTrueColorRle)
            header.insert(header.end(), {0xFF, 1, 2, 3, 4, 0xFF, 1, 2, 3, 4});
        if (type == kaTGAImage::kTypeCompressed)
            imagebytes::PutU32(header, 200u << 20);
        EXPECT_TRUE(testsupport::RunWithMemoryLimit(64 << 20,
                                                    [&]
                                                    {
                                                        kaTGAImage piped;
                                                        FILE* file = imagebytes::PipeOf(header);
                                                        const bool loaded = file && piped.LoadFromFile(file);
                                                        if (file)
                                                            std::fclose(file);
                                                        return file && !loaded;
                                                    }))
            << int(type);
    }
}

// Read whole from a file, uncompressed rows stored top first are shown where they lie in the file's bytes,
// which the image then keeps; any other layout is decoded out of them and the bytes stay with the caller for
// its next file. Either way the pixels, and everything made from them afterwards, are the picture's own.
TEST_F(TGAImageTest, FileBytesKeptAsPixelsOnlyWhenTheyLieInPlace)
{
    Bytes picture;
    for (uint32_t i = 0; i < 8 * 4 * 4; ++i)
        picture.push_back(uint8_t(i * 13 + 5));
    const auto header = [](uint8_t type, uint8_t descriptor)
    {
        TgaHeader h;
        h.imageType = type;
        h.width = 8;
        h.height = 4;
        h.bitsPerPixel = 32;
        h.descriptor = descriptor;
        return h;
    };
    TgaHeader withId = header(2, 0x28);
    withId.idLength = 9;
    Bytes padded = imagebytes::RawTga(header(2, 0x28), picture);
    padded.insert(padded.end(), 8000, 0xEE);
    const struct
    {
        const char* what;
        Bytes file;
        bool kept;
    } cases[] = {
        {"raw, top row first", imagebytes::RawTga(header(2, 0x28), picture), true},
        {"raw, top row first, after an image ID", imagebytes::RawTga(withId, picture), true},
        {"raw, bottom row first", imagebytes::RawTga(header(2, 0x08), picture), false},
        {"run-length", RunLengthTga(header(10, 0x28), picture), false},
        {"raw, followed by far more than the pixels", padded, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        kaTGAImage image;
        platform::FileBytes bytes = imagebytes::AsFileBytes(c.file);
        ASSERT_TRUE(image.LoadFileBytes(m_Dir.File("image.tga"), bytes));
        EXPECT_EQ(bytes.Empty(), c.kept);
        EXPECT_EQ(bytes.Room() == 0, c.kept);
        EXPECT_EQ(ImagePixels(image), picture);

        // Written out, plain and compressed, the pixels read back the same.
        for (const bool compress : {false, true})
        {
            kaTGAImage again;
            ASSERT_TRUE(LoadBinary(again, Written(image, compress))) << compress;
            EXPECT_EQ(ImagePixels(again), picture) << compress;
        }
        const std::string saved = m_Dir.File("saved.tga");
        ASSERT_TRUE(image.Save(saved, false));
        kaTGAImage reloaded;
        ASSERT_TRUE(reloaded.Load(saved));
        EXPECT_EQ(ImagePixels(reloaded), picture);

        // Flipped, the rows turn over whether or not they were held in the file's bytes.
        image.FlipVertical();
        ASSERT_EQ(image.GetPixelBytes(), picture.size());
        for (uint32_t row = 0; row < 4; ++row)
            EXPECT_TRUE(std::equal(picture.begin() + row * 32, picture.begin() + (row + 1) * 32,
                                   image.GetPixels() + (3 - row) * 32))
                << row;

        // A later file read into the same image shows only its own pixels, and a failed one none.
        const Bytes small = Picture32();
        platform::FileBytes next = imagebytes::AsFileBytes(imagebytes::RawTga(Header32(2, 0x28), small));
        ASSERT_TRUE(image.LoadFileBytes(m_Dir.File("next.tga"), next));
        EXPECT_EQ(ImagePixels(image), small);
        Bytes cut = imagebytes::RawTga(Header32(2, 0x28), small);
        cut.pop_back();
        platform::FileBytes cutBytes = imagebytes::AsFileBytes(cut);
        EXPECT_FALSE(image.LoadFileBytes(m_Dir.File("cut.tga"), cutBytes));
        EXPECT_EQ(image.GetPixels(), nullptr);
        EXPECT_EQ(image.GetPixelBytes(), 0u);
        EXPECT_EQ(image.GetHeader(), nullptr);
    }
}

} // namespace
