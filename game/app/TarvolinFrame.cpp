#include "game/app/ProfilerSection.h"
#include "game/app/Tarvolin.h"

#include "editor/MapEditorWindow.h"
#include "engine/core/InputDevice.h"
#include "engine/core/InputManager.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaProfiler.h"
#include "engine/core/kaStartup.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiManager.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaWorld.h"
#include "game/screens/DebugWindow.h"
#include "platform/files/Files.h"
#include "platform/window/Window.h"

#include <cmath>

namespace
{

constexpr int kElapsedTime = 6;
constexpr const char* kSoundSection = "SoundManager/Wizard::Update";
constexpr const char* kGuiSection = "GUIManager::Update";
constexpr const char* kGraphicsUpdateSection = "GraphicsManager::Update";

// Input actions of the pointer and the debug keys.
constexpr int kPointerButtonAction = 3;
constexpr int kCycleWorldDebugAction = 10;
constexpr int kCycleQuadTreeAction = 11;
constexpr int kPhysicsDebugAction = 13;
constexpr int kPlayer = 0;

constexpr uint8_t kPauseKey = 0x13;
constexpr uint8_t kEscapeKey = 0x1B;
constexpr uint8_t kScreenshotKey = 0x78;
constexpr uint8_t kConsoleKey = '`';
constexpr uint8_t kNextSongKey = '+';
constexpr uint8_t kPreviousSongKey = '-';

// Kinds of the raw mouse events the message loop reports.
constexpr int kMouseX = platform::kMouseKindX;
constexpr int kMouseY = platform::kMouseKindY;
constexpr int kMouseWheel = platform::kMouseKindWheel;
constexpr int kMouseButton0 = platform::kMouseKindButton0;
constexpr int kMouseLastButton = platform::kMouseKindButton0 + platform::kMouseButtonCount - 1;

void Dispatch(const guiMsgMouse& message)
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->OnMouseInput(message);
}

} // namespace

float Tarvolin::_TakeFrameTime(float* rawFrameTime)
{
    float frameTime = static_cast<float>(GetTime(kElapsedTime));
    if (rawFrameTime != nullptr)
        *rawFrameTime = frameTime;
    if (frameTime > kMaxFrameTime)
        frameTime = kHitchFrameTime;
    m_FrameTime = frameTime;
    return frameTime;
}

void Tarvolin::_RunFrameWork(float frameTime, bool profiled)
{
    g_ApplicationRunning = 1;
    {
        ProfilerSection sound(kSoundSection, profiled);
        SoundManager::Instance()->CommitDeferredSettings();
        if (g_pWizard != nullptr)
            g_pWizard->Update(frameTime);
    }
    {
        ProfilerSection gui(kGuiSection, profiled);
        if (g_pGuiManager != nullptr)
            g_pGuiManager->Update(frameTime);
    }
    if (m_GraphicsManager != nullptr)
    {
        ProfilerSection graphicsUpdate(kGraphicsUpdateSection, profiled);
        m_GraphicsManager->UpdateSceneObjects(frameTime);
    }
    Render();
}

void Tarvolin::_CountFrame()
{
    ++m_FrameCount;
    if (m_FrameLimit != 0 && m_FrameCount >= m_FrameLimit && !m_CloseRequested)
    {
        // Closing the window takes the same road as the system's close: nothing is asked.
        m_CloseRequested = platform::PostMessage(GetWindowHandle(), platform::WM_CLOSE, 0, 0);
    }
    if (m_ShowProfiler && g_pProfiler != nullptr)
        g_pProfiler->EndFrame(m_FrameTime, m_ProfilerWindow);
}

void Tarvolin::_OnSystemCommand(platform::WPARAM command, platform::LPARAM detail)
{
    if ((command & platform::SC_COMMAND_MASK) != platform::SC_CLOSE)
    {
        platform::DefWindowProc(GetWindowHandle(), platform::WM_SYSCOMMAND, command, detail);
        return;
    }
    if (m_ShutDown)
        return;
    MapEditorWindow* editor = GetEditorWindow();
    if (editor != nullptr && !editor->ConfirmClose())
        return;
    PostClose();
}

void Tarvolin::PostClose()
{
    // Posted, not sent: asked inside a dialog's wait, the close still ends every wait first.
    platform::PostMessage(GetWindowHandle(), platform::WM_CLOSE, 0, 0);
}

