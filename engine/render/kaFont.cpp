#include "engine/render/kaFont.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaManagedStream.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTexture.h"

#include "platform/files/Files.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxStateBlock.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/system/SystemFonts.h"
#include "platform/window/Window.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <istream>
#include <ostream>
#include <vector>

using namespace platform;

namespace
{

// The fixed-function vertex-blend setting that turns blending off.
const uint32_t kVertexBlendDisable = 0;

// Coverage of one bitmap texel, 0 to 255, for the grey and the one-bit bitmaps FreeType renders.
uint8_t Coverage(const FT_Bitmap& bitmap, uint32_t row, uint32_t column)
{
    const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
    const uint8_t* line = bitmap.buffer + static_cast<size_t>(row) * pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        return (line[column >> 3] & (0x80 >> (column & 7))) ? 255 : 0;
    return line[column];
}

bool Finite(float value)
{
    return std::isfinite(value);
}

} // namespace

kaFont::kaFont(const std::string& faceName, uint32_t pixelSize, uint32_t flags)
    : m_Name(faceName), m_PixelSize(pixelSize), m_Flags(flags), m_pTexture(new kaTexture)
{
}

kaFont::kaFont(const std::string& fileName, uint32_t flags)
    : m_Name(fileName), m_FromFile(true), m_Flags(flags), m_pTexture(new kaTexture)
{
}

kaFont::~kaFont()
{
    ReleaseDeviceObjects();
    // The texture table belongs to the graphics manager; after it has gone only the font's own
    // reference is left to drop.
    if (g_pGraphicsManager)
        g_pGraphicsManager->ReleaseTexture(m_pTexture);
    else
        m_pTexture->Release();
    m_pTexture = nullptr;
}

uint32_t kaFont::PageSizeFor(uint32_t pixelSize)
{
    if (pixelSize < kSmallPageBelow)
        return kSmallPage;
    if (pixelSize < kMediumPageBelow)
        return kMediumPage;
    return kLargePage;
}

void kaFont::LoadGlyphs()
{
    if (m_FromFile)
    {
        if (!m_Name.empty())
            LoadFromFile(m_Name.c_str(), 0);
        return;
    }
    _LoadOutline();
}

std::string kaFont::_FacePath(const std::string& name, const char* extension)
{
    if (name.find('\\') != std::string::npos)
        return FindExisting(name + extension);
    return ResolveFontFile(GetFontsFolder() + "\\" + name + extension);
}

