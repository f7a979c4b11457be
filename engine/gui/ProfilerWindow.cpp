#include "engine/gui/ProfilerWindow.h"

#include "engine/gui/guiTextBox.h"

ProfilerWindow::ProfilerWindow() : guiWindow(std::string(kLayoutFile))
{
    SetPosition(guiCoordPair::Pixels(0, 0));
    SetSize(guiCoordPair::Pixels(kWidth, kHeight));
    if (guiGlyph* found = FindChild(kTextName))
        m_Text = found->DynamicCast<guiTextBox>();
}

void ProfilerWindow::SetText(const std::string& text)
{
    if (m_Text != nullptr)
        m_Text->SetText(text, 0);
}
