#pragma once

#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>

class guiDisplayBox;
class guiMsgEvent;
class guiTextBox;

// The debug console: an output box showing the last line sent to it and an input line. The console key
// cycles it through small, wide and hidden.
class DebugWindow : public guiWindow
{
public:
    static constexpr const char* kLayoutFile = "DebugWindow.kab";
    static constexpr const char* kWindowName = "Console";
    static constexpr const char* kOutputName = "OutputBox";
    static constexpr const char* kInputName = "InputBox";
    static constexpr float kLeft = 464.0f;
    static constexpr float kTop = 450.0f;
    static constexpr float kSmallWidth = 250.0f;
    static constexpr float kWideWidth = 500.0f;
    static constexpr float kHeight = 125.0f;

    enum State : int32_t
    {
        kSmall = 0,
        kWide = 1,
        kHidden = 2,
    };

    static const kaClassInfo& StaticClassInfo();

    DebugWindow();
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // Hidden, small, wide, hidden again.
    void Toggle();
    // The box shows this line alone.
    void AddLine(const std::string& text);
    // Typing again replaces what was entered; the text is not interpreted.
    bool OnInputCommitted(const guiMsgEvent& event);

    State GetState() const { return m_State; }
    guiDisplayBox* GetOutputBox() const { return m_OutputBox; }
    guiTextBox* GetInputBox() const { return m_InputBox; }

private:
    State m_State = kHidden;
    guiDisplayBox* m_OutputBox = nullptr;
    guiTextBox* m_InputBox = nullptr;
};
