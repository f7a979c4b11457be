#include "game/screens/DebugWindow.h"

#include "engine/gui/guiCoordPair.h"

DebugWindow::DebugWindow()
    : guiWindow(kWindowName, guiCoordPair::Pixels(0, 0), guiCoordPair::Relative(1.0f, 0.5f),
                kAlignLeft | kAlignTop)
{
    SetVisible(false);
}

void DebugWindow::Toggle()
{
    m_State = m_State == kHidden ? kShown : kHidden;
    SetVisible(m_State != kHidden);
}

void DebugWindow::AddLine(const std::string& text)
{
    // The console is a view of recent output: the oldest lines go first.
    constexpr std::size_t kMaxLines = 500;
    if (m_Lines.size() >= kMaxLines)
        m_Lines.erase(m_Lines.begin());
    m_Lines.push_back(text);
}
