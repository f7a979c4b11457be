#pragma once

#include "engine/model/StripEdge.h"
#include "engine/model/StripFace.h"
#include "engine/model/StripGroup.h"
#include "engine/model/StripInfo.h"
#include "engine/model/VertexCache.h"

#include <array>
#include <cstdint>
#include <unordered_set>
#include <vector>

// Turns one triangle list into cache-ordered strips (or a reordered list). One builder serves one build.
class StripBuilder
{
public:
    static constexpr int kSamplesPerPass = 10;

    StripBuilder(const uint16_t* indices, uint32_t indexCount, unsigned int cacheSize,
                 unsigned int minLength);

    // Links the faces, finds strips until every face is in one, then cuts and orders them.
    void Run();
    // The strips as strip indices (joined into one group when stitching) or as one plain list.
    std::vector<StripGroup> WriteGroups(bool stitch, bool listsOnly) const;

    int GetWorkingCacheSize() const { return m_CacheSize; }
    int GetFaceCount() const { return static_cast<int>(m_Faces.size()); }

    // The face's vertex that continues the strip past the sequence's last two; -1 when it has none.
    static int GetNextIndex(const std::vector<int>& sequence, const StripFace& face);

private:
    void _BuildStripifyInfo();
    int _LinkEdge(int a, int b, int face);
    int _FindEdge(int a, int b) const;
    int _OtherFace(int face, int a, int b) const;
    int _FindResetFace();
    void _FindAllStrips(int samples);
    void _GrowStrip(StripInfo& strip);
    void _WalkStrip(StripInfo& strip, std::vector<int>& sequence, int face, std::vector<int>& collected,
                    std::unordered_set<int>& seen);
    bool _FindNextStripStart(const StripInfo& strip, StripStart& next) const;
    bool _TouchesStrip(const StripInfo& strip, int face) const;
    void _SplitUpStripsAndOptimize();
    float _StripHits(const VertexCache& cache, const std::vector<int>& faces) const;
    double _NeighboursPerFace(const std::vector<int>& faces) const;
    void _WriteStrip(const std::vector<int>& faces, bool firstInGroup, bool stitch,
                     std::vector<int>& sequence) const;

    std::vector<uint16_t> m_Indices;
    int m_CacheSize;
    unsigned int m_MinLength;
    float m_MeshJump = 0.0f;
    bool m_FirstReset = true;
    int m_NextStripId = 0;
    int m_NextExperimentId = 0;

    std::vector<StripFace> m_Faces;
    std::vector<std::array<int, 3>> m_FaceEdges; // edges (i0, i1), (i1, i2), (i2, i0) of each face
    std::vector<StripEdge> m_Edges;
    std::vector<int> m_VertexEdges; // head of each vertex's edge list

    std::vector<StripInfo> m_Strips;           // committed, in the order found
    std::vector<std::vector<int>> m_OutStrips; // cut and ordered for the cache
    std::vector<int> m_Leftovers;              // faces of pieces below the minimum length, ordered
};
