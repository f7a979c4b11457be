#pragma once

#include "engine/model/KM_Animation.h"
#include "engine/model/KM_AttachmentPt.h"
#include "engine/model/KM_Camera.h"
#include "engine/model/KM_CollisionBox.h"
#include "engine/model/KM_CollisionCylinder.h"
#include "engine/model/KM_CollisionMesh.h"
#include "engine/model/KM_CollisionPlane.h"
#include "engine/model/KM_CollisionSphere.h"
#include "engine/model/KM_DataTag.h"
#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Light.h"
#include "engine/model/KM_Material.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Primitive.h"
#include "engine/model/KM_Scene.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/KM_Texture.h"
#include "engine/model/KM_TextureList.h"

#include <memory>
#include <string>

// Objects with every field set to a value of its own, for round trips, the text form and the
// robustness test.
namespace kmfsamples
{

inline void FillTM(KM_NodeTM& tm, const std::string& name, float base)
{
    tm.SetName(name);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            tm.m_Rows[row][column] = base + static_cast<float>(row * 3 + column) * 0.25f;
}

inline std::unique_ptr<KM_Scene> Scene()
{
    auto scene = std::make_unique<KM_Scene>();
    scene->m_FileName = "crate.max";
    scene->m_FirstFrame = 1;
    scene->m_LastFrame = 100;
    scene->m_FrameSpeed = 30;
    scene->m_TicksPerFrame = 160;
    scene->m_BackgroundColor = 0x102030;
    scene->m_AmbientColor = 0xFF405060;
    return scene;
}

// A two-triangle quad with texture and colour channels and one extra mapping channel.
inline void FillMesh(KM_Mesh& mesh)
{
    mesh.m_TimeValue = 7;
    mesh.m_MaterialRef = 2;
    mesh.m_Vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.m_Faces = {{0, 1, 2, 0}, {0, 2, 3, 1}};
    mesh.m_TVertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.m_TFaces = {{0, 1, 2}, {0, 2, 3}};
    KM_Mesh::Channel channel;
    channel.number = 2;
    channel.tvertCount = 3;
    channel.firstTVert = 0;
    channel.tfaceCount = 2;
    channel.firstTFace = 0;
    mesh.m_Channels = {channel};
    mesh.m_ExtraTVertices = {{0.5f, 0.5f, 0}, {0.25f, 0.75f, 0}, {1, 0.5f, 0}};
    mesh.m_ExtraTFaces = {{0, 1, 2}, {2, 1, 0}};
    mesh.m_CVertices = {{1, 0.5f, 0}, {0, 0, 1}};
    mesh.m_CFaces = {{0, 0, 1}, {1, 1, 0}};
    KM_Mesh::FaceNormals normals;
    normals.face = {0, 0, -1};
    normals.corner[0] = normals.corner[1] = normals.corner[2] = {0, 0, -1};
    mesh.m_Normals = {normals, normals};
    mesh.m_BackfaceCull = 0;
}

inline std::unique_ptr<KM_GeoObject> Geo(const std::string& name = "Body")
{
    auto geo = std::make_unique<KM_GeoObject>();
    geo->SetName(name);
    geo->m_ParentName = "Root";
    geo->m_ShadeVerts = 1;
    FillTM(geo->m_NodeTM, name, 1.0f);
    FillMesh(geo->m_Mesh);
    return geo;
}

inline std::unique_ptr<KM_AttachmentPt> Attachment()
{
    auto point = std::make_unique<KM_AttachmentPt>();
    point->SetName("att-point1");
    FillTM(point->m_NodeTM, "att-point1", 2.0f);
    point->m_UserData = "type=W T\r\nsize=3";
    return point;
}

inline std::unique_ptr<KM_DataTag> DataTag()
{
    auto tag = std::make_unique<KM_DataTag>();
    tag->SetName("tag");
    FillTM(tag->m_NodeTM, "tag", 3.0f);
    return tag;
}

inline std::unique_ptr<KM_Primitive> Primitive(uint32_t type = KM_Primitive::kTriangleMesh)
{
    auto primitive = std::make_unique<KM_Primitive>();
    primitive->SetName("PRIM_Ramp");
    primitive->m_ParentName = "Body";
    primitive->m_PrimitiveType = type;
    primitive->m_Length = 1.5f;
    primitive->m_Width = 2.5f;
    primitive->m_Height = 3.5f;
    primitive->m_Rotation[0] = 0.5f;
    primitive->m_Offset[2] = -1.0f;
    primitive->m_Radius = 0.75f;
    primitive->m_Normal = 0.125f;
    primitive->m_Distance = 9.0f;
    if (type == KM_Primitive::kTriangleMesh)
    {
        primitive->m_Vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        primitive->m_Indices = {{0, 1, 2, 5}};
        primitive->m_IndexExtras = {{0, 0, 1}};
    }
    return primitive;
}

inline std::unique_ptr<KM_Light> Light(bool withTarget = true)
{
    auto light = std::make_unique<KM_Light>();
    light->SetName("Spot01");
    FillTM(light->m_NodeTM, "Spot01", 4.0f);
    light->m_HasTarget = withTarget ? 1 : 0;
    FillTM(light->m_TargetTM, "Spot01.Target", 5.0f);
    light->m_LightType = 1;
    light->m_Shadows = 2;
    light->m_Color = 0x00FF8040;
    light->m_Intensity = 1.25f;
    light->m_Hotspot = 30.0f;
    light->m_Falloff = 45.0f;
    light->m_AttenuationStart = 2.0f;
    light->m_AttenuationEnd = 80.0f;
    light->m_TargetDistance = 12.0f;
    light->SetVersion(3);
    light->m_UseFarAttenuation = 1;
    return light;
}

inline std::unique_ptr<KM_Camera> Camera(bool withTarget = true)
{
    auto camera = std::make_unique<KM_Camera>();
    camera->SetName("Camera01");
    FillTM(camera->m_NodeTM, "Camera01", 6.0f);
    camera->m_HasTarget = withTarget ? 1 : 0;
    FillTM(camera->m_TargetTM, "Camera01.Target", 7.0f);
    camera->m_Hither = 0.5f;
    camera->m_Yon = 1000.0f;
    camera->m_Near = 1.0f;
    camera->m_Far = 500.0f;
    camera->m_FieldOfView = 0.785f;
    camera->m_TargetDistance = 20.0f;
    return camera;
}

inline std::unique_ptr<KM_CollisionBox> CollisionBox()
{
    auto box = std::make_unique<KM_CollisionBox>();
    box->SetName("ColBox");
    FillTM(box->m_NodeTM, "ColBox", 8.0f);
    box->m_Length = 1.0f;
    box->m_Width = 2.0f;
    box->m_Height = 3.0f;
    return box;
}

inline std::unique_ptr<KM_CollisionMesh> CollisionMesh()
{
    auto mesh = std::make_unique<KM_CollisionMesh>();
    mesh->SetName("ColMesh");
    FillTM(mesh->m_NodeTM, "ColMesh", 9.0f);
    FillMesh(mesh->m_Mesh);
    return mesh;
}

inline std::unique_ptr<KM_Texture> Texture(const std::string& bitmap = "maps/crate.tga")
{
    auto texture = std::make_unique<KM_Texture>();
    texture->SetName("Map #1");
    texture->m_Class = "Bitmap";
    texture->m_Bitmap = bitmap;
    texture->m_Amount = 1.0f;
    texture->m_MapKind = 1;
    texture->m_MappingType = 0;
    texture->m_UTiling = 2.0f;
    texture->m_VTiling = 3.0f;
    texture->m_Angle = 0.5f;
    texture->m_NoiseLevel = 4;
    texture->m_BitmapInvert = 1;
    texture->m_ColorMapEnable = 1;
    texture->m_BitmapFilter = 1;
    texture->m_MapChannel = 2;
    return texture;
}

inline std::unique_ptr<KM_Material> Material(const std::string& name = "Crate", bool withSubs = true)
{
    auto material = std::make_unique<KM_Material>();
    material->SetName(name);
    material->m_RefNo = 3;
    material->m_Class = "Standard";
    material->m_Ambient = 0xFF000000;
    material->m_Diffuse = 0x80FF0000;
    material->m_Specular = 0xFFFFFFFF;
    material->m_Shine = 0.25f;
    material->m_ShineStrength = 0.5f;
    material->m_Transparency = 0.1f;
    material->m_WireSize = 1.0f;
    material->m_Shading = KM_Material::kPhong;
    material->m_Flags = KM_Material::kTwoSided | KM_Material::kFalloffOut;
    material->m_TransparencyType = 3;
    auto texture = Texture();
    texture->SubTextures().Append(Texture("maps/detail.tga"));
    material->Textures().Append(std::move(texture));
    if (withSubs)
    {
        material->SubMaterials().Append(Material("Crate Side", false));
        material->SubMaterials().Append(Material("Crate Top", false));
    }
    return material;
}

inline std::unique_ptr<KM_Skeleton> Skeleton(const std::string& name = "Rider")
{
    auto skeleton = std::make_unique<KM_Skeleton>();
    skeleton->SetName(name);
    skeleton->m_BoneCount = 2;
    KM_Skeleton::Bone hip;
    hip.name = "Hip";
    hip.word = 3;
    hip.orientation[3][0] = 1.5f;
    hip.weights = {{0, 1.0f}, {1, 0.5f}};
    KM_Skeleton::Bone leg;
    leg.name = "Leg";
    leg.parentName = "Hip";
    leg.weights = {{1, 0.5f}};
    skeleton->m_Bones[0] = hip;
    skeleton->m_Bones[1] = leg;
    return skeleton;
}

inline std::unique_ptr<KM_Animation> Animation(const std::string& name = "FeetDown")
{
    auto animation = std::make_unique<KM_Animation>();
    animation->SetName(name);
    animation->m_AnimationName = name;
    animation->m_BoneCount = 2;
    animation->m_Length = 1000;
    animation->m_FramesPerSecond = 30;
    animation->m_KeyCount = 2;
    KM_Animation::Track hip;
    hip.boneName = "Hip";
    KM_Animation::Key key;
    key.time = 0;
    hip.keys.push_back(key);
    key.time = 1000;
    key.position[1] = 2.0f;
    key.rotation[3] = 0.5f;
    hip.keys.push_back(key);
    KM_Animation::Track leg;
    leg.boneName = "Leg";
    leg.parentName = "Hip";
    animation->m_BoneAnims[0] = hip;
    animation->m_BoneAnims[1] = leg;
    return animation;
}

inline std::unique_ptr<KM_ObjectList> ModelObjects()
{
    auto list = std::make_unique<KM_ObjectList>();
    list->Append(Geo());
    list->Append(Primitive());
    list->Append(Primitive(1));
    list->Append(CollisionBox());
    list->Append(CollisionMesh());
    list->Append(Attachment());
    list->Append(DataTag());
    list->Append(Light());
    list->Append(Camera());
    list->Append(Skeleton());
    list->Append(Animation());
    return list;
}

// A whole model file: header, scene, material list and object list.
inline bool WriteModel(KM_Stream* stream)
{
    KM_MaterialList materials;
    materials.Append(Material());
    materials.Append(Material("Wheel", false));
    return stream->WriteHeader() && Scene()->Write(stream) && materials.Write(stream) &&
           ModelObjects()->Write(stream);
}

} // namespace kmfsamples

namespace kmfsamples
{

// The same model in text form, in the order a dump writes it.
inline bool WriteModelText(KM_Stream* stream)
{
    KM_MaterialList materials;
    materials.Append(Material());
    materials.Append(Material("Wheel", false));
    return Scene()->Write(stream) && materials.Write(stream) && ModelObjects()->Write(stream);
}

} // namespace kmfsamples
