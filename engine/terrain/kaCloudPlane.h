#pragma once

#include "engine/scene/kaBlockKeys.h"
#include "engine/terrain/kaRotationOnlyMesh.h"

#include <string>

// A flat sheet of cloud at a height above the camera: a square of one texture repeat with two strips
// beyond its Z edges that fade to transparent, its texture scrolling along V.
class kaCloudPlane : public kaRotationOnlyMesh
{
public:
    static constexpr uint32_t kFVF = 0x142;
    static constexpr uint32_t kTriangles = 6;
    static constexpr uint32_t kVertices = 8;
    static constexpr float kHalfSide = 850.0f;
    static constexpr float kFadeEdge = 1275.0f;
    // The offset wraps by this much; the texture repeats every 1.0, so the wrap shows no jump.
    static constexpr float kWrap = 2.0f;

    struct Vertex
    {
        float x, y, z;
        uint32_t diffuse;
        float u, v;
    };

    kaCloudPlane(const std::string& texture, float height, float speed);

    // Writes the V coordinates for the current offset, then moves the offset on.
    void Scroll(float dt);

    float m_Speed = 0.0f;
    float m_Offset = 0.0f;
    std::string m_Texture;
    float m_Height = 0.0f;
    // The plane's keys kept as the file gave them where they were no number.
    kaBlockKeys m_Kept;

private:
    Vertex m_Vertices[kVertices];
};
