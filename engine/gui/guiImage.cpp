#include "engine/gui/guiImage.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiClipStack.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiWidgetFactoryFor.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaTextureStage.h"

#include "platform/gfx/GfxDevice.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>

using guiPropertyText::Parse;

namespace
{

const guiWidgetFactoryFor<guiImage> s_Factory;

constexpr uint16_t kQuadIndices[6] = {0, 1, 2, 0, 3, 1};

bool IsZero(const guiCoordPair& pair)
{
    return pair.x.value == 0.0f && pair.y.value == 0.0f;
}

} // namespace

const kaClassInfo& guiImage::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kImageClass);
}

guiImage::guiImage(const guiImageParams& params) : m_Buffers(4, 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    ApplyParams(params);
}

guiImage::guiImage(const guiCoordPair& position, const guiCoordPair& size)
    : m_Buffers(4, 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    SetPosition(position);
    SetSize(size);
}

guiImage::guiImage(std::istream& stream) : m_Buffers(4, 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    guiImage::ReadText(stream);
}

guiImage::guiImage(kaBinaryStream& stream) : m_Buffers(4, 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    guiImage::ReadBinary(stream);
}

guiImage::guiImage(const std::string& fileName, int32_t left, int32_t top, int32_t width, int32_t height)
    : m_Buffers(4, 6, VERTEX_SCREENPOS_DIFFUSE_UV::FVF)
{
    _Init();
    SetPosition(guiCoordPair::Pixels(static_cast<float>(left), static_cast<float>(top)));
    SetSize(guiCoordPair::Pixels(static_cast<float>(width), static_cast<float>(height)));
    SetFilename(fileName, false);
}

guiImage::~guiImage() = default;

void guiImage::_Init()
{
    // Screen-space quads: no lighting, and no winding to cull. They lie over whatever 3D scene was drawn
    // before them, so its depth must not hide them.
    m_RenderState.m_Lighting = false;
    m_RenderState.m_BackFaceCull = false;
    m_RenderState.m_ZTest = false;
    m_RenderState.m_ZWrite = false;
}

void guiImage::ApplyParams(const guiImageParams& params)
{
    SetPosition(params.position);
    SetSize(params.size);
    SetFilename(params.filename, params.loadFlag);
    m_Alpha = params.alpha;
    m_AlphaHitTesting = params.alphaHitTesting;
    m_Tiling = params.tiling;
    m_Color = params.foreColor;
    if (m_Color.a < 1.0f)
        m_Alpha = true;
    m_RenderState.m_AlphaBlend = m_Alpha;
    SetDirty(true);
    m_Buffer = params.bufferWidth;
    if (!IsZero(m_Buffer))
    {
        guiCoordPair doubled = m_Buffer;
        doubled.x.value *= 2.0f;
        doubled.y.value *= 2.0f;
        const kaPoint margin = ToPixels(doubled);
        SetSize(guiCoordPair::Pixels(static_cast<float>(int64_t(m_PixelSize.x) + margin.x),
                                     static_cast<float>(int64_t(m_PixelSize.y) + margin.y)));
    }
    SetFiltering(params.filtering);
}

void guiImage::SetFilename(const std::string& name, bool loadFlag)
{
    if (name == m_Filename)
        return;
    m_Filename = name;
    m_RenderState.ClearTextures();
    kaTexture* texture =
        m_RenderState.AddTextureFromFile(name, loadFlag, 0, kaTextureStage::kModulate, 0, false, false, 0);
    m_TexRect[0] = 0.0f;
    m_TexRect[1] = 0.0f;
    m_TexRect[2] = 1.0f;
    m_TexRect[3] = 1.0f;
    if (texture != nullptr && texture->IsInAtlas())
        texture->GetTexCoordRect(m_TexRect[0], m_TexRect[1], m_TexRect[2], m_TexRect[3]);
    if (texture != nullptr && m_Size.x.value == 0.0f && m_Size.y.value == 0.0f)
        SetSize(guiCoordPair::Pixels(static_cast<float>(texture->GetWidth()),
                                     static_cast<float>(texture->GetHeight())));
    SetDirty(true);
}

