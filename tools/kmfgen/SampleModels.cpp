#include "tools/kmfgen/SampleModels.h"

#include "platform/files/SafeFileWriter.h"

#include "engine/model/KM_Animation.h"
#include "engine/model/KM_AttachmentPt.h"
#include "engine/model/KM_GeoObject.h"
#include "engine/model/KM_Light.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Primitive.h"
#include "engine/model/KM_Scene.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/KM_Texture.h"
#include "engine/model/KM_TextureList.h"
#include "engine/render/kaTGAImage.h"
#include "tools/kmfgen/MeshKit.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace
{

const char* const kModels = "resources/models/";

// Red in the lowest byte, then green, blue and alpha.
uint32_t Packed(uint8_t r, uint8_t g, uint8_t b)
{
    return 0xFF000000u | (uint32_t(b) << 16) | (uint32_t(g) << 8) | r;
}

std::unique_ptr<KM_Texture> DiffuseMap(const std::string& bitmap)
{
    auto texture = std::make_unique<KM_Texture>();
    texture->SetName(bitmap);
    texture->m_Class = "Bitmap";
    texture->m_Bitmap = bitmap;
    texture->m_Amount = 1.0f;
    texture->m_MapKind = 1;
    texture->m_UTiling = 1.0f;
    texture->m_VTiling = 1.0f;
    texture->m_MapChannel = 1;
    return texture;
}

std::unique_ptr<KM_Material> Material(const std::string& name, const std::string& bitmap, uint32_t diffuse)
{
    auto material = std::make_unique<KM_Material>();
    material->SetName(name);
    material->m_Class = "Standard";
    // Faces turned from the sun keep their colour under the scene's ambient light instead of going black.
    material->m_Ambient = diffuse;
    material->m_Diffuse = diffuse;
    material->m_Specular = Packed(255, 255, 255);
    material->m_Shine = 0.25f;
    material->m_ShineStrength = 0.5f;
    material->m_Shading = KM_Material::kBlinn;
    material->m_TransparencyType = 1;
    if (!bitmap.empty())
        material->Textures().Append(DiffuseMap(bitmap));
    return material;
}

std::unique_ptr<KM_GeoObject> Geo(const std::string& name, int32_t materialRef,
                                  const std::function<void(MeshKit&)>& build)
{
    auto geo = std::make_unique<KM_GeoObject>();
    geo->SetName(name);
    geo->m_NodeTM.SetName(name);
    geo->m_Mesh.m_MaterialRef = materialRef;
    MeshKit kit(geo->m_Mesh);
    build(kit);
    return geo;
}

std::unique_ptr<KM_Primitive> Primitive(const std::string& name, uint32_t type, const KM_Point3& offset)
{
    auto primitive = std::make_unique<KM_Primitive>();
    primitive->SetName(name);
    primitive->m_PrimitiveType = type;
    primitive->m_Offset[0] = offset.x;
    primitive->m_Offset[1] = offset.y;
    primitive->m_Offset[2] = offset.z;
    return primitive;
}

std::unique_ptr<KM_Primitive> BoxPrimitive(const std::string& name, float width, float length, float height,
                                           const KM_Point3& offset)
{
    auto box = Primitive(name, 0, offset);
    box->m_Width = width;
    box->m_Length = length;
    box->m_Height = height;
    return box;
}

std::unique_ptr<KM_AttachmentPt> AttachmentPoint(const std::string& suffix, const KM_Point3& at,
                                                 const std::string& userData)
{
    auto point = std::make_unique<KM_AttachmentPt>();
    point->SetName("att-point" + suffix);
    point->m_NodeTM.SetName(point->GetName());
    point->m_NodeTM.m_Rows[3][0] = at.x;
    point->m_NodeTM.m_Rows[3][1] = at.y;
    point->m_NodeTM.m_Rows[3][2] = at.z;
    point->m_UserData = userData;
    return point;
}

std::unique_ptr<KM_Scene> Scene(const std::string& name)
{
    auto scene = std::make_unique<KM_Scene>();
    scene->m_FileName = name + ".max";
    scene->m_LastFrame = 100;
    scene->m_FrameSpeed = 30;
    scene->m_TicksPerFrame = 160;
    scene->m_AmbientColor = 0x00404040;
    return scene;
}

bool WriteObjects(const std::string& path, const std::function<bool(KM_Stream*)>& body)
{
    KM_Stream stream;
    return stream.OpenForWrite(path.c_str(), KM_Stream::kBinary) && stream.WriteHeader() && body(&stream) &&
           stream.Commit();
}

bool WriteModel(const std::string& path, const std::string& name, KM_MaterialList& materials,
                KM_ObjectList& objects)
{
    return WriteObjects(path,
                        [&](KM_Stream* s) {
                            return Scene(name)->Write(s) &&
                                   (materials.GetCount() == 0 || materials.Write(s)) && objects.Write(s);
                        });
}

// A rider bone: name, parent, position in the model and the box that it moves.
struct RiderBone
{
    const char* name;
    const char* parent;
    KM_Point3 at;
    KM_Point3 boxSize;
};

const RiderBone kRiderBones[] = {
    {"Hips", "", {0.0f, 1.0f, 0.0f}, {0.35f, 0.2f, 0.25f}},
    {"Spine", "Hips", {0.0f, 1.35f, 0.0f}, {0.4f, 0.5f, 0.25f}},
    {"Head", "Spine", {0.0f, 1.75f, 0.0f}, {0.22f, 0.25f, 0.25f}},
    {"LeftThigh", "Hips", {-0.12f, 0.75f, 0.0f}, {0.14f, 0.45f, 0.14f}},
    {"LeftShin", "LeftThigh", {-0.12f, 0.3f, 0.0f}, {0.12f, 0.45f, 0.12f}},
    {"RightThigh", "Hips", {0.12f, 0.75f, 0.0f}, {0.14f, 0.45f, 0.14f}},
    {"RightShin", "RightThigh", {0.12f, 0.3f, 0.0f}, {0.12f, 0.45f, 0.12f}},
};
const int kRiderBoneCount = sizeof kRiderBones / sizeof kRiderBones[0];

int BoneIndex(const std::string& name)
{
    for (int i = 0; i < kRiderBoneCount; ++i)
    {
        if (name == kRiderBones[i].name)
            return i;
    }
    return -1;
}

// Rotation of the pose's bones about one axis, as a quaternion (x, y, z, w).
struct PoseTurn
{
    const char* bone;
    int axis;
    float angle;
};

} // namespace

