#include "engine/gui/guiText.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiClipStack.h"
#include "engine/gui/guiCoord.h"
#include "engine/gui/guiTextParams.h"
#include "engine/gui/guiWidgetFactoryFor.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTextureStage.h"
#include "engine/render/kaVertexTypes.h"

#include <algorithm>
#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiText> s_Factory;

bool IsBlankChar(char c)
{
    return c == ' ' || c == '\t';
}

bool IsBreakChar(char c)
{
    return c == '\n' || c == '\r';
}

struct Glyph
{
    float u0 = 0, v0 = 0, u1 = 0, v1 = 0, width = 0, height = 0;
    int32_t advance = 0, offsetX = 0, offsetY = 0;
};

// The character's glyph in the named font, offsets taken from the top of the line; false when the
// font gives nothing for it.
bool GlyphOf(const std::string& font, char c, Glyph& glyph)
{
    if (g_pGraphicsManager == nullptr || c == '\n')
        return false;
    const kaFont* found = g_pGraphicsManager->GetFont(font);
    int32_t bearingX = 0, bearingY = 0;
    if (found == nullptr || !found->GetGlyphMetrics(c, glyph.u0, glyph.v0, glyph.u1, glyph.v1, glyph.width,
                                                    glyph.height, glyph.advance, bearingX, bearingY))
        return false;
    glyph.offsetX = bearingX;
    glyph.offsetY = -bearingY - found->GetTop();
    return true;
}

int32_t LineHeightOf(const std::string& font)
{
    const kaFont* found = g_pGraphicsManager != nullptr ? g_pGraphicsManager->GetFont(font) : nullptr;
    return found != nullptr ? found->GetLineHeight() : 0;
}

} // namespace

const kaClassInfo& guiText::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kTextClass);
}

guiText::guiText(const guiTextParams& params)
    : m_Buffers(kDefaultMaxChars * 4, kDefaultMaxChars * 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    SetPosition(params.position);
    m_Color = params.foreColor;
    m_Name = params.name;
    // Stored as it is: only SetText grows the buffers.
    m_Text = params.text;
    SetFont(params.font);
}

guiText::guiText(const std::string& font, const std::string& text, const guiCoordPair& position)
    : m_Buffers(kDefaultMaxChars * 4, kDefaultMaxChars * 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    SetPosition(position);
    SetFont(font);
    SetText(text);
}

guiText::guiText(const guiCoordPair& position, const guiCoordPair& size)
    : m_Buffers(kDefaultMaxChars * 4, kDefaultMaxChars * 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    SetPosition(position);
    SetSize(size);
    SetFont(m_FontName);
}

guiText::guiText(std::istream& stream)
    : m_Buffers(kDefaultMaxChars * 4, kDefaultMaxChars * 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    SetFont(m_FontName);
    guiText::ReadText(stream);
}

guiText::guiText(kaBinaryStream& stream)
    : m_Buffers(kDefaultMaxChars * 4, kDefaultMaxChars * 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    SetFont(m_FontName);
    guiText::ReadBinary(stream);
}

guiText::~guiText() = default;

void guiText::_Init()
{
    m_RenderState.m_Lighting = false;
    m_RenderState.m_BackFaceCull = false;
    // Screen-space quads at the far plane: drawn over the course whatever depth it left.
    m_RenderState.m_ZTest = false;
    m_RenderState.m_ZWrite = false;
    m_RenderState.m_AlphaBlend = true;
    // Over the 3D scene, whatever depth it left.
    m_RenderState.m_ZTest = false;
    m_RenderState.m_ZWrite = false;
}

void guiText::SetText(const std::string& text)
{
    const auto grown = static_cast<int32_t>(std::min<int64_t>(int64_t(text.size()) * 2, kMaxCharsLimit));
    if (static_cast<int64_t>(text.size()) > m_MaxChars && grown > m_MaxChars)
        SetMaxChars(grown);
    m_Text = text;
    SetDirty(true);
}

void guiText::SetFont(const std::string& name)
{
    m_FontName = name;
    m_RenderState.ClearTextures();
    kaTexture* page = g_pGraphicsManager != nullptr ? g_pGraphicsManager->GetFontTexture(name) : nullptr;
    m_RenderState.AddTexture(page, 0, kaTextureStage::kModulate, 0, false, false);
    m_RenderState.m_AlphaBlend = true;
    SetDirty(true);
}

