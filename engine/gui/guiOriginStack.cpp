#include "engine/gui/guiOriginStack.h"

#include "engine/gui/guiCoord.h"

guiOriginStack& guiOriginStack::Get()
{
    static guiOriginStack stack;
    return stack;
}

guiOriginStack::guiOriginStack() : m_Points(1) {}

void guiOriginStack::Translate(const kaPoint& offset)
{
    m_Points.back() = gui::AddPixels(m_Points.back(), offset);
}

void guiOriginStack::PushCopy()
{
    m_Points.push_back(m_Points.back());
}

void guiOriginStack::Pop()
{
    if (m_Points.size() > 1)
        m_Points.pop_back();
}
