#pragma once

#include "platform/window/Rect.h"

#include <cstddef>
#include <vector>

// The clip rectangles of the tree walk, shared by every window. The full-screen base rectangle always
// stays at the bottom.
class guiClipStack
{
public:
    static constexpr int32_t kBaseRight = 2048;
    static constexpr int32_t kBaseBottom = 1536;

    static guiClipStack& Get();

    const platform::Rect& Top() const { return m_Rects.back(); }
    void PushCopy();
    void IntersectTop(const platform::Rect& rect);
    void ReplaceTop(const platform::Rect& rect);
    // Leaves the base in place.
    void Pop();
    // Entries above the base.
    std::size_t Depth() const { return m_Rects.size() - 1; }

private:
    guiClipStack();

    std::vector<platform::Rect> m_Rects;
};