void kaFont::_LoadOutline()
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return;
    FT_Face face = nullptr;
    const bool named = m_Name.find('.') != std::string::npos;
    auto open = [&](const char* extension)
    {
        const std::string path = _FacePath(m_Name, extension);
        return !path.empty() && FT_New_Face(library, path.c_str(), 0, &face) == 0;
    };
    if (!open(named ? "" : ".ttf") && (named || !open(".pfb")))
    {
        MessageBox(nullptr, kLoadFailed, "", 0);
        FT_Done_FreeType(library);
        return;
    }

    GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    LockedRect locked;
    if (FT_Set_Pixel_Sizes(face, 0, m_PixelSize) == 0)
    {
        m_LineHeight = static_cast<int32_t>(face->size->metrics.height >> 6);
        m_Top = 0;
        m_Descent = static_cast<int32_t>((-face->size->metrics.descender) >> 6);
        m_Scale = 1.0f;
        uint32_t page = PageSizeFor(m_PixelSize);
        const uint32_t largest = device ? g_pGraphicsManager->GetCaps().MaxTextureWidth : 0;
        if (largest > 0 && largest < page)
        {
            m_Scale = static_cast<float>(largest) / static_cast<float>(page);
            page = largest;
        }
        if (device && m_pTexture->Create(page, page, device, FMT_A4R4G4B4, 1, 0, POOL_MANAGED))
        {
            m_pTexture->RefreshDescription();
            m_pTexture->AddRef();
            // The device may have made the page smaller than asked (a short largest height): lay the
            // glyphs out on what it made.
            m_PageWidth = std::min(page, m_pTexture->GetWidth());
            m_PageHeight = std::min(page, m_pTexture->GetHeight());
            if (GfxFailed(m_pTexture->LockRect(0, &locked, nullptr, 0)))
                locked.Bits = nullptr;
            else if (!locked.Bits || locked.Pitch < static_cast<int32_t>(m_PageWidth * sizeof(uint16_t)))
            {
                m_pTexture->UnlockRect(0);
                locked.Bits = nullptr;
            }
        }
    }

    if (locked.Bits)
    {
        auto* page = static_cast<uint8_t*>(locked.Bits);
        const size_t pitch = static_cast<size_t>(locked.Pitch);
        // A transparent page: filtering at a glyph's edge must not pick up a neighbour's opaque texels.
        for (uint32_t y = 0; y < m_PageHeight; ++y)
        {
            auto* row = reinterpret_cast<uint16_t*>(page + y * pitch);
            std::fill(row, row + m_PageWidth, kTexelColour);
        }

        const FT_Int32 loadFlags = FT_LOAD_RENDER | ((m_Flags & kHinting) ? 0 : FT_LOAD_NO_HINTING);
        uint32_t penX = 0;
        uint32_t penY = 0;
        uint32_t rowHeight = 0;
        for (uint32_t code = kFirstCode; code < kFirstCode + kFileGlyphs; ++code)
        {
            if (FT_Load_Char(face, code, loadFlags) != 0)
                continue;
            const FT_GlyphSlot glyph = face->glyph;
            const FT_Bitmap& bitmap = glyph->bitmap;
            const uint32_t rows = bitmap.rows;
            const uint32_t width = bitmap.width;
            const int32_t bitmapTop = glyph->bitmap_top;
            m_Top = std::min(m_Top, -bitmapTop);
            const int32_t below = static_cast<int32_t>(rows) - bitmapTop;
            if (below > 0 && below > m_Descent)
                m_Descent = below;

            if (penX + width + 1 > m_PageWidth)
            {
                penX = 0;
                penY += rowHeight;
                rowHeight = 0;
            }
            // A glyph wider than the page or past its bottom has no place: it keeps empty entries.
            const bool drawable =
                bitmap.pixel_mode == FT_PIXEL_MODE_GRAY || bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
            if (width + 1 > m_PageWidth || penY + rows > m_PageHeight || (width > 0 && rows > 0 && !drawable))
                continue;
            rowHeight = std::max(rowHeight, rows);

            for (uint32_t r = 0; r < rows; ++r)
            {
                auto* row = reinterpret_cast<uint16_t*>(page + (penY + r) * pitch) + penX;
                for (uint32_t c = 0; c < width; ++c)
                    row[c] = static_cast<uint16_t>(Coverage(bitmap, r, c) << 8 | kTexelColour);
            }
            const uint32_t slot = _Slot(code);
            const float pageWidth = static_cast<float>(m_PageWidth);
            const float pageHeight = static_cast<float>(m_PageHeight);
            m_Rects[slot].left = static_cast<float>(penX) / pageWidth;
            m_Rects[slot].top = static_cast<float>(penY) / pageHeight;
            m_Rects[slot].right = static_cast<float>(penX + width) / pageWidth;
            m_Rects[slot].bottom = static_cast<float>(penY + rows) / pageHeight;
            m_Metrics[slot].advance = static_cast<int32_t>(glyph->advance.x >> 6);
            m_Metrics[slot].bearingX = static_cast<int32_t>(glyph->metrics.horiBearingX >> 6);
            m_Metrics[slot].bearingY = static_cast<int32_t>(glyph->metrics.horiBearingY >> 6);
            penX += width + 1;
        }
        m_Top += 1;
        m_Descent += 1;
        m_pTexture->UnlockRect(0);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

bool kaFont::LoadFromFile(const char* fileName, uint32_t formatMode)
{
    if (!m_pTexture || !fileName)
        return false;
    kaManagedStream stream;
    OpenStream(stream, fileName, 1);
    m_Name = fileName;
    // A missing or damaged file is a failed load, not a font without glyphs.
    return stream.Get() && ReadFontData(*stream, formatMode);
}

bool kaFont::ReadFontData(std::istream& stream, uint32_t formatMode)
{
    m_FromFile = true;
    kaBinaryStream in(stream.rdbuf());
    int32_t lineHeight = 0;
    int32_t top = 0;
    int32_t descent = 0;
    float scale = 0.0f;
    uint32_t width = 0;
    uint32_t height = 0;
    if (in.ReadInt32(lineHeight).Failed())
        return false;
    m_LineHeight = lineHeight;
    if (in.ReadInt32(top).Failed())
        return false;
    m_Top = top;
    if (in.ReadInt32(descent).Failed())
        return false;
    m_Descent = descent;
    // Sizes divide by the scale and size the page: a value out of range ends the read.
    if (in.ReadFloat(scale).Failed() || !Finite(scale) || scale <= 0.0f)
        return false;
    m_Scale = scale;
    if (in.ReadUInt32(width).Failed() || width == 0 || width > kMaxPageSize)
        return false;
    m_PageWidth = width;
    if (in.ReadUInt32(height).Failed() || height == 0 || height > kMaxPageSize)
        return false;
    m_PageHeight = height;

    for (uint32_t i = 0; i < kFileGlyphs; ++i)
    {
        GlyphRect rect;
        GlyphMetrics metrics;
        in.ReadFloat(rect.left).ReadFloat(rect.top).ReadFloat(rect.right).ReadFloat(rect.bottom);
        in.ReadInt32(metrics.advance).ReadInt32(metrics.bearingX).ReadInt32(metrics.bearingY);
        if (in.Failed() || !Finite(rect.left) || !Finite(rect.top) || !Finite(rect.right) ||
            !Finite(rect.bottom))
            return false;
        m_Rects[i] = rect;
        m_Metrics[i] = metrics;
    }
    return m_pTexture->CreateFromTGAStream(in, formatMode);
}

bool kaFont::WriteFontData(std::ostream& stream, bool compress) const
{
    GfxTexture* texture = m_pTexture ? m_pTexture->GetTexture() : nullptr;
    if (!texture || m_PageWidth == 0 || m_PageHeight == 0)
        return false;
    SurfaceDesc desc;
    texture->GetLevelDesc(0, &desc);
    if (desc.Width < m_PageWidth || desc.Height < m_PageHeight ||
        (desc.Format != FMT_A4R4G4B4 && desc.Format != FMT_A8R8G8B8))
        return false;

    // The page as 32-bit texels, blue in the lowest byte, whatever the device holds it in.
    std::vector<uint8_t> pixels(static_cast<size_t>(m_PageWidth) * m_PageHeight * 4);
    LockedRect locked;
    if (GfxFailed(texture->LockRect(0, &locked, nullptr, LOCK_READONLY)) || !locked.Bits)
        return false;
    for (uint32_t y = 0; y < m_PageHeight; ++y)
    {
        const uint8_t* row = static_cast<const uint8_t*>(locked.Bits) + static_cast<size_t>(y) * locked.Pitch;
        uint8_t* out = pixels.data() + static_cast<size_t>(y) * m_PageWidth * 4;
        for (uint32_t x = 0; x < m_PageWidth; ++x, out += 4)
        {
            uint32_t texel = 0;
            if (desc.Format == FMT_A4R4G4B4)
            {
                const uint16_t value = reinterpret_cast<const uint16_t*>(row)[x];
                // Each 4-bit channel widens to 8 bits by repeating itself.
                for (int channel = 0; channel < 4; ++channel)
                    texel |= static_cast<uint32_t>((value >> (channel * 4)) & 0xF) * 0x11 << (channel * 8);
            }
            else
            {
                texel = reinterpret_cast<const uint32_t*>(row)[x];
            }
            out[0] = static_cast<uint8_t>(texel);
            out[1] = static_cast<uint8_t>(texel >> 8);
            out[2] = static_cast<uint8_t>(texel >> 16);
            out[3] = static_cast<uint8_t>(texel >> 24);
        }
    }
    texture->UnlockRect(0);

    kaTGAImage image;
    if (!image.Create(m_PageWidth, m_PageHeight, 32, 8, pixels.data()))
        return false;
    kaBinaryStream out(stream.rdbuf());
    out.WriteInt32(m_LineHeight).WriteInt32(m_Top).WriteInt32(m_Descent).WriteFloat(m_Scale);
    out.WriteUInt32(m_PageWidth).WriteUInt32(m_PageHeight);
    for (uint32_t i = 0; i < kFileGlyphs; ++i)
    {
        out.WriteFloat(m_Rects[i].left).WriteFloat(m_Rects[i].top).WriteFloat(m_Rects[i].right);
        out.WriteFloat(m_Rects[i].bottom);
        out.WriteInt32(m_Metrics[i].advance)
            .WriteInt32(m_Metrics[i].bearingX)
            .WriteInt32(m_Metrics[i].bearingY);
    }
    return !out.Failed() && image.WriteStream(out, compress) && stream.good();
}

GfxResult kaFont::CreateDeviceObjects()
{
    GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!device)
        return GFX_E_FAIL;
    ReleaseDeviceObjects();
    GfxResult result = device->CreateVertexBuffer(kVertexBufferBytes, USAGE_WRITEONLY | USAGE_DYNAMIC, 0,
                                                  POOL_DEFAULT, &m_pVertexBuffer);
    if (GfxFailed(result))
    {
        m_pVertexBuffer = nullptr;
        return result;
    }
    for (GfxStateBlock*& block : m_pStateBlocks)
    {
        result = device->BeginStateBlock();
        if (GfxFailed(result))
            return result;
        _RecordStates();
        result = device->EndStateBlock(&block);
        if (GfxFailed(result))
        {
            block = nullptr;
            return result;
        }
    }
    return result;
}

