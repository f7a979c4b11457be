#include "engine/gui/guiClipStack.h"

guiClipStack& guiClipStack::Get()
{
    static guiClipStack stack;
    return stack;
}

guiClipStack::guiClipStack() : m_Rects(1, platform::Rect{0, 0, kBaseRight, kBaseBottom}) {}

void guiClipStack::PushCopy()
{
    m_Rects.push_back(m_Rects.back());
}

void guiClipStack::IntersectTop(const platform::Rect& rect)
{
    platform::IntersectRect(m_Rects.back(), m_Rects.back(), rect);
}

void guiClipStack::ReplaceTop(const platform::Rect& rect)
{
    m_Rects.back() = rect;
}

void guiClipStack::Pop()
{
    if (m_Rects.size() > 1)
        m_Rects.pop_back();
}
