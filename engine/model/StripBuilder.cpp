#include "engine/model/StripBuilder.h"

#include "platform/system/DebugOutput.h"

#include <algorithm>

StripBuilder::StripBuilder(const uint16_t* indices, uint32_t indexCount, unsigned int cacheSize,
                           unsigned int minLength)
    : m_Indices(indices, indices + indexCount),
      // Room is left for the vertices a strip drags along beyond its own faces. Computed signed so
      // that small sizes clamp instead of wrapping.
      m_CacheSize(std::max(static_cast<int>(std::min(cacheSize, 0x10000u)) - 6, 1)), m_MinLength(minLength)
{
}

void StripBuilder::Run()
{
    _BuildStripifyInfo();
    if (m_Faces.empty())
        return;
    _FindAllStrips(kSamplesPerPass);
    _SplitUpStripsAndOptimize();
}

int StripBuilder::GetNextIndex(const std::vector<int>& sequence, const StripFace& face)
{
    const int p = sequence[sequence.size() - 2];
    const int q = sequence.back();
    for (int corner = 0; corner < 3; ++corner)
    {
        const int vertex = face.Index(corner);
        if (vertex == p || vertex == q)
            continue;
        for (int other = corner + 1; other < 3; ++other)
        {
            if (face.Index(other) != p && face.Index(other) != q)
            {
                platform::OutputDebugString("GetNextIndex: Triangle doesn't have all of its vertices\n");
                platform::OutputDebugString("GetNextIndex: Duplicate triangle probably got us derailed\n");
                break;
            }
        }
        return vertex;
    }
    platform::OutputDebugString("GetNextIndex: Duplicate triangle sent\n");
    return -1;
}

void StripBuilder::_BuildStripifyInfo()
{
    int maxIndex = 0;
    for (uint16_t index : m_Indices)
        maxIndex = std::max<int>(maxIndex, index);
    m_VertexEdges.assign(static_cast<size_t>(maxIndex) + 1, -1);

    std::unordered_set<uint64_t> listed;
    const size_t faceCount = m_Indices.size() / 3;
    for (size_t f = 0; f < faceCount; ++f)
    {
        StripFace face;
        face.m_I0 = m_Indices[f * 3];
        face.m_I1 = m_Indices[f * 3 + 1];
        face.m_I2 = m_Indices[f * 3 + 2];
        // A triangle with a repeated vertex covers nothing and would hang a face on a one-vertex edge.
        if (face.m_I0 == face.m_I1 || face.m_I1 == face.m_I2 || face.m_I2 == face.m_I0)
            continue;
        const uint64_t key = (static_cast<uint64_t>(face.m_I0) << 32) |
                             (static_cast<uint64_t>(face.m_I1) << 16) | static_cast<uint64_t>(face.m_I2);
        if (!listed.insert(key).second)
            continue;

        const int number = static_cast<int>(m_Faces.size());
        m_Faces.push_back(face);
        m_FaceEdges.push_back({_LinkEdge(face.m_I0, face.m_I1, number),
                               _LinkEdge(face.m_I1, face.m_I2, number),
                               _LinkEdge(face.m_I2, face.m_I0, number)});
    }
}

int StripBuilder::_LinkEdge(int a, int b, int face)
{
    const int found = _FindEdge(a, b);
    if (found >= 0)
    {
        StripEdge& edge = m_Edges[found];
        if (edge.m_Face1 < 0)
            edge.m_Face1 = face;
        else
            platform::OutputDebugString(
                "BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences\n");
        return found;
    }
    StripEdge edge;
    edge.m_Face0 = face;
    edge.m_E0 = a;
    edge.m_E1 = b;
    edge.m_NextE0 = m_VertexEdges[a];
    edge.m_NextE1 = m_VertexEdges[b];
    const int number = static_cast<int>(m_Edges.size());
    m_Edges.push_back(edge);
    m_VertexEdges[a] = number;
    m_VertexEdges[b] = number;
    return number;
}

int StripBuilder::_FindEdge(int a, int b) const
{
    for (int e = m_VertexEdges[a]; e >= 0; e = m_Edges[e].NextFor(a))
    {
        if (m_Edges[e].Joins(a, b))
            return e;
    }
    return -1;
}

int StripBuilder::_OtherFace(int face, int a, int b) const
{
    const int edge = _FindEdge(a, b);
    return edge < 0 ? -1 : m_Edges[edge].OtherFace(face);
}

