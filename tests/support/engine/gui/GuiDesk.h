#pragma once

#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/gui/guiWindowRenderObject.h"

#include <string>
#include <vector>

namespace testsupport
{

// A widget that writes what happens to it into a shared log: "A+" focus gained, "A-" lost, "A>" mouse
// entered, "A<" left, "A down", "A key".
class LogWidget : public guiWidget
{
public:
    LogWidget(const std::string& name, int x, int y, int w, int h, std::vector<std::string>& log)
        : guiWidget(name), m_Log(log)
    {
        SetPosition(guiCoordPair::Pixels(float(x), float(y)));
        SetSize(guiCoordPair::Pixels(float(w), float(h)));
    }
    void OnFocusGained() override
    {
        guiWidget::OnFocusGained();
        m_Log.push_back(m_Name + "+");
    }
    void OnFocusLost() override
    {
        guiWidget::OnFocusLost();
        m_Log.push_back(m_Name + "-");
    }
    void OnMouseEnter() override { m_Log.push_back(m_Name + ">"); }
    void OnMouseLeave() override { m_Log.push_back(m_Name + "<"); }
    bool OnMouseDown(int32_t, const gui::MouseData&) override
    {
        m_Log.push_back(m_Name + " down");
        return true;
    }
    bool OnKey(const guiMsgKey&) override
    {
        m_Log.push_back(m_Name + " key");
        return true;
    }

private:
    std::vector<std::string>& m_Log;
};

// A GUI manager with its frames run by hand: each frame walks every window's tree, as the renderer's
// update does, then updates the manager.
class GuiDesk
{
public:
    static constexpr float kStep = 0.05f;

    GuiDesk()
    {
        manager.SetFrameCallback(
            [this]
            {
                Frame();
                ++frames;
                return onFrame ? onFrame(frames) : true;
            });
    }

    guiWindow* AddWindow(const std::string& name, int x, int y, int w, int h)
    {
        auto* window = new guiWindow(name, guiCoordPair::Pixels(float(x), float(y)),
                                     guiCoordPair::Pixels(float(w), float(h)), 9);
        manager.AddWindow(window);
        return window;
    }

    void Frame(float dt = kStep)
    {
        std::vector<guiWindow*> windows = manager.GetWindows();
        if (manager.GetForegroundWindow() != nullptr)
            windows.push_back(manager.GetForegroundWindow());
        for (guiWindow* window : windows)
            window->GetRenderAdapter()->Update(dt);
        manager.Update(dt);
    }

    void MoveTo(int x, int y)
    {
        guiMsgMouse message;
        gui::MouseData& input = message.data;
        input.moved = true;
        input.dx = x - manager.GetCursorPosition().x;
        input.dy = y - manager.GetCursorPosition().y;
        manager.OnMouseInput(message);
        Frame();
    }

    void Button(int button, bool down)
    {
        guiMsgMouse message;
        gui::MouseData& input = message.data;
        input.buttonsChanged = true;
        input.changed[button] = true;
        input.buttons[button] = down;
        manager.OnMouseInput(message);
        Frame();
    }

    void Click(int x, int y)
    {
        MoveTo(x, y);
        Button(0, true);
        Button(0, false);
    }

    guiManager manager;
    int frames = 0;
    // Asked after each frame the manager runs itself; false ends a modal wait as the application would.
    boost::function<bool(int)> onFrame;
};

} // namespace testsupport
