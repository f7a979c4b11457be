#pragma once

#include "engine/model/KM_Mesh.h"

// Builds simple meshes into a KM_Mesh. Every triangle is given in the order it is drawn: clockwise
// seen from its front in the left-handed system. It is stored the other way round, because the
// reader reverses each face. Texture v runs bottom-up.
class MeshKit
{
public:
    explicit MeshKit(KM_Mesh& mesh) : m_Mesh(mesh) {}

    // Faces added from now on carry this material id.
    void SetMaterialId(uint32_t id) { m_MaterialId = id; }
    void SetOffset(const KM_Point3& offset) { m_Offset = offset; }

    // A box centred on the offset, one normal per face, the whole texture on every face.
    void Box(float sizeX, float sizeY, float sizeZ);
    // A cylinder along the y axis (or the x axis), smooth sides and flat caps.
    void Cylinder(float radius, float height, int segments, bool alongX = false);
    // A sphere with rings x segments quads and smooth normals.
    void Sphere(float radius, int rings, int segments);
    // A flat grid facing up, in the xz plane.
    void Grid(float sizeX, float sizeZ, int cellsX, int cellsZ);
    // One triangle from three positions, its own texture corners and its face normal.
    void Triangle(const KM_Point3& a, const KM_Point3& b, const KM_Point3& c);

    // Copies the texture faces into colour faces over the given colour vertices, one per texture
    // vertex: gives every corner a colour.
    void ColorByTexture(const std::vector<KM_Point3>& colors);

private:
    uint32_t _Vertex(const KM_Point3& p);
    uint32_t _TVertex(float u, float v);
    void _Face(const uint32_t v[3], const uint32_t t[3], const KM_Point3 n[3], const KM_Point3& faceNormal);

    KM_Mesh& m_Mesh;
    uint32_t m_MaterialId = 0;
    KM_Point3 m_Offset;
};