int StripBuilder::_FindResetFace()
{
    const int count = static_cast<int>(m_Faces.size());
    int start = -1;
    if (m_FirstReset)
    {
        // Start at a border, where strips have only one way to go.
        for (int f = 0; f < count && start < 0; ++f)
        {
            int open = 0;
            for (int edge : m_FaceEdges[f])
            {
                if (m_Edges[edge].OtherFace(f) < 0)
                    ++open;
            }
            if (open >= 2)
                start = f;
        }
        m_FirstReset = false;
    }
    if (start < 0)
        start = static_cast<int>(static_cast<float>(count - 1) * m_MeshJump);

    m_MeshJump += 0.1f;
    if (m_MeshJump > 1.0f)
        m_MeshJump = 0.05f;

    for (int step = 0; step < count; ++step)
    {
        const int f = (start + step) % count;
        if (m_Faces[f].m_StripId < 0)
            return f;
    }
    return -1;
}

void StripBuilder::_FindAllStrips(int samples)
{
    bool done = false;
    while (!done)
    {
        std::vector<std::vector<StripInfo>> experiments;
        std::vector<int> sampled;
        for (int sample = 0; sample < samples; ++sample)
        {
            const int face = _FindResetFace();
            if (face < 0)
            {
                done = true;
                break;
            }
            if (std::find(sampled.begin(), sampled.end(), face) != sampled.end())
                continue;
            sampled.push_back(face);
            for (int edge : m_FaceEdges[face])
            {
                for (bool towardsE1 : {true, false})
                {
                    const StripStart start{face, edge, towardsE1};
                    experiments.push_back({StripInfo(start, m_NextStripId++, m_NextExperimentId++)});
                }
            }
        }
        if (experiments.empty())
            break;

        for (std::vector<StripInfo>& experiment : experiments)
        {
            _GrowStrip(experiment.front());
            StripStart next;
            while (_FindNextStripStart(experiment.back(), next))
            {
                experiment.emplace_back(next, m_NextStripId++, experiment.front().m_ExperimentId);
                _GrowStrip(experiment.back());
            }
        }

        // Long strips and many of them: mean length times (1 + strip count).
        size_t best = 0;
        double bestValue = 0.0;
        for (size_t e = 0; e < experiments.size(); ++e)
        {
            size_t faces = 0;
            for (const StripInfo& strip : experiments[e])
                faces += strip.m_Faces.size();
            const double strips = static_cast<double>(experiments[e].size());
            const double value = static_cast<double>(faces) / strips * (1.0 + strips);
            if (value > bestValue)
            {
                bestValue = value;
                best = e;
            }
        }
        for (StripInfo& strip : experiments[best])
        {
            strip.Commit();
            for (int face : strip.m_Faces)
                strip.MarkTriangle(m_Faces[face]);
            m_Strips.push_back(std::move(strip));
        }
    }
}

void StripBuilder::_GrowStrip(StripInfo& strip)
{
    const StripStart& start = strip.m_Start;
    const StripEdge& edge = m_Edges[start.m_Edge];
    const int s0 = start.m_TowardsE1 ? edge.m_E0 : edge.m_E1;
    const int s1 = start.m_TowardsE1 ? edge.m_E1 : edge.m_E0;
    const StripFace& startFace = m_Faces[start.m_Face];

    std::vector<int> forward{start.m_Face};
    strip.MarkTriangle(m_Faces[start.m_Face]);
    std::unordered_set<int> seen{startFace.m_I0, startFace.m_I1, startFace.m_I2};

    std::vector<int> sequence{s0, s1};
    const int s2 = GetNextIndex(sequence, startFace);
    std::vector<int> backward;
    if (s2 >= 0)
    {
        sequence.push_back(s2);
        _WalkStrip(strip, sequence, start.m_Face, forward, seen);
        sequence = {s2, s1, s0};
        _WalkStrip(strip, sequence, start.m_Face, backward, seen);
    }
    strip.m_Faces.assign(backward.rbegin(), backward.rend());
    strip.m_Faces.insert(strip.m_Faces.end(), forward.begin(), forward.end());
}

void StripBuilder::_WalkStrip(StripInfo& strip, std::vector<int>& sequence, int face,
                              std::vector<int>& collected, std::unordered_set<int>& seen)
{
    for (;;)
    {
        const int p = sequence[sequence.size() - 2];
        const int q = sequence.back();
        const int next = _OtherFace(face, p, q);
        if (next < 0 || strip.IsTaken(m_Faces[next]))
            return;
        const StripFace& candidate = m_Faces[next];
        if (seen.count(candidate.m_I0) && seen.count(candidate.m_I1) && seen.count(candidate.m_I2))
            return;
        // A strip alternates its winding from triangle to triangle; a neighbour wound the same way
        // round the shared edge would come out reversed.
        if (m_Faces[face].Traverses(p, q) != candidate.Traverses(q, p))
            return;
        const int r = GetNextIndex(sequence, candidate);
        if (r < 0)
            return;
        collected.push_back(next);
        strip.MarkTriangle(m_Faces[next]);
        seen.insert({candidate.m_I0, candidate.m_I1, candidate.m_I2});
        sequence.push_back(r);
        face = next;
    }
}