bool Tarvolin::PumpMessagesOnce()
{
    if (m_ShutDown)
        return false;
    // The quit and the window's close belong to the main loop. Handled here, the shutdown would run under
    // the wait, and the code that opened it would go on with what the shutdown destroyed. While one waits,
    // every wait ends at once, and the loop finds it once the code that opened them is done.
    if (platform::IsMessageWaiting(platform::WM_QUIT) || platform::IsMessageWaiting(platform::WM_CLOSE))
        return false;
    // Everything queued goes before the frame, as in the main loop: keys typed quickly and the click after
    // them reach the GUI in the order they were given, not a key a frame behind the click.
    platform::Message message;
    while (platform::PeekMessage(message, platform::PM_REMOVE))
    {
        if (message.message == platform::WM_QUIT)
        {
            platform::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (message.message == platform::WM_CLOSE)
        {
            platform::PostMessage(message.window, message.message, message.wParam, message.lParam);
            return false;
        }
        platform::TranslateMessage(message);
        platform::DispatchMessage(message);
        kaStartup::FilterMessage(*this, message);
        if (m_ShutDown)
            return false;
    }
    const float frameTime = _TakeFrameTime();
    if (m_GraphicsManager != nullptr && m_GraphicsManager->CheckDevice() != platform::GFX_OK)
        return true;
    if (m_InputManager != nullptr)
        m_InputManager->Update();
    ProcessInput(frameTime);
    _RunFrameWork(frameTime, false);
    return !m_ShutDown;
}

void Tarvolin::_DispatchAxis(int axis, float value)
{
    // The GUI moves in whole pixels; what is left over waits for the next frames so that slow stick
    // movement still moves the cursor.
    // Tenths summed in floats fall just short of whole numbers: a hair more counts as the whole pixel.
    constexpr float kRounding = 1e-4f;
    float& remainder = m_AxisRemainder[axis];
    remainder += value;
    const float whole = std::trunc(remainder + std::copysign(kRounding, remainder));
    remainder -= whole;
    guiMsgMouse message;
    message.data.moved = true;
    const int32_t pixels = static_cast<int32_t>(whole);
    switch (axis)
    {
    case 0:
        message.deltaX = value;
        message.data.dx = pixels;
        break;
    case 1:
        message.deltaY = value;
        message.data.dy = pixels;
        break;
    default:
        message.data.wheel = pixels;
        break;
    }
    Dispatch(message);
}

void Tarvolin::_TrackPointer(bool known, int32_t x, int32_t y)
{
    m_PointerTracked = known;
    if (known)
        m_PointerToCursor = false;
    m_PointerX = x;
    m_PointerY = y;
}

bool Tarvolin::_FollowPointer()
{
    guiCursor* cursor = g_pGuiManager != nullptr ? g_pGuiManager->GetCursor() : nullptr;
    platform::Point pointer;
    if (cursor == nullptr || !cursor->IsVisible() ||
        !platform::GetCursorClientPosition(GetWindowHandle(), pointer))
    {
        _TrackPointer(false, 0, 0);
        if (cursor != nullptr && !cursor->IsVisible())
            m_PointerToCursor = true;
        return false;
    }
    if (m_PointerToCursor)
    {
        // The pointer stood still or wandered off while the mouse steered; the cursor shows where it was
        // hidden, and the pointer goes there so that the next move starts from it.
        const kaPoint at = g_pGuiManager->GetCursorPosition();
        if (platform::SetCursorClientPosition(GetWindowHandle(), platform::Point{at.x, at.y}))
        {
            _TrackPointer(true, at.x, at.y);
            return true;
        }
    }
    // The GUI's own moves of the cursor stand until the pointer moves.
    if (!m_PointerTracked || pointer.x != m_PointerX || pointer.y != m_PointerY)
    {
        guiMsgMouse message;
        message.data.moved = true;
        message.data.absolute = true;
        message.data.x = pointer.x;
        message.data.y = pointer.y;
        Dispatch(message);
    }
    _TrackPointer(true, pointer.x, pointer.y);
    return true;
}

void Tarvolin::ProcessInput(float frameTime)
{
    // The cursor sits where the system pointer is; the mouse's own motion then would only make it drift.
    const bool followsPointer = _FollowPointer();
    if (m_InputManager == nullptr)
        return;
    for (int axis = 0; axis < 3; ++axis)
    {
        int32_t kind = InputDevice::kKindInvalid;
        const int32_t value = m_InputManager->GetActionValue(axis, &kind, kPlayer);
        if (value == 0)
            continue;
        if (followsPointer && axis < 2 && kind == InputDevice::kKindRelativeAxis)
            continue;
        float delta = static_cast<float>(value);
        if (kind != InputDevice::kKindRelativeAxis)
            delta *= kAbsoluteAxisScale * frameTime;
        _DispatchAxis(axis, delta);
    }
    for (int button = 0; button < 3; ++button)
    {
        const bool pressed =
            m_InputManager->GetActionValue(kPointerButtonAction + button, nullptr, kPlayer) > 0;
        // Only a change the poll sees and the GUI has not heard of yet (from the window's messages).
        const bool polledChange = pressed != m_PolledButtons[button];
        m_PolledButtons[button] = pressed;
        if (!polledChange || pressed == m_ButtonStates[button])
            continue;
        guiMsgMouse message;
        message.data.buttons[button] = pressed;
        message.data.changed[button] = true;
        message.data.buttonsChanged = true;
        Dispatch(message);
        m_ButtonStates[button] = pressed;
    }
    // The debug keys act every frame they are held.
    auto* world = dynamic_cast<kaWorld*>(GetCurrentWorld());
    if (world == nullptr)
        return;
    auto held = [this](int action) { return m_InputManager->GetActionValue(action, nullptr, kPlayer) > 0; };
    if (held(kCycleWorldDebugAction))
        world->CycleDebugDisplay();
    if (held(kCycleQuadTreeAction) && world->GetQuadTree() != nullptr)
        world->GetQuadTree()->CycleDebugDraw();
    if (held(kPhysicsDebugAction))
        if (auto* physics = dynamic_cast<kaPhysicsWorld*>(world))
            physics->ToggleDebugDraw();
}

bool Tarvolin::OnMouse(int kind, int pressed, int amount, int /*unused*/)
{
    if (kind == 0)
        return false;
    if (kind > kMouseLastButton || m_ShutDown)
        return true;
    guiMsgMouse message;
    gui::MouseData& data = message.data;
    switch (kind)
    {
    case kMouseX:
        data.dx = amount;
        message.deltaX = static_cast<float>(amount);
        data.moved = true;
        break;
    case kMouseY:
        data.dy = amount;
        message.deltaY = static_cast<float>(amount);
        data.moved = true;
        break;
    case kMouseWheel:
        data.wheel = amount;
        data.moved = true;
        break;
    default:
    {
        const int button = kind - kMouseButton0;
        // The same change polled from the input devices may have reached the GUI first.
        if ((pressed != 0) == m_ButtonStates[button])
            return true;
        // The pointer may have moved since the frame last put the cursor at it: a quick move and click
        // arrive together, and the click belongs where the pointer is, not where the last frame saw it.
        _FollowPointer();
        m_ButtonStates[button] = pressed != 0;
        data.buttons[button] = pressed != 0;
        data.changed[button] = true;
        data.buttonsChanged = true;
        break;
    }
    }
    Dispatch(message);
    return true;
}

bool Tarvolin::OnKey(uint32_t code, bool isVirtualKey, uint8_t shift, uint8_t alt, uint8_t ctrl)
{
    if (m_ShutDown)
        return true;
    guiMsgKey message;
    message.key = static_cast<uint8_t>(code & 0xFF);
    message.virtualKey = isVirtualKey ? 1 : 0;
    message.shift = shift;
    message.alt = alt;
    message.ctrl = ctrl;
    const uint8_t key = message.key;
    if (!isVirtualKey)
    {
        // The music keys go on to the GUI as well.
        if (key == kNextSongKey)
            ChangeSong(true);
        else if (key == kPreviousSongKey)
            ChangeSong(false);
        else if (key == kConsoleKey && m_ConsoleEnabled)
        {
            if (m_ConsoleWindow != nullptr)
            {
                m_ConsoleWindow->Toggle();
                if (g_pGuiManager != nullptr)
                    g_pGuiManager->BringToFront(m_ConsoleWindow);
            }
            return true;
        }
    }
    else
    {
        if (key == kPauseKey && _HasWorld() && !IsEditor())
            SetPaused(!IsPaused());
        else if (key == kEscapeKey && m_SplashStage == kSplashTitle)
            EndSplash();
        else if (key == kScreenshotKey)
        {
            _SaveScreenshot();
            return true;
        }
    }
    if (g_pGuiManager != nullptr)
        g_pGuiManager->OnKey(message);
    return true;
}

void Tarvolin::_SaveScreenshot()
{
    platform::CreateDirectory(kScreenshotFolder);
    if (m_GraphicsManager != nullptr)
        m_GraphicsManager->SaveScreenshot(GetWindowHandle(), kScreenshotBaseName);
}

void Tarvolin::ConsoleCommand(const std::string& command)
{
    if (m_ConsoleWindow != nullptr)
        m_ConsoleWindow->AddLine(command);
}
