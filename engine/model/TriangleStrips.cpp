#include "engine/model/TriangleStrips.h"

#include "engine/model/StripBuilder.h"
#include "platform/system/DebugOutput.h"

namespace
{
unsigned int g_CacheSize = 16;
bool g_Stitch = true;
bool g_ListsOnly = false;
unsigned int g_MinLength = 0;
} // namespace

void SetStripCacheSize(unsigned int size)
{
    g_CacheSize = size;
}

void SetStripStitching(bool stitch)
{
    g_Stitch = stitch;
}

void SetStripListsOnly(bool listsOnly)
{
    g_ListsOnly = listsOnly;
}

void SetStripMinLength(unsigned int minLength)
{
    g_MinLength = minLength;
}

std::vector<StripGroup> BuildTriangleStrips(const uint16_t* indices, uint32_t indexCount)
{
    if (indices == nullptr || indexCount < 3)
        return {};
    StripBuilder builder(indices, indexCount, g_CacheSize, g_MinLength);
    builder.Run();
    return builder.WriteGroups(g_Stitch, g_ListsOnly);
}

std::vector<StripGroup> RemapStripIndices(const std::vector<StripGroup>& groups, uint32_t vertexCount,
                                          std::vector<int>* oldToNew)
{
    std::vector<int> cache(vertexCount, -1);
    std::vector<StripGroup> remapped;
    remapped.reserve(groups.size());
    int used = 0;
    for (const StripGroup& group : groups)
    {
        StripGroup copy;
        copy.m_Type = group.m_Type;
        copy.m_Indices.reserve(group.m_Indices.size());
        for (uint16_t index : group.m_Indices)
        {
            if (index >= vertexCount)
            {
                platform::DebugPrintf("[RemapStripIndices] : index %u is past the %u vertices\n",
                                      static_cast<unsigned>(index), static_cast<unsigned>(vertexCount));
                if (oldToNew)
                    oldToNew->clear();
                return {};
            }
            if (cache[index] < 0)
                cache[index] = used++;
            copy.m_Indices.push_back(static_cast<uint16_t>(cache[index]));
        }
        remapped.push_back(std::move(copy));
    }
    if (oldToNew)
        *oldToNew = std::move(cache);
    return remapped;
}