bool StripBuilder::_FindNextStripStart(const StripInfo& strip, StripStart& next) const
{
    const StripEdge& startEdge = m_Edges[strip.m_Start.m_Edge];
    const int vertex = strip.m_Start.m_TowardsE1 ? startEdge.m_E1 : startEdge.m_E0;
    for (int e = m_VertexEdges[vertex]; e >= 0; e = m_Edges[e].NextFor(vertex))
    {
        const StripEdge& edge = m_Edges[e];
        int face = -1;
        if (edge.m_Face0 >= 0 && !strip.IsInStrip(m_Faces[edge.m_Face0]) && edge.m_Face1 >= 0 &&
            !strip.IsTaken(m_Faces[edge.m_Face1]))
            face = edge.m_Face1;
        else if (edge.m_Face1 >= 0 && !strip.IsInStrip(m_Faces[edge.m_Face1]) && edge.m_Face0 >= 0 &&
                 !strip.IsTaken(m_Faces[edge.m_Face0]))
            face = edge.m_Face0;
        if (face < 0)
            continue;
        next.m_Face = face;
        next.m_Edge = e;
        next.m_TowardsE1 = _TouchesStrip(strip, face) ? edge.m_E0 == vertex : edge.m_E1 == vertex;
        return true;
    }
    return false;
}

bool StripBuilder::_TouchesStrip(const StripInfo& strip, int face) const
{
    for (int e : m_FaceEdges[face])
    {
        const StripEdge& edge = m_Edges[e];
        if ((edge.m_Face0 >= 0 && strip.IsInStrip(m_Faces[edge.m_Face0])) ||
            (edge.m_Face1 >= 0 && strip.IsInStrip(m_Faces[edge.m_Face1])))
            return true;
    }
    return false;
}

void StripBuilder::_SplitUpStripsAndOptimize()
{
    const size_t pieceSize = static_cast<size_t>(m_CacheSize);
    std::vector<std::vector<int>> pieces;
    std::vector<int> loose;
    for (const StripInfo& strip : m_Strips)
    {
        for (size_t first = 0; first < strip.m_Faces.size(); first += pieceSize)
        {
            const size_t last = std::min(first + pieceSize, strip.m_Faces.size());
            std::vector<int> piece(strip.m_Faces.begin() + first, strip.m_Faces.begin() + last);
            if (piece.size() < m_MinLength)
                loose.insert(loose.end(), piece.begin(), piece.end());
            else
                pieces.push_back(std::move(piece));
        }
    }

    if (!loose.empty())
    {
        VertexCache cache(m_CacheSize);
        std::vector<bool> used(loose.size(), false);
        for (size_t round = 0; round < loose.size(); ++round)
        {
            size_t best = 0;
            int bestHits = -1;
            for (size_t i = 0; i < loose.size(); ++i)
            {
                if (used[i])
                    continue;
                const int hits = cache.FaceHits(m_Faces[loose[i]]);
                if (hits > bestHits)
                {
                    bestHits = hits;
                    best = i;
                }
            }
            used[best] = true;
            cache.AddFace(m_Faces[loose[best]]);
            m_Leftovers.push_back(loose[best]);
        }
    }

    if (pieces.empty())
        return;
    VertexCache cache(m_CacheSize);
    std::vector<bool> visited(pieces.size(), false);
    // Open with the loneliest strip: the fewest neighbours per face.
    size_t first = 0;
    double fewest = 10000.0;
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        const double ratio = _NeighboursPerFace(pieces[i]);
        if (ratio < fewest)
        {
            fewest = ratio;
            first = i;
        }
    }
    size_t current = first;
    for (size_t round = 0; round < pieces.size(); ++round)
    {
        visited[current] = true;
        for (int face : pieces[current])
            cache.AddFace(m_Faces[face]);
        m_OutStrips.push_back(pieces[current]);

        float bestHits = -1.0f;
        for (size_t i = 0; i < pieces.size(); ++i)
        {
            if (visited[i])
                continue;
            const float hits = _StripHits(cache, pieces[i]);
            if (hits > bestHits)
            {
                bestHits = hits;
                current = i;
            }
        }
    }
}

