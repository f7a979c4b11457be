#pragma once

#include "engine/model/kaBone.h"
#include "engine/model/kaVertexInfluence.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class KM_Skeleton;
class kaMesh;

// Shared, read-only bones and per-vertex bone influences of one skinned model, built from a skeleton
// file and bound to the vertices of one mesh.
class kaSkeleton
{
public:
    // The first subset's vertices as the CPU reads them: positions are the first three floats of each
    // vertex and, when the format has them, normals the next three. sourceMap gives the model file's
    // vertex each vertex came from.
    struct MeshVertices
    {
        std::string meshName;
        uint32_t count = 0;
        const uint8_t* data = nullptr;
        uint32_t stride = 0;
        bool hasNormals = false;
        const uint32_t* sourceMap = nullptr;
    };

    kaSkeleton();
    virtual ~kaSkeleton();
    kaSkeleton(const kaSkeleton&) = delete;
    kaSkeleton& operator=(const kaSkeleton&) = delete;

    // Builds the skeleton from a file, binding influences to the system-memory vertices of the mesh's
    // first subset; without a mesh, or a mesh without subsets, bones only.
    bool Load(std::string fileName, const kaMesh* mesh);
    // The same with the vertices given directly; null binds bones only.
    bool LoadWithVertices(std::string fileName, const MeshVertices* mesh);
    bool Build(const KM_Skeleton& file, std::string fileName, const MeshVertices* mesh);

    // A copy of the file's first skeleton; null when the file cannot be read or holds none.
    static std::unique_ptr<KM_Skeleton> ReadFile(const std::string& fileName);

    // The first bone of exactly that name, or null / -1.
    const kaBone* FindBone(const std::string& name) const;
    int32_t FindBoneIndex(const std::string& name) const;
    // Whether the pointer is one of this skeleton's bone records.
    bool ContainsBone(const kaBone* bone) const;

    int32_t GetBoneCount() const { return static_cast<int32_t>(m_Bones.size()); }
    const kaBone* GetBone(int32_t index) const;
    const std::vector<kaBone>& GetBones() const { return m_Bones; }
    int32_t GetVertexCount() const { return m_VertexCount; }
    bool HasInfluences() const { return !m_Influences.empty(); }
    const std::vector<kaVertexInfluence>& GetInfluences() const { return m_Influences; }
    const std::string& GetMeshName() const { return m_MeshName; }
    const std::string& GetFileName() const { return m_FileName; }

private:
    // Build over vertices whose name is left empty, naming the mesh afterwards.
    bool _BuildFromMesh(const KM_Skeleton& file, std::string fileName, const MeshVertices& vertices,
                        const kaMesh& mesh);
    void _BuildBones(const KM_Skeleton& file);
    void _BindInfluences(const KM_Skeleton& file, const MeshVertices& mesh);

    int32_t m_VertexCount = 0;
    std::vector<kaVertexInfluence> m_Influences;
    // Sized once per load: bones point to their parents inside it.
    std::vector<kaBone> m_Bones;
    std::string m_MeshName;
    std::string m_FileName;
};