void guiText::SetMaxChars(int32_t count)
{
    count = std::clamp(count, 0, kMaxCharsLimit);
    const bool made = m_Buffers.HasBuffers();
    if (made)
        m_Buffers.ReleaseBuffers();
    m_MaxChars = count;
    m_Buffers.ResizeBuffers(uint32_t(count) * 4, uint32_t(count) * 6);
    if (made)
        m_Buffers.MakeBuffers();
    SetDirty(true);
}

void guiText::SetColor(const kaColor& color)
{
    m_Color = color;
    SetDirty(true);
}

void guiText::SetWordWrap(bool wrap)
{
    m_WordWrap = wrap;
    SetDirty(true);
}

void guiText::SetPosition(const guiCoordPair& position)
{
    guiGlyph::SetPosition(position);
    SetDirty(true);
}

kaTexture* guiText::GetFont() const
{
    return m_RenderState.GetTexture(0);
}

int32_t guiText::GetCharAdvance(char character) const
{
    Glyph glyph;
    return GlyphOf(m_FontName, character, glyph) ? glyph.advance : 0;
}

platform::Rect guiText::MeasureText(const std::string& text) const
{
    const kaFont* font = g_pGraphicsManager != nullptr ? g_pGraphicsManager->GetFont(m_FontName) : nullptr;
    int32_t right = 0;
    int32_t top = 999;
    int32_t bottom = 0;
    int32_t counted = 0;
    for (char c : text)
    {
        if (counted >= m_MaxChars)
            break;
        Glyph glyph;
        if (!GlyphOf(m_FontName, c, glyph))
            continue;
        right += glyph.advance;
        top = std::min(top, glyph.offsetY);
        bottom = std::max(bottom, glyph.offsetY + static_cast<int32_t>(glyph.height));
        if (glyph.width > 0)
            ++counted;
    }
    // Glyph offsets already count from the line's top (the font's top offset taken off), so the line
    // measured with the font starts at 0 too: an owner that centres by this rectangle centres what is drawn.
    if (font != nullptr)
    {
        top = 0;
        bottom = font->GetLineHeight();
    }
    return {0, top, right, bottom};
}

const std::vector<std::string>& guiText::_Pieces() const
{
    if (m_PiecesCut && m_PiecesOf == m_Text)
        return m_Pieces;
    std::vector<std::string>& pieces = m_Pieces;
    pieces.clear();
    m_PiecesOf = m_Text;
    m_PiecesCut = true;
    for (std::size_t i = 0; i < m_Text.size();)
    {
        const char c = m_Text[i];
        if (IsBlankChar(c) || IsBreakChar(c))
        {
            pieces.emplace_back(1, c);
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < m_Text.size() && !IsBlankChar(m_Text[end]) && !IsBreakChar(m_Text[end]))
            ++end;
        pieces.push_back(m_Text.substr(i, end - i));
        i = end;
    }
    return pieces;
}

int guiText::GetPieceCount() const
{
    return static_cast<int>(_Pieces().size());
}

std::string guiText::GetPiece(int index) const
{
    const std::vector<std::string>& pieces = _Pieces();
    return index >= 0 && index < static_cast<int>(pieces.size()) ? pieces[index] : std::string();
}

void guiText::GetPieceExtent(platform::Rect& rect, int index) const
{
    const platform::Rect measured = MeasureText(GetPiece(index));
    rect = {0, 0, measured.right - measured.left, measured.bottom - measured.top};
}

bool guiText::IsPieceSpace(int index) const
{
    const std::string piece = GetPiece(index);
    return !piece.empty() && piece[0] == ' ';
}

bool guiText::IsPieceNewline(int index) const
{
    const std::string piece = GetPiece(index);
    return !piece.empty() && piece[0] == '\n';
}

guiCreateParams* guiText::CreatePiece(int first, int last) const
{
    auto* params = new guiTextParams();
    for (int i = first; i <= last; ++i)
        params->text += GetPiece(i);
    params->font = m_FontName;
    params->foreColor = m_Color;
    params->position = m_Position;
    return params;
}

const guiCoordPair& guiText::GetSize() const
{
    if (m_Size.x.value != 0.0f || m_Size.y.value != 0.0f)
        return m_Size;
    return m_Extent;
}