std::string SampleModels::_Prepare(const std::string& relative)
{
    const std::filesystem::path path = std::filesystem::path(m_Root) / relative;
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    m_Written.push_back(relative);
    return path.string();
}

bool SampleModels::_Text(const std::string& relative, const std::string& text)
{
    return platform::SafeFileWriter::WriteWhole(_Prepare(relative), text);
}

namespace
{

// A value from 0 to 1 for a lattice point, the same on every run.
float Hash(int x, int y, unsigned seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

// Smooth noise over a lattice of `cells` by `cells` that wraps at the texture's edges, so tiles meet.
float Noise(float x, float y, int cells, unsigned seed)
{
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    auto at = [&](int i, int j)
    { return Hash(((i % cells) + cells) % cells, ((j % cells) + cells) % cells, seed); };
    const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return top + (bottom - top) * sy;
}

} // namespace

// A texture of the surface's kind, in red, green and blue; the material's colour tints the light kinds.
bool SampleModels::_Texture(const std::string& folder, const std::string& name, Surface surface,
                            uint32_t tint)
{
    const int size = surface == Surface::kGround ? 256 : 64;
    // Blue, green, red and alpha bytes, the top row first.
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float u = (x + 0.5f) / float(size);
            const float v = (y + 0.5f) / float(size);
            const float grain = Noise(u * 16, v * 16, 16, 1) - 0.5f;
            float r = 235, g = 235, b = 235;
            switch (surface)
            {
            case Surface::kSmooth:
                r = float(tint & 0xFF) / 255.0f * (235 + 14 * grain);
                g = float(tint >> 8 & 0xFF) / 255.0f * (235 + 14 * grain);
                b = float(tint >> 16 & 0xFF) / 255.0f * (235 + 14 * grain);
                break;
            case Surface::kGround:
            {
                // Packed earth: broad patches, finer gravel, lighter worn lanes.
                // Contrast enough that the ground shows the vehicle's speed as it passes under the camera.
                const float patches = Noise(u * 6, v * 6, 6, 2);
                const float ruts = Noise(u * 24, v * 24, 24, 4);
                const float gravel = Noise(u * 64, v * 64, 64, 3);
                const float shade = 0.62f + 0.3f * patches + 0.25f * (ruts - 0.5f) + 0.3f * (gravel - 0.5f);
                r = 235 * shade;
                g = 222 * shade;
                b = 196 * shade;
                break;
            }
            case Surface::kWood:
            {
                // Planks across, a dark frame round each face.
                const bool frame = u < 0.08f || u > 0.92f || v < 0.08f || v > 0.92f;
                const bool seam = std::fmod(v * 5.0f, 1.0f) < 0.06f;
                const float shade = frame ? 0.62f : seam ? 0.7f : 0.92f + 0.25f * grain;
                r = 190 * shade;
                g = 130 * shade;
                b = 70 * shade;
                break;
            }
            case Surface::kRamp:
            {
                // Boards up the slope, with a yellow and black edge band at the foot.
                const bool band = v < 0.12f;
                const bool stripe = std::fmod(u * 8.0f + v * 8.0f, 1.0f) < 0.5f;
                if (band)
                {
                    r = stripe ? 240 : 30;
                    g = stripe ? 190 : 30;
                    b = stripe ? 30 : 30;
                }
                else
                {
                    const bool seam = std::fmod(u * 6.0f, 1.0f) < 0.05f;
                    const float shade = seam ? 0.7f : 0.95f + 0.2f * grain;
                    r = 220 * shade;
                    g = 140 * shade;
                    b = 60 * shade;
                }
                break;
            }
            case Surface::kArrows:
            {
                // Chevrons pointing along the plate, white on the material's colour.
                const float along = std::fmod(v * 3.0f + std::fabs(u - 0.5f) * 1.6f, 1.0f);
                const bool mark = along < 0.28f && std::fabs(u - 0.5f) < 0.38f;
                r = g = b = mark ? 255 : 200 + 10 * grain;
                if (mark)
                    r = g = b = 255;
                break;
            }
            case Surface::kStar:
            {
                // A ring and a star in the middle of the face, the token's stamp.
                const float dx = u - 0.5f, dy = v - 0.5f;
                const float radius = std::sqrt(dx * dx + dy * dy);
                const float angle = std::atan2(dy, dx);
                const float star = 0.22f + 0.1f * std::cos(5.0f * angle);
                const bool mark = radius < star || (radius > 0.38f && radius < 0.44f);
                r = g = b = mark ? 255 : 170;
                break;
            }
            case Surface::kGrate:
            {
                const bool bar = std::fmod(u * 8.0f, 1.0f) < 0.3f || std::fmod(v * 8.0f, 1.0f) < 0.3f;
                r = g = b = bar ? 235 : 60;
                break;
            }
            case Surface::kHazard:
            {
                // The barrel: hoops and a band of yellow and black stripes round its middle.
                const bool band = v > 0.4f && v < 0.6f;
                const bool hoop = std::fabs(v - 0.22f) < 0.03f || std::fabs(v - 0.78f) < 0.03f;
                const bool stripe = std::fmod(u * 12.0f + v * 4.0f, 1.0f) < 0.5f;
                if (band)
                {
                    // Strong enough to read through the red material as yellow and black.
                    r = stripe ? 255 : 20;
                    g = stripe ? 255 : 20;
                    b = stripe ? 120 : 20;
                }
                else
                    r = g = b = hoop ? 120 : 235 + 14 * grain;
                break;
            }
            }
            pixels.push_back(uint8_t(std::clamp(b, 0.0f, 255.0f)));
            pixels.push_back(uint8_t(std::clamp(g, 0.0f, 255.0f)));
            pixels.push_back(uint8_t(std::clamp(r, 0.0f, 255.0f)));
            pixels.push_back(0xFF);
        }
    kaTGAImage image;
    return image.Create(size, size, 32, 8, pixels.data()) &&
           image.Save(_Prepare(folder + "maps/" + name), false);
}

bool SampleModels::_Prop(const std::string& name, const std::string& stem, uint32_t diffuse,
                         const std::function<void(MeshKit&)>& build, std::unique_ptr<KM_Primitive> primitive,
                         Surface surface)
{
    const std::string folder = std::string(kModels) + stem + "/";
    KM_MaterialList materials;
    materials.Append(Material(name, stem + ".tga", diffuse));
    KM_ObjectList objects;
    objects.Append(Geo(name, 0, build));
    if (primitive)
        objects.Append(std::move(primitive));
    return WriteModel(_Prepare(folder + stem + ".kmf"), stem, materials, objects) &&
           _Texture(folder, stem + ".tga", surface);
}