namespace
{

enum class StateKind
{
    Render,
    Stage,
    Sampler
};

struct TextState
{
    StateKind kind;
    uint32_t stage;
    uint32_t state;
    uint32_t value;
};

// Alpha-blended, alpha-tested, unlit glyphs: texture times diffuse on stage 0, nothing after it.
const TextState kTextStates[] = {
    {StateKind::Render, 0, RS_ALPHABLENDENABLE, 1},
    {StateKind::Render, 0, RS_SRCBLEND, BLEND_SRCALPHA},
    {StateKind::Render, 0, RS_DESTBLEND, BLEND_INVSRCALPHA},
    {StateKind::Render, 0, RS_ALPHATESTENABLE, 1},
    {StateKind::Render, 0, RS_ALPHAREF, 8},
    {StateKind::Render, 0, RS_ALPHAFUNC, CMP_GREATEREQUAL},
    {StateKind::Render, 0, RS_FILLMODE, FILL_SOLID},
    {StateKind::Render, 0, RS_CULLMODE, CULL_CCW},
    {StateKind::Render, 0, RS_ZENABLE, ZB_FALSE},
    {StateKind::Render, 0, RS_STENCILENABLE, 0},
    {StateKind::Render, 0, RS_CLIPPING, 1},
    {StateKind::Render, 0, RS_CLIPPLANEENABLE, 0},
    {StateKind::Render, 0, RS_INDEXEDVERTEXBLENDENABLE, 0},
    {StateKind::Render, 0, RS_VERTEXBLEND, kVertexBlendDisable},
    {StateKind::Render, 0, RS_FOGENABLE, 0},
    {StateKind::Stage, 0, TSS_COLOROP, TOP_MODULATE},
    {StateKind::Stage, 0, TSS_COLORARG1, TA_TEXTURE},
    {StateKind::Stage, 0, TSS_COLORARG2, TA_DIFFUSE},
    {StateKind::Stage, 0, TSS_ALPHAOP, TOP_MODULATE},
    {StateKind::Stage, 0, TSS_ALPHAARG1, TA_TEXTURE},
    {StateKind::Stage, 0, TSS_ALPHAARG2, TA_DIFFUSE},
    {StateKind::Sampler, 0, SAMP_MINFILTER, TEXF_LINEAR},
    {StateKind::Sampler, 0, SAMP_MAGFILTER, TEXF_LINEAR},
    {StateKind::Sampler, 0, SAMP_MIPFILTER, TEXF_NONE},
    {StateKind::Stage, 0, TSS_TEXCOORDINDEX, 0},
    {StateKind::Stage, 0, TSS_TEXTURETRANSFORMFLAGS, 0},
    {StateKind::Stage, 1, TSS_COLOROP, TOP_DISABLE},
    {StateKind::Stage, 1, TSS_ALPHAOP, TOP_DISABLE},
};

} // namespace

