#pragma once

#include "engine/render/kaImage.h"

#include <cstdint>

class kaBinaryStream;
class kaByteSource;

// The 18-byte TGA file header.
struct kaTGAHeader
{
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 0;
    uint16_t firstEntry = 0;
    uint16_t mapLength = 0;
    uint8_t entrySize = 0;
    uint16_t xOrigin = 0;
    uint16_t yOrigin = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bitsPerPixel = 0;
    uint8_t descriptor = 0;
};

// TGA images: true-colour, grey, run-length true-colour, and the engine's own zlib-compressed type 23.
// Files, standard streams and binary streams take the same types (grey at 8 bits, true-colour at 16, 24
// or 32); only the binary stream takes type 23. Colour-mapped images are refused.
// Pixels are held top row first whatever the file's row order; the channels sit as in the file (blue,
// green, red, alpha from the lowest byte up).
class kaTGAImage : public kaImage
{
public:
    static constexpr uint8_t kTypeTrueColor = 2;
    static constexpr uint8_t kTypeGrey = 3;
    static constexpr uint8_t kTypeTrueColorRle = 10;
    static constexpr uint8_t kTypeCompressed = 23;
    // Descriptor bit: the file's first row is the top row.
    static constexpr uint8_t kTopOrigin = 0x20;
    static constexpr uint8_t kAlphaBitsMask = 31;
    static constexpr size_t kHeaderSize = 18;
    static constexpr size_t kFooterSize = 26;
    static constexpr const char* kFooterSignature = "TRUEVISION-XFILE";
    // Larger images are refused rather than allocated: 8192 x 8192 at 32 bits.
    static constexpr uint64_t kMaxPixelBytes = 256ull << 20;

    kaTGAImage() = default;
    ~kaTGAImage() override;

    // Fails on a stream already in an error state.
    bool LoadFromStream(std::istream& stream) override;
    bool LoadFromFile(FILE* file) override;
    // Keeps the name; reads only names ending in "tga", in any case.
    bool Load(const std::string& fileName) override;
    // As Load, from the file's bytes; uncompressed top-row-first pixels are shown where they lie in them.
    bool LoadFileBytes(std::string fileName, platform::FileBytes& bytes) override;
    // Writes through a temporary file renamed over the target, so a failure leaves no half file.
    bool Save(const std::string& fileName, bool compress) const override;

    uint32_t GetHeight() const override;
    uint32_t GetWidth() const override;
    uint32_t GetAlphaBits() const override;
    uint32_t GetBitsPerPixel() const override;

    // Header, then the pixels (zlib-compressed as type 23 when asked).
    virtual bool WriteStream(kaBinaryStream& stream, bool compress) const;
    // Header, pixels and footer; files are never compressed.
    virtual bool WriteFile(FILE* file, bool compress) const;

    // Null until a header was read.
    const kaTGAHeader* GetHeader() const { return m_HasHeader ? &m_Header : nullptr; }

    // The file types and type 23.
    bool ReadFromBinaryStream(kaBinaryStream& stream);

    // Holds the given pixels (top row first) as an uncompressed image: grey at 8 bits, true-colour at 16,
    // 24 or 32. False for other depths or a size the header cannot hold.
    bool Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel, uint32_t alphaBits,
                const uint8_t* pixels);

private:
    // The one decoder behind every reader; type 23 only when asked. A source over `file`'s bytes (from their
    // start) may leave raw top-row-first pixels where they are, keeping the bytes.
    bool _Read(kaByteSource& source, bool takeCompressed, platform::FileBytes* file = nullptr);
    // Keeps the name; true when it ends in "tga", in any case.
    bool _TakeFileName(std::string fileName);
    bool _ReadRunLength(kaByteSource& source, uint32_t bytesPerPixel);
    bool _ReadCompressed(kaByteSource& source);
    void _Clear();
    // Holds the header and takes the depth's channel masks.
    void _Adopt(const kaTGAHeader& header);
    // The header as written: no image ID or colour map, raw or compressed type, top origin.
    void _EncodeHeader(uint8_t out[kHeaderSize], bool compress) const;

    uint16_t m_ChannelBits[3] = {8, 8, 8};
    // Held in place rather than allocated apart: one image, one header.
    kaTGAHeader m_Header;
    bool m_HasHeader = false;
};
