#pragma once

#include "engine/core/kaColor.h"
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiScreenBuffers.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaVertexTypes.h"

#include <cstdint>
#include <string>

class guiImageParams;
class kaTexture;

// One textured, tinted screen rectangle: a picture by file name, inset by a margin, clipped to the clip
// in force, optionally blended and hit-tested against the picture's alpha.
class guiImage : public guiGlyph
{
public:
    // Files older than this have no texture-rectangle line.
    static constexpr float kTexRectVersion = 1.06f;
    static constexpr const char* kBrowseFilter = "*.bmp; *.tga";

    static const kaClassInfo& StaticClassInfo();

    explicit guiImage(const guiImageParams& params);
    guiImage(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiImage(std::istream& stream);
    explicit guiImage(kaBinaryStream& stream);
    // A picture at a pixel rectangle; a size of 0 takes the picture's.
    guiImage(const std::string& fileName, int32_t left, int32_t top, int32_t width, int32_t height);
    ~guiImage() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void Draw() override;
    bool HitTest(const kaPoint& point, guiGlyph*& out) override;
    void SetPosition(const guiCoordPair& position) override;
    guiCreateParams* CreatePiece(int first, int last) const override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;

    void CreateDeviceObjects() override { RestoreDeviceObjects(); }
    void ReleaseDeviceObjects() override;
    void RestoreDeviceObjects() override;
    bool PreRender(guiRenderContext& context) override;

    void ApplyParams(const guiImageParams& params);
    // The same name again changes nothing.
    void SetFilename(const std::string& name, bool loadFlag);
    void SetColor(float r, float g, float b, float a);
    // Filled from the glyph, as the block writers save it.
    guiImageParams GetParams() const;
    // The texture rectangle becomes 0, 0, u, v.
    void SetTexCoordExtent(float u, float v);
    // The picture's pixel size, or 0, 0 without one.
    void GetTextureSize(uint32_t& width, uint32_t& height) const;

    const std::string& GetFilename() const { return m_Filename; }
    const kaColor& GetColor() const { return m_Color; }
    bool IsAlpha() const { return m_Alpha; }
    void SetAlpha(bool alpha);
    bool IsAlphaHitTesting() const { return m_AlphaHitTesting; }
    void SetAlphaHitTesting(bool alphaHitTesting) { m_AlphaHitTesting = alphaHitTesting; }
    const guiCoordPair& GetBuffer() const { return m_Buffer; }
    bool IsHiddenByClipping() const { return m_HiddenByClipping; }
    void GetTexCoordRect(float (&rect)[4]) const;
    kaTexture* GetTexture() const { return m_RenderState.GetTexture(0); }
    const kaRenderState& GetRenderState() const { return m_RenderState; }
    // The filter value of stage 0; 0 without a picture.
    int32_t GetFiltering() const;
    void SetFiltering(int32_t filtering);
    // The quad as last built: left-top, right-bottom, left-bottom, right-top.
    const VERTEX_SCREENPOS_DIFFUSE_UV (&GetVertices() const)[4] { return m_Vertices; }

private:
    void _Init();
    void _BuildVertices(bool clip);
    void _ReadTexCoordRect(const float (&stored)[4]);

    std::string m_Filename;
    float m_TexRect[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    guiScreenBuffers m_Buffers;
    kaColor m_Color;
    bool m_Alpha = false;
    bool m_AlphaHitTesting = false;
    kaRenderState m_RenderState;
    bool m_HiddenByClipping = false;
    guiCoordPair m_Buffer;
    VERTEX_SCREENPOS_DIFFUSE_UV m_Vertices[4] = {};
    bool m_Tiling = false;
};
