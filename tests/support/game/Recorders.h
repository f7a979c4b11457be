#pragma once

#include "engine/gui/guiCoordPair.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/model/kaBillboard.h"
#include "game/app/Tarvolin.h"
#include "platform/system/ClockSource.h"
#include "tests/support/SteppingClock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gametest
{

// A full-screen window that takes every key and button it is given and keeps them.
class RecordingWindow : public guiWindow
{
public:
    RecordingWindow()
        : guiWindow("recorder", guiCoordPair::Pixels(0, 0), guiCoordPair::Relative(1, 1),
                    kAlignLeft | kAlignTop)
    {
    }
    bool OnKey(const guiMsgKey& message) override
    {
        keys.push_back(message);
        return true;
    }
    bool OnMouseDown(int32_t button, const gui::MouseData& /*data*/) override
    {
        downs.push_back(button);
        return true;
    }
    bool OnMouseUp(int32_t button, const gui::MouseData& /*data*/) override
    {
        ups.push_back(button);
        return true;
    }
    std::vector<uint8_t> KeyCodes() const
    {
        std::vector<uint8_t> codes;
        for (const guiMsgKey& key : keys)
            codes.push_back(key.key);
        return codes;
    }

    std::vector<guiMsgKey> keys;
    std::vector<int32_t> downs;
    std::vector<int32_t> ups;
};

// Registers a recording window, active and in front of the others.
inline RecordingWindow* AddFrontRecorder(guiManager& gui)
{
    auto* recorder = new RecordingWindow();
    gui.AddWindow(recorder);
    gui.ActivateWindow(recorder);
    gui.BringToFront(recorder);
    return recorder;
}

// The application, noting at each drawn frame the splash stage, the clock and the registered windows, and
// every key that reaches it.
class RecordingTarvolin : public Tarvolin
{
public:
    struct Frame
    {
        int32_t stage;
        double seconds;
        std::size_t windows;
        // The splash picture on screen, empty when none.
        std::string image;
    };
    struct Key
    {
        uint32_t code;
        bool isVirtualKey;
        uint8_t shift;
        uint8_t ctrl;
    };

    bool Render() override
    {
        const auto* clock = dynamic_cast<const testsupport::SteppingClock*>(&platform::GetClockSource());
        frames.push_back(Frame{GetSplashStage(), clock != nullptr ? clock->Ticks() / 1e6 : 0.0,
                               g_pGuiManager != nullptr ? g_pGuiManager->GetWindows().size() : 0,
                               GetSplashImage() != nullptr ? GetSplashImage()->GetTextureName() : ""});
        if (onRender)
            onRender(*this);
        return Tarvolin::Render();
    }

    bool OnKey(uint32_t code, bool isVirtualKey, uint8_t shift, uint8_t alt, uint8_t ctrl) override
    {
        keys.push_back(Key{code, isVirtualKey, shift, ctrl});
        return Tarvolin::OnKey(code, isVirtualKey, shift, alt, ctrl);
    }

    std::function<void(RecordingTarvolin&)> onRender;
    std::vector<Frame> frames;
    std::vector<Key> keys;
};

} // namespace gametest
