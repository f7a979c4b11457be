#pragma once

#include "engine/model/StripFace.h"

#include <vector>

// A simulated post-transform vertex cache: the newest vertex at the front, the oldest falls out.
class VertexCache
{
public:
    explicit VertexCache(int size);

    bool InCache(int vertex) const;
    void AddEntry(int vertex);
    // Adds the face's vertices in order, skipping those already held.
    void AddFace(const StripFace& face);
    // How many of the face's three vertices the cache holds.
    int FaceHits(const StripFace& face) const;

private:
    std::vector<int> m_Entries;
};