void guiImage::SetColor(float r, float g, float b, float a)
{
    m_Color = kaColor::kaColorClamped(r, g, b, a);
    if (m_Color.a < 1.0f)
        m_Alpha = true;
    m_RenderState.m_AlphaBlend = m_Alpha;
    SetDirty(true);
}

void guiImage::SetAlpha(bool alpha)
{
    m_Alpha = alpha;
    m_RenderState.m_AlphaBlend = alpha;
    SetDirty(true);
}

int32_t guiImage::GetFiltering() const
{
    const auto& stages = m_RenderState.GetStages();
    return stages.empty() ? 0 : static_cast<int32_t>(stages.front()->keepSampling);
}

void guiImage::SetFiltering(int32_t filtering)
{
    const auto& stages = m_RenderState.GetStages();
    if (!stages.empty())
        stages.front()->keepSampling = static_cast<uint32_t>(filtering);
}

guiImageParams guiImage::GetParams() const
{
    guiImageParams params;
    params.filename = m_Filename;
    // The reader grows the size by the margin again, so the margin is taken off what is saved.
    if (IsZero(m_Buffer))
    {
        params.size = m_Size;
    }
    else
    {
        const kaPoint margin = ToPixels(m_Buffer);
        params.size = guiCoordPair::Pixels(static_cast<float>(m_PixelSize.x - 2 * int64_t(margin.x)),
                                           static_cast<float>(m_PixelSize.y - 2 * int64_t(margin.y)));
    }
    params.tiling = m_Tiling;
    params.bufferWidth = m_Buffer;
    params.alpha = m_Alpha;
    params.alphaHitTesting = m_AlphaHitTesting;
    params.filtering = GetFiltering();
    params.position = m_Position;
    params.foreColor = m_Color;
    return params;
}

guiCreateParams* guiImage::CreatePiece(int /*first*/, int /*last*/) const
{
    guiImageParams* params = new guiImageParams(GetParams());
    const kaPoint margin = ToPixels(m_Buffer);
    params->size = guiCoordPair::Pixels(static_cast<float>(m_PixelSize.x - 2 * int64_t(margin.x)),
                                        static_cast<float>(m_PixelSize.y - 2 * int64_t(margin.y)));
    return params;
}

void guiImage::SetTexCoordExtent(float u, float v)
{
    if (m_TexRect[0] == 0.0f && m_TexRect[1] == 0.0f && m_TexRect[2] == u && m_TexRect[3] == v)
        return;
    m_TexRect[0] = 0.0f;
    m_TexRect[1] = 0.0f;
    m_TexRect[2] = u;
    m_TexRect[3] = v;
    SetDirty(true);
}

void guiImage::GetTextureSize(uint32_t& width, uint32_t& height) const
{
    const kaTexture* texture = GetTexture();
    width = texture != nullptr ? texture->GetWidth() : 0;
    height = texture != nullptr ? texture->GetHeight() : 0;
}

void guiImage::GetTexCoordRect(float (&rect)[4]) const
{
    for (int i = 0; i < 4; ++i)
        rect[i] = m_TexRect[i];
}

void guiImage::SetPosition(const guiCoordPair& position)
{
    if (position == m_Position)
        return;
    guiGlyph::SetPosition(position);
    SetDirty(true);
}

void guiImage::_ReadTexCoordRect(const float (&stored)[4])
{
    const kaTexture* texture = GetTexture();
    if (texture == nullptr || texture->IsInAtlas())
        return;
    for (int i = 0; i < 4; ++i)
        m_TexRect[i] = stored[i];
}

void guiImage::WriteText(std::ostream& stream) const
{
    GetParams().WriteText(stream);
    stream << m_TexRect[0] << ' ' << m_TexRect[1] << ' ' << m_TexRect[2] << ' ' << m_TexRect[3] << '\n';
    guiGlyph::WriteText(stream);
}