void guiText::ComputeClientRect(platform::Rect& rect) const
{
    const platform::Rect measured = MeasureText(m_Text);
    rect = {0, measured.top, measured.right, measured.bottom};
    // The font's ink: from the top of its tallest glyph down to its deepest descender, without the
    // line's spacing below, so that a box centred by it centres the letters.
    const kaFont* font = g_pGraphicsManager != nullptr ? g_pGraphicsManager->GetFont(m_FontName) : nullptr;
    if (font != nullptr && font->GetDescent() > font->GetTop())
        rect.bottom = rect.top + (font->GetDescent() - font->GetTop());
}

void guiText::ReleaseDeviceObjects()
{
    m_Buffers.ReleaseBuffers();
}

void guiText::RestoreDeviceObjects()
{
    m_Buffers.MakeBuffers();
}

bool guiText::PreRender(guiRenderContext& context)
{
    if (m_Dirty)
        _Layout();
    return guiGlyph::PreRender(context);
}

void guiText::_Layout()
{
    m_QuadCount = 0;
    m_Chars.clear();
    m_Drawn.clear();
    m_FirstVisible = -1;
    m_LastVisible = 0;
    const kaPoint origin = gui::AddPixels(m_DrawingOrigin, m_PixelPosition);
    const platform::Rect clip = guiClipStack::Get().Top();
    const int32_t lineHeight = LineHeightOf(m_FontName);

    // Characters laid out; the start of the current line among them.
    int64_t penX = 0;
    int64_t penY = 0;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < m_Text.size(); ++i)
    {
        const char c = m_Text[i];
        Glyph glyph;
        const bool found = GlyphOf(m_FontName, c, glyph);
        if (c == '\n')
        {
            CharRecord record;
            record.lineEnd = true;
            record.blank = true;
            record.left = static_cast<float>(origin.x + penX);
            record.top = static_cast<float>(origin.y + penY);
            m_Chars.push_back(record);
            penX = 0;
            penY += lineHeight;
            lineStart = m_Chars.size();
            continue;
        }
        if (m_WordWrap && !platform::IsRectEmpty(clip) && found &&
            origin.x + glyph.offsetX + penX + static_cast<int64_t>(glyph.width) >= clip.right)
        {
            std::size_t blank = m_Chars.size();
            for (std::size_t k = m_Chars.size(); k > lineStart; --k)
                if (m_Chars[k - 1].blank && !m_Chars[k - 1].lineEnd)
                {
                    blank = k - 1;
                    break;
                }
            if (blank < m_Chars.size())
            {
                // Resume after the blank: the characters behind it start the next line.
                const std::size_t dropped = m_Chars.size() - blank - 1;
                m_Chars.resize(blank + 1);
                i -= dropped + 1;
                penX = 0;
                penY += lineHeight;
                lineStart = m_Chars.size();
                continue;
            }
            // A character that starts a line stays on it whatever its width.
            if (m_Chars.size() > lineStart)
            {
                penX = 0;
                penY += lineHeight;
                lineStart = m_Chars.size();
            }
        }
        CharRecord record;
        record.blank = !found || glyph.width <= 0.0f;
        if (found)
        {
            record.left = static_cast<float>(origin.x + penX + glyph.offsetX);
            record.top = static_cast<float>(origin.y + penY + glyph.offsetY);
            record.width = glyph.width;
            record.height = glyph.height;
            record.tex[0] = glyph.u0;
            record.tex[1] = glyph.v0;
            record.tex[2] = glyph.u1;
            record.tex[3] = glyph.v1;
            penX += glyph.advance;
        }
        m_Chars.push_back(record);
    }

    std::vector<VERTEX_SCREENPOS_DIFFUSE_UV> vertices;
    std::vector<uint16_t> indices;
    const uint32_t color = m_Color.ToArgb();
    for (std::size_t i = 0; i < m_Chars.size() && m_QuadCount < m_MaxChars; ++i)
    {
        const CharRecord& record = m_Chars[i];
        if (record.width <= 0.0f)
            continue;
        // Far placements lie outside int; clamped first, as the other glyphs do.
        const platform::Rect rect{gui::TruncateToInt(record.left), gui::TruncateToInt(record.top),
                                  gui::TruncateToInt(record.left + record.width + 0.5f),
                                  gui::TruncateToInt(record.top + record.height + 0.5f)};
        platform::Rect cut;
        if (!platform::IntersectRect(cut, rect, clip))
            continue;
        float u0 = record.tex[0], v0 = record.tex[1], u1 = record.tex[2], v1 = record.tex[3];
        const float du = (record.tex[2] - record.tex[0]) / float(int64_t(rect.right) - rect.left);
        const float dv = (record.tex[3] - record.tex[1]) / float(int64_t(rect.bottom) - rect.top);
        u0 = record.tex[0] + float(int64_t(cut.left) - rect.left) * du;
        u1 = record.tex[0] + float(int64_t(cut.right) - rect.left) * du;
        v0 = record.tex[1] + float(int64_t(cut.top) - rect.top) * dv;
        v1 = record.tex[1] + float(int64_t(cut.bottom) - rect.top) * dv;
        if (m_FirstVisible < 0)
            m_FirstVisible = static_cast<int32_t>(i);
        m_LastVisible = static_cast<int32_t>(i);
        const float left = float(cut.left) + 0.5f, top = float(cut.top) + 0.5f;
        const float right = float(cut.right) + 0.5f, bottom = float(cut.bottom) + 0.5f;
        const auto first = static_cast<uint16_t>(vertices.size());
        vertices.push_back({left, top, 1.0f, 1.0f, color, u0, v0});
        vertices.push_back({right, bottom, 1.0f, 1.0f, color, u1, v1});
        vertices.push_back({left, bottom, 1.0f, 1.0f, color, u0, v1});
        vertices.push_back({right, top, 1.0f, 1.0f, color, u1, v0});
        for (uint16_t index : {0, 1, 2, 0, 3, 1})
            indices.push_back(static_cast<uint16_t>(first + index));
        m_Drawn.push_back(cut);
        ++m_QuadCount;
    }
    if (!vertices.empty())
    {
        m_Buffers.WriteVertices(vertices.data(), static_cast<uint32_t>(vertices.size()),
                                sizeof(VERTEX_SCREENPOS_DIFFUSE_UV));
        m_Buffers.WriteIndices(indices.data(), static_cast<uint32_t>(indices.size()));
    }
    m_Extent = guiCoordPair::Pixels(static_cast<float>(penX), static_cast<float>(lineHeight));
}

