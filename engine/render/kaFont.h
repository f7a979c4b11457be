#pragma once

#include "engine/render/kaGraphicsObject.h"

#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace platform
{
class GfxStateBlock;
class GfxVertexBuffer;
} // namespace platform

class kaTexture;

// The printable ASCII characters of one typeface at one pixel size on a single glyph page, with each
// character's texture rectangle and placement. Made from an outline font through FreeType (a name alone
// is looked up in the system fonts folder) or from a font data file (".kaff"), which holds the same
// metrics and the finished page as a TGA image.
class kaFont : public kaGraphicsObject
{
public:
    static constexpr uint32_t kFirstCode = 32;
    // Codes 32 to 127; only 32 to 126 are filled.
    static constexpr uint32_t kGlyphSlots = 96;
    static constexpr uint32_t kFileGlyphs = 95;
    static constexpr uint32_t kHinting = 4;
    static constexpr uint32_t kVertexBufferBytes = 8400;
    static constexpr uint32_t kSmallPage = 256;
    static constexpr uint32_t kMediumPage = 512;
    static constexpr uint32_t kLargePage = 1024;
    static constexpr uint32_t kSmallPageBelow = 21;
    static constexpr uint32_t kMediumPageBelow = 41;
    static constexpr uint16_t kTexelColour = 0x0FFF;
    static constexpr const char* kLoadFailed = "Failed to load font";
    // Pages larger than this on a side are refused when read from a font data file.
    static constexpr uint32_t kMaxPageSize = 8192;

    struct GlyphRect
    {
        float left = 0.0f;
        float top = 0.0f;
        float right = 0.0f;
        float bottom = 0.0f;
    };

    struct GlyphMetrics
    {
        int32_t advance = 0;
        int32_t bearingX = 0;
        int32_t bearingY = 0;
    };

    // An outline font: face name (or path), pixel size, flags.
    kaFont(const std::string& faceName, uint32_t pixelSize, uint32_t flags);
    // A font data file.
    kaFont(const std::string& fileName, uint32_t flags);
    ~kaFont() override;

    // Fills the page and the tables; a failure leaves them as they were.
    void LoadGlyphs();
    // False only when the font has no texture or the name is null; a file that cannot be read leaves
    // whatever was read.
    bool LoadFromFile(const char* fileName, uint32_t formatMode);
    // formatMode 1 asks for a page without alpha. False when the data ends early or is out of range.
    bool ReadFontData(std::istream& stream, uint32_t formatMode);
    // The font data file of this font, with its page as a 32-bit TGA (compressed when asked).
    bool WriteFontData(std::ostream& stream, bool compress) const;

    platform::GfxResult CreateDeviceObjects();
    void ReleaseDeviceObjects();

    // False for codes below 32 (a line feed among them) and, the character being signed, above 127.
    bool GetGlyphMetrics(char character, float& left, float& top, float& right, float& bottom, float& width,
                         float& height, int32_t& advance, int32_t& bearingX, int32_t& bearingY) const;

    const std::string& GetName() const { return m_Name; }
    bool IsFromFile() const { return m_FromFile; }
    uint32_t GetPixelSize() const { return m_PixelSize; }
    uint32_t GetFlags() const { return m_Flags; }
    kaTexture* GetTexture() const { return m_pTexture; }
    uint32_t GetPageWidth() const { return m_PageWidth; }
    uint32_t GetPageHeight() const { return m_PageHeight; }
    float GetScale() const { return m_Scale; }
    int32_t GetLineHeight() const { return m_LineHeight; }
    int32_t GetTop() const { return m_Top; }
    int32_t GetDescent() const { return m_Descent; }
    const GlyphRect& GetGlyphRect(uint32_t code) const { return m_Rects[_Slot(code)]; }
    const GlyphMetrics& GetMetrics(uint32_t code) const { return m_Metrics[_Slot(code)]; }
    platform::GfxVertexBuffer* GetVertexBuffer() const { return m_pVertexBuffer; }
    platform::GfxStateBlock* GetStateBlock(uint32_t which) const { return m_pStateBlocks[which % 2]; }
    // Sets the states of the blocks through the graphics manager's cached setters, so that its cache
    // keeps describing the device; text drawn between other draws sets its states this way.
    void ApplyStates() const;

    // The page size an outline font of this pixel size lays its glyphs out on.
    static uint32_t PageSizeFor(uint32_t pixelSize);

private:
    static uint32_t _Slot(uint32_t code)
    {
        return code >= kFirstCode ? (code - kFirstCode) % kGlyphSlots : 0;
    }
    void _LoadOutline();
    // The font file's path: a name without a backslash lives in the fonts folder.
    static std::string _FacePath(const std::string& name, const char* extension);
    // The states text is drawn with, sent while the device records a block.
    void _RecordStates() const;

    std::string m_Name;
    bool m_FromFile = false;
    uint32_t m_PixelSize = 0;
    uint32_t m_Flags = 0;
    kaTexture* m_pTexture = nullptr;
    platform::GfxVertexBuffer* m_pVertexBuffer = nullptr;
    uint32_t m_PageWidth = 0;
    uint32_t m_PageHeight = 0;
    float m_Scale = 1.0f;
    GlyphRect m_Rects[kGlyphSlots];
    GlyphMetrics m_Metrics[kGlyphSlots];
    int32_t m_LineHeight = 0;
    int32_t m_Top = 0;
    int32_t m_Descent = 0;
    platform::GfxStateBlock* m_pStateBlocks[2] = {nullptr, nullptr};
};
