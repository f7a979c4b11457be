#pragma once

#include "engine/core/kaPoint.h"

#include <cstddef>
#include <vector>

// The drawing origins of the tree walk, shared by every window. A base origin of 0, 0 always stays at
// the bottom, so a walk that starts on an empty stack reads a defined top.
class guiOriginStack
{
public:
    static guiOriginStack& Get();

    const kaPoint& Top() const { return m_Points.back(); }
    void Translate(const kaPoint& offset);
    void PushCopy();
    // Leaves the base in place.
    void Pop();
    // Entries above the base.
    std::size_t Depth() const { return m_Points.size() - 1; }

private:
    guiOriginStack();

    std::vector<kaPoint> m_Points;
};