void guiImage::ReadText(std::istream& stream)
{
    guiImageParams params;
    params.ReadText(stream);
    ApplyParams(params);
    if (gui::GetLayoutVersion() >= kTexRectVersion)
    {
        float stored[4];
        if (stream >> stored[0] >> stored[1] >> stored[2] >> stored[3])
            _ReadTexCoordRect(stored);
    }
    guiGlyph::ReadText(stream);
}

void guiImage::WriteBinary(kaBinaryStream& stream) const
{
    GetParams().WriteBinary(stream);
    for (float value : m_TexRect)
        stream.WriteFloat(value);
    guiGlyph::WriteBinary(stream);
}

void guiImage::ReadBinary(kaBinaryStream& stream)
{
    guiImageParams params;
    params.ReadBinary(stream);
    ApplyParams(params);
    if (gui::GetLayoutVersion() >= kTexRectVersion)
    {
        float stored[4] = {m_TexRect[0], m_TexRect[1], m_TexRect[2], m_TexRect[3]};
        stream.ReadFloat(stored[0]).ReadFloat(stored[1]).ReadFloat(stored[2]).ReadFloat(stored[3]);
        if (!stream.Failed())
            _ReadTexCoordRect(stored);
    }
    guiGlyph::ReadBinary(stream);
}

void guiImage::GetProperties(GuiParamTable& sheet) const
{
    if (!m_RenderState.GetStages().empty())
        sheet.InsertInt("Filtering", GetFiltering());
    sheet.InsertBool("Alpha", m_Alpha);
    sheet.InsertBool("AlphaHitTesting", m_AlphaHitTesting);
    sheet.InsertColor("Color", m_Color);
    sheet.InsertCoordPair("Buffer", m_Buffer);
    sheet.InsertFileName("Filename", m_Filename, kBrowseFilter);
    guiGlyph::GetProperties(sheet);
}