void kaFont::_RecordStates() const
{
    // A block records what it is sent: the cached setters would leave out states the cache holds already.
    GfxDevice* device = g_pGraphicsManager->GetDevice();
    if (GfxBaseTexture* page = m_pTexture->GetBaseTexture())
        device->SetTexture(0, page);
    for (const TextState& entry : kTextStates)
    {
        if (entry.kind == StateKind::Render)
            device->SetRenderState(entry.state, entry.value);
        else if (entry.kind == StateKind::Stage)
            device->SetTextureStageState(entry.stage, entry.state, entry.value);
        else
            device->SetSamplerState(entry.stage, entry.state, entry.value);
    }
}

void kaFont::ApplyStates() const
{
    kaGraphicsManager* manager = g_pGraphicsManager;
    if (!manager)
        return;
    if (GfxBaseTexture* page = m_pTexture ? m_pTexture->GetBaseTexture() : nullptr)
        manager->SetTexture(0, page);
    for (const TextState& entry : kTextStates)
    {
        if (entry.kind == StateKind::Render)
            manager->SetRenderState(entry.state, entry.value);
        else if (entry.kind == StateKind::Stage)
            manager->SetTextureStageState(entry.stage, entry.state, entry.value);
        else
            manager->SetSamplerState(entry.stage, entry.state, entry.value);
    }
}

