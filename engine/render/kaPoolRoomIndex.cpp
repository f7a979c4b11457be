#include "engine/render/kaPoolRoomIndex.h"

#include <algorithm>

void kaPoolRoomIndex::Set(uint16_t key, uint32_t room)
{
    if (key >= m_Leaves)
    {
        if (room == 0)
            return;
        // Grown by doubling, so a program with few pools keeps a small tree.
        size_t leaves = std::max<size_t>(m_Leaves, 16);
        while (leaves <= key)
            leaves *= 2;
        std::vector<uint32_t> tree(leaves * 2, 0);
        for (size_t i = 0; i < m_Leaves; ++i)
            tree[leaves + i] = m_Tree[m_Leaves + i];
        for (size_t i = leaves - 1; i >= 1; --i)
            tree[i] = std::max(tree[2 * i], tree[2 * i + 1]);
        m_Tree = std::move(tree);
        m_Leaves = leaves;
    }
    size_t at = m_Leaves + key;
    m_Tree[at] = room;
    // Above a node whose largest room stays as it was, nothing changes.
    for (at /= 2; at >= 1; at /= 2)
    {
        const uint32_t largest = std::max(m_Tree[2 * at], m_Tree[2 * at + 1]);
        if (m_Tree[at] == largest)
            break;
        m_Tree[at] = largest;
    }
}

int32_t kaPoolRoomIndex::FindFirst(uint32_t count) const
{
    if (m_Leaves == 0 || count == 0 || m_Tree[1] < count)
        return -1;
    size_t at = 1;
    while (at < m_Leaves)
        at = m_Tree[2 * at] >= count ? 2 * at : 2 * at + 1;
    return int32_t(at - m_Leaves);
}

uint32_t kaPoolRoomIndex::GetRoom(uint16_t key) const
{
    return key < m_Leaves ? m_Tree[m_Leaves + key] : 0;
}