bool SampleModels::_Cylinder()
{
    auto primitive = Primitive("PRIM_Cylinder", 2, {0, 0, 0});
    primitive->m_Radius = 0.5f;
    primitive->m_Height = 1.0f;
    return _Prop(
        "Cylinder", "cylinder", Packed(200, 200, 200), [](MeshKit& kit) { kit.Cylinder(0.5f, 1.0f, 16); },
        std::move(primitive), Surface::kSmooth);
}

bool SampleModels::_Crate()
{
    // A box primitive stands on its offset: the base of the unit box, half below the model's origin.
    if (!_Prop(
            "Crate", "crate", Packed(255, 255, 255), [](MeshKit& kit) { kit.Box(1.0f, 1.0f, 1.0f); },
            BoxPrimitive("PRIM_Crate", 1.0f, 1.0f, 1.0f, {0, -0.5f, 0}), Surface::kWood))
        return false;
    // As a descriptor the crate has hooks to hang crates by: a root bone holding every vertex, and a
    // bone a unit above and one a unit below it.
    const std::string folder = std::string(kModels) + "crate/";
    KM_Skeleton skeleton;
    skeleton.SetName("Crate");
    skeleton.m_BoneCount = 3;
    KM_Skeleton::Bone root;
    root.name = "Crate";
    for (int32_t v = 0; v < 8; ++v)
        root.weights.push_back({v, 1.0f});
    skeleton.m_Bones[0] = root;
    const struct
    {
        const char* name;
        float y;
    } hooks[] = {{kCrateTopBone, kCrateHookDistance}, {kCrateBottomBone, -kCrateHookDistance}};
    for (uint32_t i = 0; i < 2; ++i)
    {
        KM_Skeleton::Bone hook;
        hook.name = hooks[i].name;
        hook.parentName = "Crate";
        hook.orientation[3][1] = -hooks[i].y;
        skeleton.m_Bones[i + 1] = hook;
    }
    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    return WriteObjects(_Prepare(folder + "crate_skeleton.kmf"),
                        [&](KM_Stream* s) { return skeletonObjects.Write(s); }) &&
           _Text(folder + "crate.xml", "<Model>" + folder + "crate.kmf</Model>\n<Skeleton>" + folder +
                                           "crate_skeleton.kmf</Skeleton>\n");
}

bool SampleModels::_Ball()
{
    auto primitive = Primitive("PRIM_Ball", 1, {0, 0, 0});
    primitive->m_Radius = 0.5f;
    return _Prop(
        "Ball", "ball", Packed(255, 255, 255), [](MeshKit& kit) { kit.Sphere(0.5f, 10, 16); },
        std::move(primitive), Surface::kSmooth);
}

bool SampleModels::_Arena()
{
    // A floor 64 wide and 48 long with a wall 2 high around it, built from the origin out (not centred:
    // the world centres a venue itself).
    constexpr float kWidth = 64.0f, kLength = 48.0f, kWall = 2.0f;
    const std::string folder = std::string(kModels) + "arena/";
    KM_MaterialList materials;
    materials.Append(Material("Arena", "arena.tga", Packed(150, 170, 150)));
    KM_ObjectList objects;
    objects.Append(Geo("Arena", 0,
                       [&](MeshKit& kit)
                       {
                           kit.SetOffset({kWidth / 2, 0, kLength / 2});
                           kit.Grid(kWidth, kLength, 8, 6);
                           kit.SetOffset({kWidth / 2, kWall / 2, 0.5f});
                           kit.Box(kWidth, kWall, 1.0f);
                           kit.SetOffset({kWidth / 2, kWall / 2, kLength - 0.5f});
                           kit.Box(kWidth, kWall, 1.0f);
                           kit.SetOffset({0.5f, kWall / 2, kLength / 2});
                           kit.Box(1.0f, kWall, kLength - 2.0f);
                           kit.SetOffset({kWidth - 0.5f, kWall / 2, kLength / 2});
                           kit.Box(1.0f, kWall, kLength - 2.0f);
                       }));
    // A box primitive rises its length from its base centre and spans its height along z: the floor is
    // a slab 1 thick under y = 0, each wall stands on the floor where the model's wall is.
    objects.Append(BoxPrimitive("PRIM_Floor", kWidth, 1.0f, kLength, {kWidth / 2, -1.0f, kLength / 2}));
    objects.Append(BoxPrimitive("PRIM_WallNear", kWidth, kWall, 1.0f, {kWidth / 2, 0.0f, 0.5f}));
    objects.Append(BoxPrimitive("PRIM_WallFar", kWidth, kWall, 1.0f, {kWidth / 2, 0.0f, kLength - 0.5f}));
    objects.Append(BoxPrimitive("PRIM_WallLeft", 1.0f, kWall, kLength - 2.0f, {0.5f, 0.0f, kLength / 2}));
    objects.Append(
        BoxPrimitive("PRIM_WallRight", 1.0f, kWall, kLength - 2.0f, {kWidth - 0.5f, 0.0f, kLength / 2}));
    // Whatever is thrown over a wall falls into this, as at the proving ground's open end: a slab 6 deep, 8
    // below the floor, under the whole venue and reaching far past its walls on every side. Nothing inside
    // the walls comes down to it.
    objects.Append(BoxPrimitive(kRespawnTrigger, kWidth + 2 * kArenaTriggerReach, 6.0f,
                                kLength + 2 * kArenaTriggerReach, {kWidth / 2, -14.0f, kLength / 2}));
    return WriteModel(_Prepare(folder + "arena.kmf"), "arena", materials, objects) &&
           _Texture(folder, "arena.tga", Surface::kGround);
}

