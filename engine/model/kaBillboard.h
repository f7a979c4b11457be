#pragma once

#include "engine/core/kaColor.h"
#include "engine/render/ka3DObject.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>

class kaMesh;
class kaRenderState;

// A textured, coloured quad that faces the camera: sprites, glows and markers. Its four corners are
// written in world space from the camera's right and up vectors whenever it moves or the frame asks every
// billboard to face a changed view. Its size is in world units (the texture's pixel size times a scale)
// or a fixed number of screen pixels.
class kaBillboard : public ka3DObject
{
public:
    static constexpr uint32_t kQuadFVF = 0x142;
    static constexpr uint32_t kQuadTriangles = 2;
    static constexpr uint32_t kQuadVertices = 4;

    // One corner of the quad: position, colour, texture coordinates.
    struct Vertex
    {
        float x, y, z;
        uint32_t diffuse;
        float u, v;
    };

    kaBillboard();
    ~kaBillboard() override;

    void Render(uint32_t flag) override;
    void PrefetchForRender(int level) const override;
    void SetPosition(float x, float y, float z) override;
    void Initialize() override;
    void ReleaseDeviceObjects() override;
    void CreateDeviceObjects() override;

    // Loads the texture into the quad's only stage and sizes the quad from it; the name is kept either way.
    void SetTexture(const std::string& name);
    void SetScale(float scale);
    // World size; the size stops being fixed in pixels.
    void SetSize(float width, float height);
    // On-screen size, kept at every rebuild.
    void SetPixelSize(int32_t width, int32_t height);
    void SetTexCoords(float uLeft, float vTop, float uRight, float vBottom);
    void SetColor(const kaColor& color) { m_Color = color; }
    void SetZTest(bool enable);
    void SetZWrite(bool enable);
    // Off: the quad's axes come from the orientation matrix instead of the view.
    void SetCameraFacing(bool facing) { m_CameraFacing = facing; }
    void SetOrientation(const platform::Matrix& orientation) { m_Orientation = orientation; }
    // The quad stands on its position instead of being centred on it.
    void SetBottomAnchored(bool anchored) { m_BottomAnchored = anchored; }
    // The fractions of the width left of and of the height below the position.
    void SetAnchor(float x, float y);
    // Moves the quad this far towards the camera, so that it shows in front of what it stands in.
    void SetOffset(float offset) { m_Offset = offset; }
    float GetOffset() const { return m_Offset; }
    // Null until the quad exists.
    kaRenderState* GetRenderState() const;

    // Writes the four corners for the current view.
    void RebuildQuad();

    const platform::Vector3& GetCorner(int index) const { return m_Corners[index & 3]; }
    const std::string& GetTextureName() const { return m_TextureName; }
    float GetWidth() const { return m_Width; }
    float GetHeight() const { return m_Height; }
    float GetScale() const { return m_Scale; }
    bool IsFixedPixelSize() const { return m_FixedPixelSize; }
    kaMesh* GetMesh() const { return m_pMesh; }
    void GetTexCoords(float& uLeft, float& vTop, float& uRight, float& vBottom) const;

private:
    void _CreateQuad();
    void _DestroyQuad();

    float m_Offset = 0.0f;
    kaMesh* m_pMesh = nullptr;
    platform::Vector3 m_Corners[4];
    std::string m_TextureName;
    kaColor m_Color;
    float m_Scale = 1.0f;
    float m_Width = 1.0f;
    float m_Height = 1.0f;
    int32_t m_PixelWidth = 0;
    int32_t m_PixelHeight = 0;
    float m_TexRect[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    platform::Matrix m_Orientation;
    bool m_CameraFacing = true;
    bool m_FixedPixelSize = false;
    bool m_BottomAnchored = false;
    bool m_CustomAnchor = false;
    float m_AnchorX = 0.0f;
    float m_AnchorY = 0.0f;
};
