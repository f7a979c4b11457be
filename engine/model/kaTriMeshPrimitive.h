#pragma once

#include "engine/model/kaCollisionPrimitive.h"

#include <vector>

// A triangle soup for static collision: vertices, faces of three vertex indices, one vector per face.
class kaTriMeshPrimitive : public kaCollisionPrimitive
{
public:
    struct Face
    {
        uint32_t a = 0, b = 0, c = 0;
    };

    kaTriMeshPrimitive() : kaCollisionPrimitive(kTriangleMesh) {}

    // Min and max over the vertices; both zero without vertices.
    void ComputeBounds();

    std::vector<platform::Vector3> m_Vertices;
    std::vector<Face> m_Faces;
    std::vector<platform::Vector3> m_FaceVectors;
    platform::Vector3 m_Min;
    platform::Vector3 m_Max;
};