bool SampleModels::_ProvingGround()
{
    constexpr float kWidth = kGroundWidth, kLength = kGroundLength, kWall = 2.0f;
    const std::string folder = std::string(kModels) + "provingground/";
    KM_MaterialList materials;
    materials.Append(Material("Ground", "ground.tga", Packed(170, 160, 130)));
    KM_ObjectList objects;
    objects.Append(Geo("Ground", 0,
                       [&](MeshKit& kit)
                       {
                           kit.SetOffset({kWidth / 2, 0, kLength / 2});
                           kit.Grid(kWidth, kLength, 4, 12);
                           kit.SetOffset({kWidth / 2, kWall / 2, kLength - 0.5f});
                           kit.Box(kWidth, kWall, 1.0f);
                           kit.SetOffset({0.5f, kWall / 2, kLength / 2});
                           kit.Box(1.0f, kWall, kLength);
                           kit.SetOffset({kWidth - 0.5f, kWall / 2, kLength / 2});
                           kit.Box(1.0f, kWall, kLength);
                       }));
    // Boxes rise their length from their base centre and span their height along z, as the arena's.
    objects.Append(BoxPrimitive("PRIM_Floor", kWidth, 1.0f, kLength, {kWidth / 2, -1.0f, kLength / 2}));
    objects.Append(BoxPrimitive("PRIM_WallFar", kWidth, kWall, 1.0f, {kWidth / 2, 0.0f, kLength - 0.5f}));
    objects.Append(BoxPrimitive("PRIM_WallLeft", 1.0f, kWall, kLength, {0.5f, 0.0f, kLength / 2}));
    objects.Append(BoxPrimitive("PRIM_WallRight", 1.0f, kWall, kLength, {kWidth - 0.5f, 0.0f, kLength / 2}));
    // Whatever leaves by the open end falls into this, wider than the strip and 6 deep, 8 below the floor.
    objects.Append(BoxPrimitive(kRespawnTrigger, kWidth + 40.0f, 6.0f, 40.0f, {kWidth / 2, -14.0f, -20.0f}));
    return WriteModel(_Prepare(folder + "provingground.kmf"), "provingground", materials, objects) &&
           _Texture(folder, "ground.tga", Surface::kGround);
}