void kaFont::ReleaseDeviceObjects()
{
    if (m_pVertexBuffer)
    {
        m_pVertexBuffer->Release();
        m_pVertexBuffer = nullptr;
    }
    for (GfxStateBlock*& block : m_pStateBlocks)
    {
        if (block)
            block->Release();
        block = nullptr;
    }
}

bool kaFont::GetGlyphMetrics(char character, float& left, float& top, float& right, float& bottom,
                             float& width, float& height, int32_t& advance, int32_t& bearingX,
                             int32_t& bearingY) const
{
    const int code = static_cast<signed char>(character);
    if (code < static_cast<int>(kFirstCode))
        return false;
    const GlyphRect& rect = m_Rects[_Slot(static_cast<uint32_t>(code))];
    const GlyphMetrics& metrics = m_Metrics[_Slot(static_cast<uint32_t>(code))];
    left = rect.left;
    top = rect.top;
    right = rect.right;
    bottom = rect.bottom;
    width = static_cast<float>(m_PageWidth) / m_Scale * (rect.right - rect.left);
    height = static_cast<float>(m_PageHeight) / m_Scale * (rect.bottom - rect.top);
    advance = metrics.advance;
    bearingX = metrics.bearingX;
    bearingY = metrics.bearingY;
    return true;
}
