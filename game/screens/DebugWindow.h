#pragma once

#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>
#include <vector>

// The debug console. Until its own screen exists it keeps the lines it is given and its display state,
// shown while the state is not hidden.
class DebugWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = "Console";
    enum State : int32_t
    {
        kHidden = 0,
        kShown = 1,
    };

    DebugWindow();

    // Hidden, then shown, then hidden again.
    void Toggle();
    void AddLine(const std::string& text);

    State GetState() const { return m_State; }
    const std::vector<std::string>& GetLines() const { return m_Lines; }

private:
    State m_State = kHidden;
    std::vector<std::string> m_Lines;
};