bool SampleModels::_Ramp()
{
    const std::string folder = std::string(kModels) + "ramp/";
    // A wedge 4 wide, rising from z = 0 to 2 high at z = 6.
    const KM_Point3 fl = {-2, 0, 0}, fr = {2, 0, 0}, bl = {-2, 0, 6}, br = {2, 0, 6}, tl = {-2, 2, 6},
                    tr = {2, 2, 6};
    const KM_Point3 triangles[][3] = {
        {fl, tl, tr}, {fl, tr, fr}, // the slope, seen from above and in front
        {bl, br, tr}, {bl, tr, tl}, // the back wall, seen from behind
        {fl, bl, tl},               // the left side
        {fr, tr, br},               // the right side
        {fl, fr, br}, {fl, br, bl}, // the bottom, seen from below
    };
    KM_MaterialList materials;
    materials.Append(Material("Ramp", "ramp.tga", Packed(220, 200, 160)));
    KM_ObjectList objects;
    objects.Append(Geo("Ramp", 0,
                       [&](MeshKit& kit)
                       {
                           for (const auto& t : triangles)
                               kit.Triangle(t[0], t[1], t[2]);
                       }));
    auto mesh = Primitive("PRIM_Ramp", KM_Primitive::kTriangleMesh, {0, 0, 0});
    for (const auto& t : triangles)
    {
        const uint32_t first = static_cast<uint32_t>(mesh->m_Vertices.size());
        mesh->m_Vertices.insert(mesh->m_Vertices.end(), {t[0], t[1], t[2]});
        mesh->m_Indices.push_back({first, first + 1, first + 2, 0});
        // The physics takes the face normals as given: each is the triangle's own, outwards.
        const KM_Point3 u = {t[1].x - t[0].x, t[1].y - t[0].y, t[1].z - t[0].z};
        const KM_Point3 v = {t[2].x - t[0].x, t[2].y - t[0].y, t[2].z - t[0].z};
        const KM_Point3 n = {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        mesh->m_IndexExtras.push_back({n.x / length, n.y / length, n.z / length});
    }
    objects.Append(std::move(mesh));
    objects.Append(BoxPrimitive("PRIM_TRIGGER_Respawn", 4.0f, 1.0f, 3.0f, {0, 3.5f, 6.5f}));
    return WriteModel(_Prepare(folder + "ramp.kmf"), "ramp", materials, objects) &&
           _Texture(folder, "ramp.tga", Surface::kRamp);
}

bool SampleModels::_Car(bool charger)
{
    const std::string folder = std::string(kModels) + "car/";
    const std::string stem = charger ? "charger" : "car";
    KM_MaterialList materials;
    auto car = Material("Car", "", Packed(255, 255, 255));
    car->SubMaterials().Append(Material("Paint", "car_paint.tga", Packed(200, 30, 30)));
    car->SubMaterials().Append(Material("Glass", "car_glass.tga", Packed(120, 160, 200)));
    car->SubMaterials().Append(Material("Trim", "car_trim.tga", Packed(60, 60, 60)));
    materials.Append(std::move(car));

    KM_ObjectList objects;
    auto body = Geo(
        "Body", 0,
        [](MeshKit& kit)
        {
            kit.SetMaterialId(0);
            // The body rides above the wheels' hubs, so that the wheels show below it.
            kit.SetOffset({0, 0.575f, 0});
            kit.Box(1.8f, 0.45f, 4.0f);
            // The left door: a panel standing just proud of the side, so that the door box below has
            // corners of its own to cut a decal region from.
            kit.SetOffset({-0.91f, 0.55f, 0.2f});
            kit.Box(0.04f, 0.4f, 1.2f);
            kit.SetMaterialId(1);
            kit.SetOffset({0, 1.05f, 0.3f});
            kit.Box(1.5f, 0.5f, 2.0f);
            kit.SetMaterialId(2);
            kit.SetOffset({0, 0.35f, -2.05f});
            kit.Box(1.9f, 0.2f, 0.1f);
            kit.ColorByTexture({{1, 1, 1}, {0.9f, 0.9f, 0.9f}, {0.75f, 0.75f, 0.75f}, {0.9f, 0.9f, 0.9f}});
        });
    body->m_ShadeVerts = 1;
    const size_t vertexCount = body->m_Mesh.m_Vertices.size();
    objects.Append(std::move(body));
    // A box rises its length from its base and spans its height along z: the body from its floor 0.2
    // above the ground to the cabin roof, 4 long.
    objects.Append(BoxPrimitive("PRIM_Body", 1.8f, 1.1f, 4.0f, {0, 0.2f, 0}));
    // Around the door panel alone: from 0.2 up to 0.9, z from -0.5 to 0.9, x inside the cabin's side.
    objects.Append(BoxPrimitive("PRIM_VERTBOX_door", 0.3f, 0.7f, 1.4f, {-0.9f, 0.2f, 0.2f}));
    // Names the surface a launch plate looks for. It passes through what it touches, so it reaches from
    // inside the body to below the wheels, where it meets a plate the wheels ride onto.
    if (charger)
        objects.Append(BoxPrimitive(kChargerLaunchPrimitive, 1.0f, kChargerLaunchLength, 1.0f,
                                    {0, kChargerLaunchBase, 0}));

    auto light = std::make_unique<KM_Light>();
    light->SetName("Headlight");
    light->m_NodeTM.SetName("Headlight");
    light->m_NodeTM.m_Rows[3][1] = 0.6f;
    light->m_NodeTM.m_Rows[3][2] = -2.1f;
    light->m_HasTarget = 1;
    light->m_TargetTM.SetName("Headlight.Target");
    light->m_TargetTM.m_Rows[3][2] = -12.0f;
    light->m_LightType = 1;
    light->m_Color = 0x00FFF0D0;
    light->m_Intensity = 1.0f;
    light->m_Hotspot = 30.0f;
    light->m_Falloff = 45.0f;
    light->m_AttenuationEnd = 40.0f;
    light->m_TargetDistance = 10.0f;
    objects.Append(std::move(light));

    objects.Append(AttachmentPoint("FL", {-0.85f, 0.35f, -1.3f}, "type=W WF\r\nsize=1"));
    objects.Append(AttachmentPoint("FR", {0.85f, 0.35f, -1.3f}, "type=W WF"));
    objects.Append(AttachmentPoint("RL", {-0.85f, 0.35f, 1.3f}, "type=W WA"));
    objects.Append(AttachmentPoint("RR", {0.85f, 0.35f, 1.3f}, "type=W WA\r\nset=FL FR RL\r\nset=FR FL RR"));
    objects.Append(AttachmentPoint("Driver", {-0.35f, 0.9f, 0.2f}, "type=S"));
    if (!WriteModel(_Prepare(folder + stem + ".kmf"), stem, materials, objects))
        return false;
    // The body's vertex colours shade it: its textures carry the paint, glass and trim colours.
    if (!charger && (!_Texture(folder, "car_paint.tga", Surface::kSmooth, Packed(205, 35, 30)) ||
                     !_Texture(folder, "car_glass.tga", Surface::kSmooth, Packed(80, 105, 140)) ||
                     !_Texture(folder, "car_trim.tga", Surface::kSmooth, Packed(50, 50, 55))))
        return false;

    // As a descriptor the car is a root bone holding the mesh, a bone at each wheel hub, where the
    // wheels' joints meet it, and the hood view's eye.
    KM_Skeleton skeleton;
    skeleton.SetName("Car");
    KM_Skeleton::Bone root;
    root.name = kCarRootBone;
    for (size_t v = 0; v < vertexCount; ++v)
        root.weights.push_back({static_cast<int32_t>(v), 1.0f});
    skeleton.m_Bones[0] = root;
    uint32_t index = 1;
    for (const CarHub& hub : kCarHubs)
    {
        KM_Skeleton::Bone bone;
        bone.name = hub.bone;
        bone.parentName = kCarRootBone;
        bone.orientation[3][0] = -hub.x;
        bone.orientation[3][1] = -kCarHubHeight;
        bone.orientation[3][2] = -hub.z;
        skeleton.m_Bones[index++] = bone;
    }
    KM_Skeleton::Bone hood;
    hood.name = kHoodBone;
    hood.parentName = kCarRootBone;
    hood.orientation[3][1] = -kCarHoodY;
    hood.orientation[3][2] = -kCarHoodZ;
    skeleton.m_Bones[index++] = hood;
    for (const ChargerBone& extra : kChargerBones)
    {
        if (!charger)
            break;
        KM_Skeleton::Bone bone;
        bone.name = extra.bone;
        bone.parentName = kCarRootBone;
        bone.orientation[3][0] = -extra.x;
        bone.orientation[3][1] = -extra.y;
        bone.orientation[3][2] = -extra.z;
        skeleton.m_Bones[index++] = bone;
    }
    skeleton.m_BoneCount = index;
    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    return WriteObjects(_Prepare(folder + stem + "_skeleton.kmf"),
                        [&](KM_Stream* s) { return skeletonObjects.Write(s); }) &&
           _Text(folder + stem + ".xml", "<Model>" + folder + stem + ".kmf</Model>\n<Skeleton>" + folder +
                                             stem + "_skeleton.kmf</Skeleton>\n");
}

bool SampleModels::_Wheel()
{
    const std::string folder = std::string(kModels) + "car/";
    KM_MaterialList materials;
    materials.Append(Material("Wheel", "wheel.tga", Packed(50, 50, 50)));
    KM_ObjectList objects;
    auto wheel = Geo("Wheel", 0, [](MeshKit& kit) { kit.Cylinder(kCarWheelRadius, 0.25f, 16, true); });
    const size_t vertexCount = wheel->m_Mesh.m_Vertices.size();
    objects.Append(std::move(wheel));
    if (!WriteModel(_Prepare(folder + "wheel.kmf"), "wheel", materials, objects) ||
        !_Texture(folder, "wheel.tga", Surface::kSmooth))
        return false;

    // One bone at the hub, the model's origin, by which the car hangs the wheel.
    KM_Skeleton skeleton;
    skeleton.SetName("Wheel");
    skeleton.m_BoneCount = 1;
    KM_Skeleton::Bone hub;
    hub.name = kWheelHubBone;
    for (size_t v = 0; v < vertexCount; ++v)
        hub.weights.push_back({static_cast<int32_t>(v), 1.0f});
    skeleton.m_Bones[0] = hub;
    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    return WriteObjects(_Prepare(folder + "wheel_skeleton.kmf"),
                        [&](KM_Stream* s) { return skeletonObjects.Write(s); }) &&
           _Text(folder + "wheel.xml", "<Model>" + folder + "wheel.kmf</Model>\n<Skeleton>" + folder +
                                           "wheel_skeleton.kmf</Skeleton>\n");
}

bool SampleModels::_Motorcycle()
{
    const std::string folder = std::string(kModels) + "motorcycle/";
    KM_MaterialList materials;
    // Paint on the tank and tail, dark tyres and seat, a steel engine between the wheels.
    auto look = Material("Motorcycle", "", Packed(255, 255, 255));
    look->SubMaterials().Append(Material("Paint", "motorcycle.tga", Packed(230, 140, 20)));
    look->SubMaterials().Append(Material("Dark", "motorcycle.tga", Packed(35, 35, 38)));
    look->SubMaterials().Append(Material("Steel", "motorcycle.tga", Packed(175, 175, 185)));
    materials.Append(std::move(look));
    KM_ObjectList objects;
    auto bike = Geo("Motorcycle", 0,
                    [](MeshKit& kit)
                    {
                        kit.SetMaterialId(2);
                        kit.SetOffset({0, 0.5f, 0.0f});
                        kit.Box(0.26f, 0.3f, 0.7f);
                        kit.SetMaterialId(0);
                        kit.SetOffset({0, 0.82f, -0.25f});
                        kit.Box(0.34f, 0.24f, 0.5f);
                        kit.SetOffset({0, 0.8f, 0.62f});
                        kit.Box(0.24f, 0.14f, 0.32f);
                        kit.SetMaterialId(1);
                        kit.SetOffset({0, 0.8f, 0.25f});
                        kit.Box(0.28f, 0.1f, 0.5f);
                        kit.SetOffset({0, 0.35f, -0.7f});
                        kit.Cylinder(0.33f, 0.12f, 12, true);
                        kit.SetOffset({0, 0.35f, 0.7f});
                        kit.Cylinder(0.33f, 0.12f, 12, true);
                    });
    const size_t vertexCount = bike->m_Mesh.m_Vertices.size();
    objects.Append(std::move(bike));
    objects.Append(BoxPrimitive("PRIM_Motorcycle", 0.4f, 2.0f, 0.9f, {0, 0.45f, 0}));
    // The launch plate's surface, as the charger's: between the wheels from inside the frame to below them.
    objects.Append(
        BoxPrimitive(kChargerLaunchPrimitive, 0.3f, kChargerLaunchLength, 0.3f, {0, kChargerLaunchBase, 0}));
    objects.Append(AttachmentPoint("Rider", {0, 0.8f, 0.1f}, "type=S"));
    if (!WriteModel(_Prepare(folder + "motorcycle.kmf"), "motorcycle", materials, objects) ||
        !_Texture(folder, "motorcycle.tga", Surface::kSmooth))
        return false;

    // The bike as a descriptor needs a skeleton: one bone that holds every vertex, and the points the bike
    // hangs things on (its fork and wheel models, its rider, its wheels, the camera's mark).
    KM_Skeleton skeleton;
    skeleton.SetName("Motorcycle");
    KM_Skeleton::Bone root;
    root.name = "Root";
    for (size_t v = 0; v < vertexCount; ++v)
        root.weights.push_back({static_cast<int32_t>(v), 1.0f});
    skeleton.m_Bones[0] = root;
    uint32_t count = 1;
    for (const MotorcycleBone& point : kMotorcycleBones)
    {
        KM_Skeleton::Bone bone;
        bone.name = point.bone;
        bone.parentName = "Root";
        bone.orientation[3][0] = -point.x;
        bone.orientation[3][1] = -point.y;
        bone.orientation[3][2] = -point.z;
        skeleton.m_Bones[count++] = bone;
    }
    skeleton.m_BoneCount = count;
    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    const std::string base = std::string(kModels) + "motorcycle/";
    return WriteObjects(_Prepare(folder + "motorcycle_skeleton.kmf"),
                        [&](KM_Stream* s) { return skeletonObjects.Write(s); }) &&
           _Text(folder + "motorcycle.xml", "<Model>" + base + "motorcycle.kmf</Model>\n<Skeleton>" + base +
                                                "motorcycle_skeleton.kmf</Skeleton>\n");
}

bool SampleModels::_Rider()
{
    const std::string folder = std::string(kModels) + "motorcycle/";
    KM_MaterialList materials;
    materials.Append(Material("Rider", "rider.tga", Packed(90, 140, 240)));

    // One box per bone; every vertex of a box belongs wholly to its bone.
    auto rider = Geo("Rider", 0, [](MeshKit&) {});
    KM_Skeleton skeleton;
    skeleton.SetName("Rider");
    skeleton.m_BoneCount = kRiderBoneCount;
    MeshKit kit(rider->m_Mesh);
    for (int i = 0; i < kRiderBoneCount; ++i)
    {
        const RiderBone& bone = kRiderBones[i];
        // Thighs and shins hang below their joint; the rest sit above it.
        const bool hangs = std::string(bone.name).find("Thigh") != std::string::npos ||
                           std::string(bone.name).find("Shin") != std::string::npos;
        const uint32_t first = static_cast<uint32_t>(rider->m_Mesh.m_Vertices.size());
        kit.SetOffset({bone.at.x, bone.at.y + (hangs ? -bone.boxSize.y / 2 : bone.boxSize.y / 2), bone.at.z});
        kit.Box(bone.boxSize.x, bone.boxSize.y, bone.boxSize.z);
        KM_Skeleton::Bone record;
        record.name = bone.name;
        record.parentName = bone.parent;
        // The orientation takes a bind-pose point into the bone's space: here a translation.
        record.orientation[3][0] = -bone.at.x;
        record.orientation[3][1] = -bone.at.y;
        record.orientation[3][2] = -bone.at.z;
        for (uint32_t v = first; v < rider->m_Mesh.m_Vertices.size(); ++v)
            record.weights.push_back({static_cast<int32_t>(v), 1.0f});
        skeleton.m_Bones[static_cast<uint32_t>(i)] = record;
    }
    // The point the rider is held to the bike by, under the hips, moving no vertex.
    KM_Skeleton::Bone saddle;
    saddle.name = kRiderSaddleBone;
    saddle.parentName = "Hips";
    saddle.orientation[3][0] = -kRiderBones[0].at.x;
    saddle.orientation[3][1] = -(kRiderBones[0].at.y - kRiderSaddleHeight);
    saddle.orientation[3][2] = -kRiderBones[0].at.z;
    skeleton.m_Bones[static_cast<uint32_t>(kRiderBoneCount)] = saddle;
    skeleton.m_BoneCount = kRiderBoneCount + 1;
    KM_ObjectList objects;
    objects.Append(std::move(rider));
    if (!WriteModel(_Prepare(folder + "rider.kmf"), "rider", materials, objects) ||
        !_Texture(folder, "rider.tga", Surface::kSmooth))
        return false;

    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    if (!WriteObjects(_Prepare(folder + "rider_skeleton.kmf"),
                      [&](KM_Stream* s) { return skeletonObjects.Write(s); }))
        return false;

    const struct
    {
        const char* name;
        std::vector<PoseTurn> turns;
    } poses[] = {
        {"FeetDown",
         {{"LeftThigh", 0, 0.3f}, {"RightThigh", 0, 0.3f}, {"LeftShin", 0, -0.2f}, {"RightShin", 0, -0.2f}}},
        {"FeetUp",
         {{"LeftThigh", 0, -1.2f}, {"RightThigh", 0, -1.2f}, {"LeftShin", 0, 1.0f}, {"RightShin", 0, 1.0f}}},
        {"TurnLeft", {{"Hips", 2, 0.15f}, {"Spine", 2, 0.25f}}},
        {"TurnRight", {{"Hips", 2, -0.15f}, {"Spine", 2, -0.25f}}},
        {"TurnCenter", {}},
    };
    const std::string base = folder;
    std::string descriptor =
        "<Model>" + base + "rider.kmf</Model>\n<Skeleton>" + base + "rider_skeleton.kmf</Skeleton>\n";
    for (const auto& pose : poses)
    {
        KM_Animation animation;
        animation.SetName(pose.name);
        animation.m_AnimationName = pose.name;
        animation.m_BoneCount = kRiderBoneCount;
        animation.m_Length = 500;
        animation.m_FramesPerSecond = 30;
        animation.m_KeyCount = 2;
        for (int i = 0; i < kRiderBoneCount; ++i)
        {
            const RiderBone& bone = kRiderBones[i];
            KM_Animation::Track track;
            track.boneName = bone.name;
            track.parentName = bone.parent;
            KM_Animation::Key key;
            // Positions are relative to the parent bone.
            const int parent = BoneIndex(bone.parent);
            const KM_Point3 origin = parent < 0 ? KM_Point3{} : kRiderBones[parent].at;
            key.position[0] = bone.at.x - origin.x;
            key.position[1] = bone.at.y - origin.y;
            key.position[2] = bone.at.z - origin.z;
            for (const PoseTurn& turn : pose.turns)
            {
                if (std::string(turn.bone) == bone.name)
                {
                    key.rotation[turn.axis] = std::sin(turn.angle / 2);
                    key.rotation[3] = std::cos(turn.angle / 2);
                }
            }
            // The pose is held from the first key to the last.
            key.time = 0;
            track.keys.push_back(key);
            key.time = animation.m_Length;
            track.keys.push_back(key);
            animation.m_BoneAnims[static_cast<uint32_t>(i)] = track;
        }
        KM_ObjectList animationObjects;
        animationObjects.Append(std::make_unique<KM_Animation>(animation));
        if (!WriteObjects(_Prepare(folder + pose.name + ".kmf"),
                          [&](KM_Stream* s) { return animationObjects.Write(s); }))
            return false;
        descriptor += "<Animation>" + base + pose.name + ".kmf</Animation>\n";
    }
    return _Text(folder + "rider.xml", descriptor);
}

bool SampleModels::_LampPost()
{
    const std::string folder = std::string(kModels) + "lamppost/";
    KM_MaterialList materials;
    materials.Append(Material("LampPost", "lamppost.tga", Packed(90, 90, 100)));
    auto post = Geo("LampPost", 0,
                    [](MeshKit& kit)
                    {
                        kit.SetOffset({0, 2.0f, 0});
                        kit.Cylinder(0.1f, 4.0f, 8);
                        kit.SetOffset({0, 4.1f, 0});
                        kit.Box(0.4f, 0.2f, 0.4f);
                    });
    const size_t vertexCount = post->m_Mesh.m_Vertices.size();
    KM_ObjectList objects;
    objects.Append(std::move(post));
    objects.Append(BoxPrimitive("PRIM_LampPost", 0.2f, 4.2f, 0.2f, {0, 2.1f, 0}));
    if (!WriteModel(_Prepare(folder + "lamppost.kmf"), "lamppost", materials, objects) ||
        !_Texture(folder, "lamppost.tga", Surface::kSmooth))
        return false;

    // One bone where the lamp hangs, for what the post carries there: sparks, a glow.
    KM_Skeleton skeleton;
    skeleton.SetName("LampPost");
    skeleton.m_BoneCount = 1;
    KM_Skeleton::Bone lamp;
    lamp.name = "Lamp";
    lamp.orientation[3][1] = -kLampHeight;
    for (size_t v = 0; v < vertexCount; ++v)
        lamp.weights.push_back({static_cast<int32_t>(v), 1.0f});
    skeleton.m_Bones[0] = lamp;
    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    const std::string base = std::string(kModels) + "lamppost/";
    return WriteObjects(_Prepare(folder + "lamppost_skeleton.kmf"),
                        [&](KM_Stream* s) { return skeletonObjects.Write(s); }) &&
           _Text(folder + "lamppost.xml", "<Model>" + base + "lamppost.kmf</Model>\n<Skeleton>" + base +
                                              "lamppost_skeleton.kmf</Skeleton>\n");
}

bool SampleModels::_Sign()
{
    const std::string folder = std::string(kModels) + "sign/";
    KM_MaterialList materials;
    materials.Append(Material("Sign", "sign.tga", Packed(230, 210, 120)));
    // A bracket out along x from the hook, and a board hanging under it.
    auto sign = Geo("Sign", 0,
                    [](MeshKit& kit)
                    {
                        kit.SetOffset({0.6f, -0.03f, 0});
                        kit.Box(1.2f, 0.06f, 0.06f);
                        kit.SetOffset({0.65f, -0.45f, 0});
                        kit.Box(1.0f, 0.6f, 0.05f);
                    });
    const size_t vertexCount = sign->m_Mesh.m_Vertices.size();
    KM_ObjectList objects;
    objects.Append(std::move(sign));
    if (!WriteModel(_Prepare(folder + "sign.kmf"), "sign", materials, objects) ||
        !_Texture(folder, "sign.tga", Surface::kSmooth))
        return false;

    // One bone at the hook, the model's origin, by which something else carries the sign.
    KM_Skeleton skeleton;
    skeleton.SetName("Sign");
    skeleton.m_BoneCount = 1;
    KM_Skeleton::Bone hook;
    hook.name = "Hook";
    for (size_t v = 0; v < vertexCount; ++v)
        hook.weights.push_back({static_cast<int32_t>(v), 1.0f});
    skeleton.m_Bones[0] = hook;
    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    return WriteObjects(_Prepare(folder + "sign_skeleton.kmf"),
                        [&](KM_Stream* s) { return skeletonObjects.Write(s); }) &&
           _Text(folder + "sign.xml",
                 "<Model>" + folder + "sign.kmf</Model>\n<Skeleton>" + folder + "sign_skeleton.kmf</Skeleton>\n");
}

bool SampleModels::_Fork()
{
    // Two thin legs from the head tube down to the front hub, on one bone at the hub.
    const std::string folder = std::string(kModels) + "motorcycle/";
    KM_MaterialList materials;
    materials.Append(Material("Fork", "fork.tga", Packed(180, 180, 190)));
    KM_ObjectList objects;
    auto fork = Geo("Fork", 0,
                    [](MeshKit& kit)
                    {
                        for (float x : {-0.1f, 0.1f})
                        {
                            kit.SetOffset({x, 0.3f, 0});
                            kit.Box(0.04f, 0.6f, 0.04f);
                        }
                    });
    const size_t vertexCount = fork->m_Mesh.m_Vertices.size();
    objects.Append(std::move(fork));
    if (!WriteModel(_Prepare(folder + "fork.kmf"), "fork", materials, objects) ||
        !_Texture(folder, "fork.tga", Surface::kSmooth))
        return false;
    KM_Skeleton skeleton;
    skeleton.SetName("Fork");
    skeleton.m_BoneCount = 1;
    KM_Skeleton::Bone root;
    root.name = "Fork";
    for (size_t v = 0; v < vertexCount; ++v)
        root.weights.push_back({static_cast<int32_t>(v), 1.0f});
    skeleton.m_Bones[0] = root;
    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    return WriteObjects(_Prepare(folder + "fork_skeleton.kmf"),
                        [&](KM_Stream* s) { return skeletonObjects.Write(s); }) &&
           _Text(folder + "fork.xml", "<Model>" + folder + "fork.kmf</Model>\n<Skeleton>" + folder +
                                          "fork_skeleton.kmf</Skeleton>\n");
}

bool SampleModels::_Ragdoll()
{
    // The rider's shape under the bone names the rag doll's record joins its limbs at; the pelvis box is
    // the body's own primitive.
    const std::string folder = std::string(kModels) + "ragdoll/";
    KM_MaterialList materials;
    materials.Append(Material("Ragdoll", "ragdoll.tga", Packed(90, 140, 240)));
    auto doll = Geo("Ragdoll", 0, [](MeshKit&) {});
    KM_Skeleton skeleton;
    skeleton.SetName("Ragdoll");
    skeleton.m_BoneCount = kRiderBoneCount;
    MeshKit kit(doll->m_Mesh);
    for (int i = 0; i < kRiderBoneCount; ++i)
    {
        const RiderBone& bone = kRiderBones[i];
        const bool hangs = std::string(bone.name).find("Thigh") != std::string::npos ||
                           std::string(bone.name).find("Shin") != std::string::npos;
        const uint32_t first = static_cast<uint32_t>(doll->m_Mesh.m_Vertices.size());
        kit.SetOffset({bone.at.x, bone.at.y + (hangs ? -bone.boxSize.y / 2 : bone.boxSize.y / 2), bone.at.z});
        kit.Box(bone.boxSize.x, bone.boxSize.y, bone.boxSize.z);
        KM_Skeleton::Bone record;
        record.name = kRagdollBones[i];
        const int parent = BoneIndex(bone.parent);
        record.parentName = parent < 0 ? "" : kRagdollBones[parent];
        record.orientation[3][0] = -bone.at.x;
        record.orientation[3][1] = -bone.at.y;
        record.orientation[3][2] = -bone.at.z;
        for (uint32_t v = first; v < doll->m_Mesh.m_Vertices.size(); ++v)
            record.weights.push_back({static_cast<int32_t>(v), 1.0f});
        skeleton.m_Bones[static_cast<uint32_t>(i)] = record;
    }
    KM_ObjectList objects;
    objects.Append(std::move(doll));
    const RiderBone& hips = kRiderBones[0];
    objects.Append(BoxPrimitive("PRIM_Pelvis", hips.boxSize.x, hips.boxSize.y, hips.boxSize.z,
                                {hips.at.x, hips.at.y, hips.at.z}));
    if (!WriteModel(_Prepare(folder + "ragdoll.kmf"), "ragdoll", materials, objects) ||
        !_Texture(folder, "ragdoll.tga", Surface::kSmooth))
        return false;
    KM_ObjectList skeletonObjects;
    skeletonObjects.Append(std::make_unique<KM_Skeleton>(skeleton));
    if (!WriteObjects(_Prepare(folder + "ragdoll_skeleton.kmf"),
                      [&](KM_Stream* s) { return skeletonObjects.Write(s); }) ||
        !_Text(folder + "ragdoll.xml", "<Model>" + folder + "ragdoll.kmf</Model>\n<Skeleton>" + folder +
                                           "ragdoll_skeleton.kmf</Skeleton>\n"))
        return false;

    // A limb's body: a small box on one bone, hung from the rag doll's bones by joints.
    KM_MaterialList limbMaterials;
    limbMaterials.Append(Material("Limb", "limb.tga", Packed(90, 140, 240)));
    KM_ObjectList limbObjects;
    auto limb = Geo("Limb", 0,
                    [](MeshKit& kit) { kit.Box(kRagdollLimbSize, kRagdollLimbSize, kRagdollLimbSize); });
    const size_t limbVertices = limb->m_Mesh.m_Vertices.size();
    limbObjects.Append(std::move(limb));
    limbObjects.Append(BoxPrimitive("PRIM_Limb", kRagdollLimbSize, kRagdollLimbSize, kRagdollLimbSize,
                                    {0, -kRagdollLimbSize / 2, 0}));
    if (!WriteModel(_Prepare(folder + "limb.kmf"), "limb", limbMaterials, limbObjects) ||
        !_Texture(folder, "limb.tga", Surface::kSmooth))
        return false;
    KM_Skeleton limbSkeleton;
    limbSkeleton.SetName("Limb");
    limbSkeleton.m_BoneCount = 1;
    KM_Skeleton::Bone limbBone;
    limbBone.name = kRagdollLimbBone;
    for (size_t v = 0; v < limbVertices; ++v)
        limbBone.weights.push_back({static_cast<int32_t>(v), 1.0f});
    limbSkeleton.m_Bones[0] = limbBone;
    KM_ObjectList limbSkeletonObjects;
    limbSkeletonObjects.Append(std::make_unique<KM_Skeleton>(limbSkeleton));
    return WriteObjects(_Prepare(folder + "limb_skeleton.kmf"),
                        [&](KM_Stream* s) { return limbSkeletonObjects.Write(s); }) &&
           _Text(folder + "limb.xml", "<Model>" + folder + "limb.kmf</Model>\n<Skeleton>" + folder +
                                          "limb_skeleton.kmf</Skeleton>\n");
}

bool SampleModels::WriteAll()
{
    return _Cylinder() && _Crate() && _Ball() && _Ramp() && _Car() && _Car(true) && _Wheel() &&
           _Motorcycle() && _Rider() && _Arena() && _ProvingGround() && _LampPost() && _Sign() && _GearModels() &&
           _Fork() && _Ragdoll();
}
