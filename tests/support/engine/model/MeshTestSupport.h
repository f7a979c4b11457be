#pragma once

#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Material.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Primitive.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/kaMesh.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/TestDevice.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace meshtest
{

// Reads a run of the graphics manager's buffers back as values of T.
template <typename T> std::vector<T> ReadVertices(kaResourceHandle handle, uint32_t count)
{
    std::vector<T> values(count);
    const void* data = g_pGraphicsManager->LockVertexBuffer(handle);
    if (!data)
        return {};
    std::memcpy(values.data(), data, count * sizeof(T));
    g_pGraphicsManager->UnlockVertexBuffer(handle);
    return values;
}

inline std::vector<uint16_t> ReadIndices(kaResourceHandle handle, uint32_t count)
{
    std::vector<uint16_t> values(count);
    const void* data = g_pGraphicsManager->LockIndexBuffer(handle);
    if (!data)
        return {};
    std::memcpy(values.data(), data, count * sizeof(uint16_t));
    g_pGraphicsManager->UnlockIndexBuffer(handle);
    return values;
}

// Position, normal, colour and one texture set: the 0x152 format.
struct LitVertex
{
    float x, y, z;
    float nx, ny, nz;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(LitVertex) == 36, "the 0x152 layout");

// Draws the objects in one scene, the device's log cleared first.
template <typename... Drawn> void DrawInScene(platform::TestDevice* device, Drawn*... drawn)
{
    device->ClearLog();
    device->BeginScene();
    (drawn->Render(0), ...);
    device->EndScene();
}

// Position and normal: the 0x012 format.
struct PlainVertex
{
    float x, y, z;
    float nx, ny, nz;
};

// Adds a face over three file vertices, with one normal for its corners.
inline void AddFace(KM_Mesh& mesh, uint32_t a, uint32_t b, uint32_t c, uint32_t materialId,
                    const KM_Point3& normal = {0, 1, 0})
{
    mesh.m_Faces.push_back({a, b, c, materialId});
    KM_Mesh::FaceNormals normals;
    normals.face = normal;
    normals.corner[0] = normals.corner[1] = normals.corner[2] = normal;
    mesh.m_Normals.push_back(normals);
}

inline std::unique_ptr<KM_GeoObject> Geo(const std::string& name, int32_t materialRef)
{
    auto geo = std::make_unique<KM_GeoObject>();
    geo->SetName(name);
    geo->m_NodeTM.SetName(name);
    geo->m_Mesh.m_MaterialRef = materialRef;
    return geo;
}

inline std::unique_ptr<KM_Material> Material(const std::string& name)
{
    auto material = std::make_unique<KM_Material>();
    material->SetName(name);
    material->m_Diffuse = 0xFFFFFFFF;
    material->m_Ambient = 0xFFFFFFFF;
    material->m_Specular = 0xFFFFFFFF;
    return material;
}

inline std::unique_ptr<KM_Primitive> Primitive(const std::string& name, uint32_t type)
{
    auto primitive = std::make_unique<KM_Primitive>();
    primitive->SetName(name);
    primitive->m_PrimitiveType = type;
    return primitive;
}

// A model file from a material list and an object list; the path, or empty when writing failed.
inline std::string WriteModelFile(const std::string& path, KM_MaterialList& materials, KM_ObjectList& objects)
{
    KM_Stream stream;
    if (!stream.OpenForWrite(path.c_str(), KM_Stream::kBinary) || !stream.WriteHeader() ||
        !materials.Write(&stream) || !objects.Write(&stream) || !stream.Commit())
        return std::string();
    return path;
}

} // namespace meshtest
