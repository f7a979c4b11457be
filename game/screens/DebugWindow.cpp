#include "game/screens/DebugWindow.h"

#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiCoordPair.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiMessages.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextParams.h"
#include "engine/gui/guiWidgetLookup.h"

namespace
{

// Light on the console's own dark back, whatever lies behind the window.
constexpr const char* kLineFont = "bar12m";

} // namespace

const kaClassInfo& DebugWindow::StaticClassInfo()
{
    static const kaClassInfo record("[DebugWindow]", kDebugWindowClassId, &guiWindow::StaticClassInfo());
    return record;
}

DebugWindow::DebugWindow() : guiWindow(std::string(kLayoutFile))
{
    if (GetName().empty())
        SetName(kWindowName);
    SetPosition(guiCoordPair::Pixels(kLeft, kTop));
    m_OutputBox = guiWidgetLookup::Find<guiDisplayBox>(*this, kOutputName);
    m_InputBox = guiWidgetLookup::Find<guiTextBox>(*this, kInputName);
    if (m_InputBox != nullptr)
        m_InputBox->AddHandler(gui::kEventValueChanged,
                               [this](const guiMsgEvent& event) { return OnInputCommitted(event); });
    // Starts hidden without the manager's hiding, which it has not joined yet.
    if (IsVisible())
        _SetVisibleAlone(*this, false);
}

void DebugWindow::Toggle()
{
    m_State = m_State == kHidden ? kSmall : State(m_State + 1);
    switch (m_State)
    {
    case kSmall:
        if (g_pGuiManager != nullptr)
            g_pGuiManager->ActivateWindow(this);
        else
            SetVisible(true);
        SetSize(guiCoordPair::Pixels(kSmallWidth, kHeight));
        break;
    case kWide:
        SetSize(guiCoordPair::Pixels(kWideWidth, kHeight));
        break;
    case kHidden:
        if (g_pGuiManager != nullptr)
            g_pGuiManager->HideWindow(this, gui::kModalDone);
        else
            SetVisible(false);
        break;
    }
}

void DebugWindow::AddLine(const std::string& text)
{
    if (m_OutputBox == nullptr)
        return;
    m_OutputBox->Clear();
    guiTextParams line;
    line.text = text;
    line.font = kLineFont;
    m_OutputBox->AppendText(line, 0);
}

bool DebugWindow::OnInputCommitted(const guiMsgEvent& /*event*/)
{
    if (m_InputBox == nullptr)
        return true;
    m_InputBox->SelectText(m_InputBox->GetText());
    SetFocus(m_InputBox);
    return true;
}