void guiImage::SetProperties(const GuiParamTable& sheet)
{
    int32_t filtering = 0;
    if (const GuiParamTable::Entry* entry = sheet.Find("Filtering"); entry && Parse(entry->text, filtering))
        SetFiltering(filtering);
    bool flag = false;
    if (const GuiParamTable::Entry* entry = sheet.Find("Alpha"); entry && Parse(entry->text, flag))
        SetAlpha(flag);
    if (const GuiParamTable::Entry* entry = sheet.Find("AlphaHitTesting"); entry && Parse(entry->text, flag))
        m_AlphaHitTesting = flag;
    if (const GuiParamTable::Entry* entry = sheet.Find("Color"))
    {
        std::istringstream text(entry->text);
        kaColor color = m_Color;
        color.ReadText(text);
        SetColor(color.r, color.g, color.b, color.a);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Buffer"))
    {
        std::istringstream text(entry->text);
        guiCoordPair buffer = m_Buffer;
        buffer.ReadText(text);
        m_Buffer = buffer;
        SetDirty(true);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Filename"))
        SetFilename(GuiParamTable::FirstLine(entry->text), false);
    guiGlyph::SetProperties(sheet);
}

void guiImage::ReleaseDeviceObjects()
{
    m_Buffers.ReleaseBuffers();
}

void guiImage::RestoreDeviceObjects()
{
    m_Buffers.MakeBuffers();
}

bool guiImage::PreRender(guiRenderContext& context)
{
    if (m_Dirty)
        _BuildVertices(true);
    return guiGlyph::PreRender(context);
}

void guiImage::_BuildVertices(bool clip)
{
    m_HiddenByClipping = false;
    const kaPoint origin = gui::AddPixels(m_DrawingOrigin, m_PixelPosition);
    const kaPoint margin = ToPixels(m_Buffer);
    platform::Rect rect{gui::ClampToInt(int64_t(origin.x) + margin.x),
                        gui::ClampToInt(int64_t(origin.y) + margin.y),
                        gui::ClampToInt(int64_t(origin.x) + m_PixelSize.x - margin.x),
                        gui::ClampToInt(int64_t(origin.y) + m_PixelSize.y - margin.y)};

    float u0 = m_TexRect[0];
    float v0 = m_TexRect[1];
    float u1 = m_TexRect[2];
    float v1 = m_TexRect[3];
    if (clip)
    {
        platform::Rect clipped;
        if (!platform::IntersectRect(clipped, rect, guiClipStack::Get().Top()))
        {
            m_HiddenByClipping = true;
            return;
        }
        const float width = static_cast<float>(int64_t(rect.right) - rect.left);
        const float height = static_cast<float>(int64_t(rect.bottom) - rect.top);
        if (clipped.left != rect.left || clipped.right != rect.right)
        {
            const float du = (m_TexRect[2] - m_TexRect[0]) / width;
            u0 = m_TexRect[0] + static_cast<float>(int64_t(clipped.left) - rect.left) * du;
            u1 = m_TexRect[0] + static_cast<float>(int64_t(clipped.right) - rect.left) * du;
        }
        if (clipped.top != rect.top || clipped.bottom != rect.bottom)
        {
            const float dv = (m_TexRect[3] - m_TexRect[1]) / height;
            v0 = m_TexRect[1] + static_cast<float>(int64_t(clipped.top) - rect.top) * dv;
            v1 = m_TexRect[1] + static_cast<float>(int64_t(clipped.bottom) - rect.top) * dv;
        }
        rect = clipped;
    }

    const float left = static_cast<float>(rect.left) - 0.5f;
    const float top = static_cast<float>(rect.top) - 0.5f;
    const float right = static_cast<float>(rect.right) - 0.5f;
    const float bottom = static_cast<float>(rect.bottom) - 0.5f;
    const uint32_t color = m_Color.ToArgb();
    m_Vertices[0] = {left, top, 1.0f, 1.0f, color, u0, v0};
    m_Vertices[1] = {right, bottom, 1.0f, 1.0f, color, u1, v1};
    m_Vertices[2] = {left, bottom, 1.0f, 1.0f, color, u0, v1};
    m_Vertices[3] = {right, top, 1.0f, 1.0f, color, u1, v0};
    m_Buffers.WriteVertices(m_Vertices, 4, sizeof(VERTEX_SCREENPOS_DIFFUSE_UV));
    m_Buffers.WriteIndices(kQuadIndices, 6);
}

void guiImage::Draw()
{
    if (m_HiddenByClipping || g_pGraphicsManager == nullptr || !m_Buffers.HasBuffers())
        return;
    m_RenderState.Apply(g_pGraphicsManager->GetDevice(), 0);
    m_Buffers.DrawTriangles(4, 2);
}

bool guiImage::HitTest(const kaPoint& point, guiGlyph*& out)
{
    if (!m_Visible)
        return false;
    const platform::Rect drawn{static_cast<int32_t>(m_Vertices[0].x), static_cast<int32_t>(m_Vertices[0].y),
                               static_cast<int32_t>(m_Vertices[1].x), static_cast<int32_t>(m_Vertices[1].y)};
    if (!platform::PtInRect(drawn, platform::Point{point.x, point.y}))
        return false;
    if (m_AlphaHitTesting)
    {
        kaTexture* texture = GetTexture();
        // A glyph without area has no texel to test.
        if (texture == nullptr || m_PixelSize.x <= 0 || m_PixelSize.y <= 0)
            return false;
        const kaPoint origin = gui::AddPixels(m_DrawingOrigin, m_PixelPosition);
        const int64_t x = std::max<int64_t>(int64_t(point.x) - origin.x, 0);
        const int64_t y = std::max<int64_t>(int64_t(point.y) - origin.y, 0);
        const kaColor texel =
            texture->GetPixelColor(static_cast<float>(x) / static_cast<float>(m_PixelSize.x),
                                   static_cast<float>(y) / static_cast<float>(m_PixelSize.y));
        if (texel.a <= 0.0f)
            return false;
    }
    out = this;
    return true;
}
