#pragma once

#include "engine/core/kaProfilerOutput.h"
#include "engine/gui/guiWindow.h"

#include <string>

class guiTextBox;

// The profiler's report on screen: a window from its layout at the top-left corner whose text box
// "profiler text" shows each report the profiler hands over.
class ProfilerWindow : public guiWindow, public kaProfilerOutput
{
public:
    static constexpr const char* kLayoutFile = "ProfilerWindow.kab";
    static constexpr const char* kTextName = "profiler text";
    static constexpr int32_t kWidth = 420;
    static constexpr int32_t kHeight = 300;

    ProfilerWindow();

    // A layout without the text box shows nothing.
    void SetText(const std::string& text) override;

    guiTextBox* GetTextBox() const { return m_Text; }

private:
    guiTextBox* m_Text = nullptr;
};
