#pragma once

#include "engine/render/kaImage.h"

#include <cstdint>
#include <vector>

class kaByteSource;

// The 40-byte bitmap information header as stored; a negative height marks rows stored top-down.
struct kaBMPInfoHeader
{
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
};

// Windows bitmaps, uncompressed or with channel masks, at 1, 4, 8, 16, 24 and 32 bits. 1- and 4-bit rows
// keep their packed palette indices, and 8-bit images with one plane their bytes as they are (grey
// levels for height maps and masks); other 8-bit images keep the palette.
class kaBMPImage : public kaImage
{
public:
    static constexpr uint16_t kMagic = 0x4D42;
    static constexpr size_t kFileHeaderSize = 14;
    static constexpr size_t kInfoHeaderSize = 40;
    static constexpr uint32_t kCompressionNone = 0;
    static constexpr uint32_t kCompressionBitFields = 3;
    static constexpr uint32_t kCompressionAlphaBitFields = 6;
    // Larger images are refused rather than allocated.
    static constexpr uint64_t kMaxPixelBytes = 256ull << 20;

    kaBMPImage() = default;
    ~kaBMPImage() override;

    // Rows top row first; fails on a stream already in an error state.
    bool LoadFromStream(std::istream& stream) override;
    // Reads the bitmap from an open file, rows top row first.
    bool LoadFromFile(FILE* file) override;
    bool Load(const std::string& fileName) override;
    // As Load, from the file's bytes.
    bool LoadFileBytes(std::string fileName, platform::FileBytes& bytes) override;
    // Rows top row first, or with bottomUpRows the bottom row first, whichever order the file keeps.
    bool Load(const std::string& fileName, bool bottomUpRows);
    // Writes 8-bit (with the palette held, else a grey ramp) and 24-bit images, uncompressed and
    // bottom-up, through a temporary file renamed over the target. The compress flag is not used.
    bool Save(const std::string& fileName, bool compress) const override;

    uint32_t GetHeight() const override;
    uint32_t GetWidth() const override;

    // Holds the given pixels (top row first) as an 8-bit grey or 24-bit image.
    bool Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel, const uint8_t* pixels);

    const kaBMPInfoHeader& GetInfoHeader() const { return m_InfoHeader; }
    // Entries of 4 bytes: red, green, blue, 0. Always 2 to the bit count entries when present, so any
    // index of the pixels has one.
    uint32_t GetPaletteEntryCount() const { return m_PaletteEntries; }
    const uint8_t* GetPalette() const { return m_Palette.empty() ? nullptr : m_Palette.data(); }
    bool HasBottomUpRows() const { return m_BottomUpRows; }

private:
    bool _Read(kaByteSource& source, bool bottomUpRows);
    bool _ReadMetadata(const std::vector<uint8_t>& meta);
    void _Clear();

    kaBMPInfoHeader m_InfoHeader;
    uint32_t m_PaletteEntries = 0;
    std::vector<uint8_t> m_Palette;
    bool m_BottomUpRows = false;
};
