#pragma once

#include "engine/core/kaClock.h"
#include "engine/model/KM_Animation.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/KM_Stream.h"
#include "engine/model/kaAnimation.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "tests/support/engine/model/MeshTestSupport.h"

#include "platform/system/ManualClock.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace modeltest
{

// A bone whose orientation carries bind-pose points at (x, y, z) to its origin.
inline KM_Skeleton::Bone Bone(const std::string& name, const std::string& parent, float x, float y, float z)
{
    KM_Skeleton::Bone bone;
    bone.name = name;
    bone.parentName = parent;
    bone.orientation[3][0] = -x;
    bone.orientation[3][1] = -y;
    bone.orientation[3][2] = -z;
    return bone;
}

// "Root" at the origin and "Arm" one unit above it.
inline KM_Skeleton TwoBones()
{
    KM_Skeleton file;
    file.m_Bones[0] = Bone("Root", "", 0, 0, 0);
    file.m_Bones[1] = Bone("Arm", "Root", 0, 1, 0);
    file.m_BoneCount = 2;
    return file;
}

inline bool WriteObject(const std::string& path, std::unique_ptr<KM_Object> object)
{
    KM_ObjectList objects;
    objects.Append(std::move(object));
    KM_Stream stream;
    return stream.OpenForWrite(path.c_str(), KM_Stream::kBinary) && stream.WriteHeader() &&
           objects.Write(&stream) && stream.Commit();
}

inline KM_Animation::Key Key(uint32_t ms, float x, float y = 0.0f, float angleZ = 0.0f)
{
    KM_Animation::Key key;
    key.time = ms;
    key.position[0] = x;
    key.position[1] = y;
    key.rotation[2] = std::sin(angleZ / 2);
    key.rotation[3] = std::cos(angleZ / 2);
    return key;
}

// An animation of one track whose position x runs from `from` at 0 to `to` at the length.
inline KM_Animation Slide(const std::string& name, const std::string& bone, uint32_t lengthMs, float from,
                          float to)
{
    KM_Animation file;
    file.m_AnimationName = name;
    file.m_Length = lengthMs;
    file.m_BoneAnims[0].boneName = bone;
    file.m_BoneAnims[0].keys = {Key(0, from), Key(lengthMs, to)};
    return file;
}

inline std::unique_ptr<kaAnimation> Built(const KM_Animation& file)
{
    auto animation = std::make_unique<kaAnimation>();
    animation->Build(file, file.m_AnimationName + ".kmf");
    return animation;
}

// A mesh of one subset in format 0x012 whose vertex i came from file vertex i; held by one reference.
inline kaMesh* PlainMesh(const std::vector<platform::Vector3>& positions, const std::vector<uint16_t>& indices,
                         const platform::Vector3& normal = platform::Vector3(0.0f, 0.0f, 1.0f))
{
    auto* mesh = new kaMesh(0x012, static_cast<uint32_t>(indices.size() / 3),
                            static_cast<uint32_t>(positions.size()), 1, false);
    std::vector<meshtest::PlainVertex> vertices;
    for (const platform::Vector3& p : positions)
        vertices.push_back({p.x, p.y, p.z, normal.x, normal.y, normal.z});
    mesh->SetVertices(vertices.data(), 0);
    mesh->SetIndices(indices.data(), 0);
    for (uint32_t i = 0; i < positions.size(); ++i)
        mesh->GetSubset(0)->m_SourceVertexMap.push_back(i);
    mesh->ComputeBounds();
    mesh->AddRef();
    return mesh;
}

// The engine clock on a manual source, from application time 0; the pause flag cleared afterwards.
class TestClock
{
public:
    TestClock()
    {
        _ResetClockState();
        m_Clock = std::make_unique<platform::ManualClock>();
        GetTime(5);
    }
    ~TestClock()
    {
        PauseControl(0);
        m_Clock.reset();
        _ResetClockState();
    }
    void Advance(double seconds) { m_Clock->AdvanceSeconds(seconds); }

private:
    std::unique_ptr<platform::ManualClock> m_Clock;
};

} // namespace modeltest