float StripBuilder::_StripHits(const VertexCache& cache, const std::vector<int>& faces) const
{
    int hits = 0;
    for (int face : faces)
        hits += cache.FaceHits(m_Faces[face]);
    return static_cast<float>(hits) / static_cast<float>(faces.size());
}

double StripBuilder::_NeighboursPerFace(const std::vector<int>& faces) const
{
    int neighbours = 0;
    for (int face : faces)
    {
        for (int edge : m_FaceEdges[face])
        {
            if (m_Edges[edge].OtherFace(face) >= 0)
                ++neighbours;
        }
    }
    return static_cast<double>(neighbours) / static_cast<double>(faces.size());
}

std::vector<StripGroup> StripBuilder::WriteGroups(bool stitch, bool listsOnly) const
{
    std::vector<StripGroup> groups;
    auto appendFaces = [this](const std::vector<int>& faces, StripGroup& list)
    {
        for (int face : faces)
        {
            list.m_Indices.push_back(static_cast<uint16_t>(m_Faces[face].m_I0));
            list.m_Indices.push_back(static_cast<uint16_t>(m_Faces[face].m_I1));
            list.m_Indices.push_back(static_cast<uint16_t>(m_Faces[face].m_I2));
        }
    };

    if (listsOnly)
    {
        StripGroup list;
        list.m_Type = StripGroup::kTriangleList;
        for (const std::vector<int>& strip : m_OutStrips)
            appendFaces(strip, list);
        appendFaces(m_Leftovers, list);
        if (!list.m_Indices.empty())
            groups.push_back(std::move(list));
        return groups;
    }

    std::vector<int> sequence;
    for (size_t s = 0; s < m_OutStrips.size(); ++s)
    {
        _WriteStrip(m_OutStrips[s], s == 0, stitch, sequence);
        if (!stitch)
        {
            StripGroup group;
            group.m_Indices.assign(sequence.begin(), sequence.end());
            groups.push_back(std::move(group));
            sequence.clear();
        }
        else if (s + 1 < m_OutStrips.size())
        {
            sequence.push_back(sequence.back());
        }
    }
    if (stitch && !sequence.empty())
    {
        StripGroup group;
        group.m_Indices.assign(sequence.begin(), sequence.end());
        groups.push_back(std::move(group));
    }
    if (!m_Leftovers.empty())
    {
        StripGroup list;
        list.m_Type = StripGroup::kTriangleList;
        appendFaces(m_Leftovers, list);
        groups.push_back(std::move(list));
    }
    return groups;
}

void StripBuilder::_WriteStrip(const std::vector<int>& faces, bool firstInGroup, bool stitch,
                               std::vector<int>& sequence) const
{
    const StripFace& first = m_Faces[faces[0]];
    int v[3] = {first.m_I0, first.m_I1, first.m_I2};
    // The strip must leave the first face across the edge it shares with the second, and the
    // second across the edge it shares with the third.
    if (faces.size() > 1)
    {
        const StripFace& second = m_Faces[faces[1]];
        for (int corner = 0; corner < 3; ++corner)
        {
            if (!second.Contains(v[corner]))
            {
                std::swap(v[0], v[corner]);
                break;
            }
        }
    }
    if (faces.size() > 2)
    {
        const StripFace& third = m_Faces[faces[2]];
        for (int corner = 0; corner < 3; ++corner)
        {
            if (third.Contains(v[corner]))
            {
                if (corner == 1)
                    std::swap(v[1], v[2]);
                break;
            }
        }
    }

    // Triangles at even places of a strip keep the written order, odd ones are reversed.
    const bool clockwise = first.Traverses(v[0], v[1]);
    if (firstInGroup || !stitch)
    {
        if (!clockwise)
            sequence.push_back(v[0]);
    }
    else
    {
        sequence.push_back(v[0]);
        const bool evenPlace = sequence.size() % 2 == 0;
        if (evenPlace != clockwise)
            sequence.push_back(v[0]);
    }
    sequence.insert(sequence.end(), {v[0], v[1], v[2]});

    for (size_t f = 1; f < faces.size(); ++f)
    {
        const StripFace& face = m_Faces[faces[f]];
        const size_t n = sequence.size();
        for (int corner = 0; corner < 3; ++corner)
        {
            const int vertex = face.Index(corner);
            if (vertex != sequence[n - 1] && vertex != sequence[n - 2] && vertex != sequence[n - 3])
            {
                sequence.push_back(vertex);
                break;
            }
        }
    }
}
