#include "engine/model/VertexCache.h"

#include <algorithm>

VertexCache::VertexCache(int size) : m_Entries(static_cast<size_t>(std::max(size, 1)), -1) {}

bool VertexCache::InCache(int vertex) const
{
    return std::find(m_Entries.begin(), m_Entries.end(), vertex) != m_Entries.end();
}

void VertexCache::AddEntry(int vertex)
{
    std::move_backward(m_Entries.begin(), m_Entries.end() - 1, m_Entries.end());
    m_Entries.front() = vertex;
}

void VertexCache::AddFace(const StripFace& face)
{
    for (int corner = 0; corner < 3; ++corner)
    {
        if (!InCache(face.Index(corner)))
            AddEntry(face.Index(corner));
    }
}

int VertexCache::FaceHits(const StripFace& face) const
{
    int hits = 0;
    for (int corner = 0; corner < 3; ++corner)
    {
        if (InCache(face.Index(corner)))
            ++hits;
    }
    return hits;
}