void guiText::Draw()
{
    if (m_QuadCount <= 0 || g_pGraphicsManager == nullptr || !m_Buffers.HasBuffers())
        return;
    m_RenderState.Apply(g_pGraphicsManager->GetDevice(), 0);
    m_Buffers.DrawTriangles(uint32_t(m_QuadCount) * 4, uint32_t(m_QuadCount) * 2);
}

bool guiText::HitTest(const kaPoint& point, guiGlyph*& out)
{
    if (!m_Visible)
        return false;
    for (const platform::Rect& drawn : m_Drawn)
        if (platform::PtInRect(drawn, platform::Point{point.x, point.y}))
        {
            out = this;
            return true;
        }
    return false;
}

guiTextParams guiText::_GetParams() const
{
    guiTextParams params;
    params.font = m_FontName;
    params.text = m_Text;
    params.name = m_Name;
    params.foreColor = m_Color;
    params.position = m_Position;
    return params;
}

void guiText::_ApplyParams(const guiTextParams& params)
{
    SetPosition(params.position);
    m_Color = params.foreColor;
    SetText(params.text);
    SetFont(params.font);
}

void guiText::WriteText(std::ostream& stream) const
{
    _GetParams().WriteText(stream);
    guiGlyph::WriteText(stream);
}

void guiText::ReadText(std::istream& stream)
{
    guiTextParams params;
    params.ReadText(stream);
    _ApplyParams(params);
    guiGlyph::ReadText(stream);
}

void guiText::WriteBinary(kaBinaryStream& stream) const
{
    _GetParams().WriteBinary(stream);
    guiGlyph::WriteBinary(stream);
}

void guiText::ReadBinary(kaBinaryStream& stream)
{
    guiTextParams params;
    params.ReadBinary(stream);
    _ApplyParams(params);
    guiGlyph::ReadBinary(stream);
}

void guiText::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertInt("MaxChars", m_MaxChars);
    sheet.InsertColor("Color", m_Color);
    sheet.InsertFontName("Font", m_FontName);
    sheet.InsertString("Text", m_Text);
    guiGlyph::GetProperties(sheet);
}

void guiText::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Color"))
    {
        std::istringstream text(entry->text);
        kaColor color = m_Color;
        color.ReadText(text);
        SetColor(color);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Font"))
        SetFont(GuiParamTable::FontName(entry->text));
    if (const GuiParamTable::Entry* entry = sheet.Find("Text"))
        SetText(entry->text);
    guiGlyph::SetProperties(sheet);
}
