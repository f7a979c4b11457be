#include "engine/gui/guiManager.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaApp.h"
#include "engine/core/kaSoundHandle.h"
#include "engine/core/kaStringUtils.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiColorEffect.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/gui/guiWindow.h"
#include "engine/gui/guiWindowEffect.h"
#include "engine/gui/guiWindowRenderObject.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaWorld.h"
#include "platform/system/DebugOutput.h"
#include "platform/window/Window.h"

#include <algorithm>

guiManager* g_pGuiManager = nullptr;

namespace
{

constexpr int32_t kNoOrder = -10000;
constexpr int32_t kCursorLayer = 100;
// The halves of an animated switch, in seconds.
constexpr float kFadeTime = 0.2f;

bool IsPaused()
{
    const kaApp* app = kaApp::GetSingleton();
    return app != nullptr && app->IsPaused();
}

// The world's pick-ray display aims through the GUI cursor.
bool GuiCursorPosition(int32_t& x, int32_t& y)
{
    if (g_pGuiManager == nullptr)
        return false;
    const kaPoint cursor = g_pGuiManager->GetCursorPosition();
    x = cursor.x;
    y = cursor.y;
    return true;
}

} // namespace

guiManager::guiManager()
{
    g_pGuiManager = this;
    Wizard::SetSoundEnabledHook([this](bool enabled) { m_GuiSoundsOn = enabled; });
    kaWorld::SetCursorSource(&GuiCursorPosition);
}

guiManager::~guiManager()
{
    Wizard::SetSoundEnabledHook(nullptr);
    // The pointer is given back to the system as it was.
    if (m_RelativeMouse)
        platform::SetRelativeMouseMode(false);
    m_Effects.clear();
    for (guiGlyph* glyph : m_Removals)
        glyph->Release();
    m_Removals.clear();
    m_ModalStack.clear();
    m_Windows.clear();
    m_Active = nullptr;
    m_Hover = nullptr;
    const std::vector<guiWindowRenderObject*> held = m_HeldAdapters;
    m_HeldAdapters.clear();
    for (guiWindowRenderObject* adapter : held)
        adapter->Release();
    if (g_pGuiManager == this)
    {
        g_pGuiManager = nullptr;
        kaWorld::SetCursorSource(nullptr);
    }
}

bool guiManager::_IsRegistered(const guiWindow* window) const
{
    return window != nullptr && std::find(m_Windows.begin(), m_Windows.end(), window) != m_Windows.end();
}

void guiManager::AddWindow(guiWindow* window)
{
    if (window == nullptr || _IsRegistered(window))
        return;
    window->SetLayer(++m_RegistrationCounter);
    m_Windows.push_back(window);
    auto* adapter = new guiWindowRenderObject(window);
    if (g_pGraphicsManager != nullptr && g_pGraphicsManager->AddSceneObject(adapter, false))
        return;
    adapter->AddRef();
    m_HeldAdapters.push_back(adapter);
}

bool guiManager::RemoveWindow(guiWindow* window)
{
    if (!_IsRegistered(window))
        return false;
    _DropEffectsOn(window);
    // A wait on the window ends as cancelled instead of outliving it.
    for (auto it = m_ModalStack.begin(); it != m_ModalStack.end();)
    {
        if ((*it)->window == window)
        {
            (*it)->closed = true;
            (*it)->result = gui::kModalCancelled;
            it = m_ModalStack.erase(it);
        }
        else
            ++it;
    }
    m_Windows.erase(std::find(m_Windows.begin(), m_Windows.end(), window));
    if (window == m_MessageBox)
        m_MessageBox = nullptr;
    if (m_Active == window)
        m_Active = nullptr;
    if (m_Hover == window)
        m_Hover = nullptr;
    guiWindowRenderObject* adapter = window->GetRenderAdapter();
    const auto held = std::find(m_HeldAdapters.begin(), m_HeldAdapters.end(), adapter);
    if (held != m_HeldAdapters.end())
    {
        m_HeldAdapters.erase(held);
        adapter->Release();
    }
    else if (adapter != nullptr && g_pGraphicsManager != nullptr)
        g_pGraphicsManager->RemoveSceneObject(adapter);
    return true;
}

void guiManager::QueueRemoval(guiGlyph* glyph)
{
    if (glyph == nullptr || std::find(m_Removals.begin(), m_Removals.end(), glyph) != m_Removals.end())
        return;
    // Held until the queue is processed, so that it cannot vanish meanwhile.
    glyph->AddRef();
    m_Removals.push_back(glyph);
}

void guiManager::_ProcessRemovals()
{
    std::vector<guiGlyph*> queue;
    queue.swap(m_Removals);
    for (guiGlyph* glyph : queue)
    {
        guiWindow* window = glyph->DynamicCast<guiWindow>();
        if (window != nullptr && _IsRegistered(window))
        {
            RemoveWindow(window);
            glyph->Release();
            continue;
        }
        guiGlyph* parent = glyph->GetParent();
        // The queue's reference goes first, so that the parent's removal is the last one and the
        // window forgets the glyph.
        if (glyph->Release() > 0 && parent != nullptr)
            parent->RemoveChild(glyph);
    }
}

guiWindow* guiManager::FindWindow(const std::string& name) const
{
    const std::string wanted = ToLower(name);
    for (guiWindow* window : m_Windows)
        if (ToLower(window->GetName()) == wanted)
            return window;
    return nullptr;
}

int32_t guiManager::GetWindowOrder(const guiWindow* window) const
{
    if (window == nullptr || window->GetRenderAdapter() == nullptr)
        return kNoOrder;
    return window->GetRenderAdapter()->GetWindowOrder();
}

void guiManager::BringToFront(guiWindow* window)
{
    if (window == nullptr || window->GetRenderAdapter() == nullptr)
        return;
    int32_t highest = kNoOrder;
    guiWindow* holder = nullptr;
    for (guiWindow* other : m_Windows)
    {
        if (other == window)
            continue;
        const int32_t order = GetWindowOrder(other);
        if (order > highest)
        {
            highest = order;
            holder = other;
        }
    }
    int32_t order = highest > kNoOrder ? highest + 1 : 1;
    if (order >= kTopOrder)
    {
        if (holder != nullptr)
            holder->GetRenderAdapter()->SetWindowOrder(kTopOrder - 1);
        order = kTopOrder;
    }
    window->GetRenderAdapter()->SetWindowOrder(order);
}

std::vector<guiWindow*> guiManager::_TargetWindows() const
{
    if (guiWindow* modal = GetModalWindow())
        return {modal};
    std::vector<guiWindow*> targets;
    for (guiWindow* window : m_Windows)
        if (window->IsVisible())
            targets.push_back(window);
    std::stable_sort(targets.begin(), targets.end(),
                     [this](const guiWindow* a, const guiWindow* b)
                     {
                         const int32_t orderA = GetWindowOrder(a);
                         const int32_t orderB = GetWindowOrder(b);
                         if (orderA != orderB)
                             return orderA > orderB;
                         return a->GetLayer() > b->GetLayer();
                     });
    return targets;
}

guiWindow* guiManager::_FrontMostVisible() const
{
    const std::vector<guiWindow*> visible = _TargetWindows();
    for (guiWindow* window : visible)
        if (window->IsVisible())
            return window;
    return nullptr;
}

guiWindow* guiManager::GetModalWindow() const
{
    return m_ModalStack.empty() ? nullptr : m_ModalStack.back()->window;
}

void guiManager::SetActiveWindow(guiWindow* window)
{
    if (window == m_Active)
        return;
    guiWindow* old = m_Active;
    m_Active = window;
    if (old != nullptr)
        old->OnFocusLost();
    if (window != nullptr)
        window->OnFocusGained();
}

void guiManager::SetHoverWindow(guiWindow* window)
{
    if (window == m_Hover)
        return;
    guiWindow* old = m_Hover;
    m_Hover = window;
    if (old != nullptr)
        old->OnMouseLeave();
    if (window != nullptr)
        window->OnMouseEnter();
}

int32_t guiManager::ShowWindow(guiWindow* window, bool modal)
{
    if (m_FrameCallback.empty() || window == nullptr)
        return m_ModalResult;
    BringToFront(window);
    window->SetVisible(true);
    window->OnShow();
    SetActiveWindow(window);
    std::shared_ptr<ModalEntry> entry;
    for (auto it = m_ModalStack.begin(); it != m_ModalStack.end(); ++it)
        if ((*it)->window == window)
        {
            entry = *it;
            m_ModalStack.erase(it);
            break;
        }
    if (entry == nullptr)
    {
        entry = std::make_shared<ModalEntry>();
        entry->window = window;
    }
    m_ModalStack.push_back(entry);
    ResetMouseState();
    if (!modal)
        return m_ModalResult;
    while (!entry->closed)
    {
        // A copy: the frame may set another callback.
        const FrameCallback frame = m_FrameCallback;
        if (frame.empty() || !frame())
            // The application quit before the window closed.
            return gui::kModalCancelled;
    }
    return entry->result;
}

void guiManager::ActivateWindow(guiWindow* window)
{
    if (window == nullptr)
        return;
    window->SetVisible(true);
    window->OnShow();
    SetActiveWindow(window);
}

bool guiManager::HideWindow(guiWindow* window, int32_t result)
{
    if (window == nullptr)
        return true;
    for (auto it = m_ModalStack.begin(); it != m_ModalStack.end();)
    {
        if ((*it)->window == window)
        {
            (*it)->closed = true;
            (*it)->result = result;
            m_ModalResult = result;
            it = m_ModalStack.erase(it);
        }
        else
            ++it;
    }
    window->SetVisible(false);
    if (m_Hover == window)
    {
        m_Hover = nullptr;
        window->OnMouseLeave();
    }
    if (m_Active == window)
    {
        if (guiWindow* next = _FrontMostVisible())
            SetActiveWindow(next);
        else
        {
            m_Active = nullptr;
            window->OnFocusLost();
        }
    }
    return true;
}

bool guiManager::SwitchWindow(guiWindow* to, guiWindow* from, int32_t result, bool animate)
{
    if (to == nullptr && from == nullptr)
        return true;
    if (!animate)
    {
        ActivateWindow(to);
        if (from != nullptr)
            HideWindow(from, result);
        return true;
    }
    if (m_FadeOverlay != nullptr)
    {
        m_FadeOverlay->SetVisible(true);
        auto* fadeIn = new guiColorEffect(m_FadeOverlay);
        fadeIn->SetColorFade(kaColor::kaColorClamped(0, 0, 0, 0), kaColor::kaColorClamped(0, 0, 0, 1), 0.0f,
                             kFadeTime);
        QueueEffect(fadeIn);
        auto* fadeOut = new guiColorEffect(m_FadeOverlay);
        fadeOut->SetColorFade(kaColor::kaColorClamped(0, 0, 0, 1), kaColor::kaColorClamped(0, 0, 0, 0),
                              kFadeTime, kFadeTime);
        QueueEffect(fadeOut);
        auto* hideOverlay = new guiWidgetEffect(m_FadeOverlay);
        hideOverlay->SetDelayedVisibility(false, 2 * kFadeTime);
        QueueEffect(hideOverlay);
    }
    if (from != nullptr)
    {
        auto* hide = new guiWindowEffect(from);
        hide->SetDelayedHide(result, kFadeTime);
        QueueEffect(hide);
    }
    if (to != nullptr)
    {
        to->SetVisible(false);
        auto* show = new guiWindowEffect(to);
        show->SetDelayedShow(kFadeTime);
        QueueEffect(show);
    }
    return true;
}

bool guiManager::SwitchWindowByName(const std::string& name, guiWindow* from, int32_t result, bool animate)
{
    guiWindow* to = FindWindow(name);
    return to == nullptr || SwitchWindow(to, from, result, animate);
}

void guiManager::OnMouseInput(const guiMsgMouse& message)
{
    const gui::MouseData& input = message.data;
    if (input.moved)
    {
        // A move after a button change is dispatched after it.
        if (m_Mouse.buttonsChanged)
            _CloseMouseRecord();
        if (input.absolute)
        {
            m_Mouse.x = input.x;
            m_Mouse.y = input.y;
            m_Mouse.dx = 0;
            m_Mouse.dy = 0;
            m_Mouse.absolute = true;
        }
        m_Mouse.dx += input.dx;
        m_Mouse.dy += input.dy;
        m_Mouse.wheel += input.wheel;
        m_Mouse.moved = true;
    }
    if (input.buttonsChanged)
    {
        // Changes that came one after another are dispatched one after another: a record holds the
        // buttons of one input only (a click within one frame, or two buttons, keep their order).
        if (m_Mouse.buttonsChanged)
        {
            bool held[3];
            std::copy(std::begin(m_Mouse.buttons), std::end(m_Mouse.buttons), held);
            _CloseMouseRecord();
            // The buttons still held stay held in the next record.
            std::copy(std::begin(held), std::end(held), m_Mouse.buttons);
        }
        for (int b = 0; b < 3; ++b)
            if (input.changed[b])
            {
                m_Mouse.buttons[b] = input.buttons[b];
                m_Mouse.changed[b] = true;
                m_Mouse.buttonsChanged = true;
            }
    }
}

void guiManager::_CloseMouseRecord()
{
    // Beyond this many records a flood of input between two updates is merged as it comes.
    constexpr std::size_t kMaxRecords = 64;
    if (m_EarlierMouse.size() >= kMaxRecords)
        return;
    m_EarlierMouse.push_back(m_Mouse);
    m_Mouse = gui::MouseData();
}

void guiManager::OnKey(const guiMsgKey& message)
{
    if (m_Active != nullptr)
        m_Active->OnKey(message);
}

void guiManager::Update(float dt)
{
    m_GuiClock += dt;
    m_LastFrameTime = dt;
    // The records are taken one at a time, in the order they came: a frame run from inside this one (a
    // modal show from a handler) goes on with the ones after it.
    if (m_Mouse.moved || m_Mouse.buttonsChanged)
    {
        m_EarlierMouse.push_back(m_Mouse);
        m_Mouse = gui::MouseData();
    }
    while (!m_EarlierMouse.empty())
    {
        const gui::MouseData mouse = m_EarlierMouse.front();
        m_EarlierMouse.erase(m_EarlierMouse.begin());
        if (mouse.moved && !m_CaptureCallback.empty() && m_CaptureMode == 1)
        {
            const CaptureCallback capture = m_CaptureCallback;
            capture(GetCursorPosition(), m_CaptureMode);
        }
        if (mouse.moved || mouse.buttonsChanged)
            _DispatchMouse(mouse, IsPaused());
    }
    _RunEffects(dt);
    _ProcessRemovals();
    _ShowQueuedMessageBoxes();
}

void guiManager::_DispatchMouse(const gui::MouseData& mouse, bool paused)
{
    std::vector<guiWindow*> targets = _TargetWindows();
    // Handlers may remove windows: each stays alive for the walk and is skipped once unregistered.
    for (guiWindow* window : targets)
        window->AddRef();
    if (mouse.moved)
    {
        const bool hidden = m_Cursor != nullptr && !m_Cursor->IsVisible();
        if (!hidden)
        {
            const kaPoint from = mouse.absolute ? kaPoint(mouse.x, mouse.y) : m_CursorPosition;
            SetCursorPosition(gui::ClampToInt(int64_t(from.x) + mouse.dx),
                              gui::ClampToInt(int64_t(from.y) + mouse.dy));
        }
        const kaPoint cursor = GetCursorPosition();
        if (!m_MoveMessageUsed)
        {
            m_MoveMessage.data.x = cursor.x;
            m_MoveMessage.data.y = cursor.y;
            m_MoveMessageUsed = true;
        }
        guiMsgMouse& message = m_MoveMessage;
        // A hidden cursor stays where it was hidden while the mouse steers: the movement is the mouse's own.
        message.deltaX = static_cast<float>(hidden ? mouse.dx : cursor.x - message.data.x);
        message.deltaY = static_cast<float>(hidden ? mouse.dy : cursor.y - message.data.y);
        message.data.x = cursor.x;
        message.data.y = cursor.y;
        message.data.wheel = mouse.wheel;
        message.anyButton = false;
        for (int b = 0; b < 3; ++b)
        {
            message.data.buttons[b] = m_Buttons[b];
            message.anyButton = message.anyButton || m_Buttons[b];
        }
        message.data.moved = true;
        const guiMsgMouse copy = message;
        bool taken = false;
        for (guiWindow* window : targets)
            if (_IsRegistered(window) && window->OnMouseMove(copy))
            {
                taken = true;
                break;
            }
        if (!taken && m_Hover != nullptr)
        {
            guiWindow* hover = m_Hover;
            m_Hover = nullptr;
            hover->OnMouseLeave();
        }
    }
    // Moves before a change carried the buttons as they were; from here on the widgets know the new ones.
    for (int b = 0; b < 3; ++b)
        if (mouse.buttonsChanged && mouse.changed[b])
            m_Buttons[b] = mouse.buttons[b];
    const bool switching = m_FadeOverlay != nullptr && m_FadeOverlay->IsVisible();
    if (!paused && mouse.buttonsChanged && !switching)
    {
        gui::MouseData data = mouse;
        const kaPoint cursor = GetCursorPosition();
        data.x = cursor.x;
        data.y = cursor.y;
        for (int b = 0; b < 3; ++b)
        {
            if (!mouse.changed[b])
                continue;
            if (!mouse.buttons[b])
            {
                if (m_Active != nullptr)
                    m_Active->OnMouseUp(b, data);
                if (b == 0 && m_CaptureMode != 0)
                {
                    m_CaptureMode = 0;
                    if (!m_CaptureCallback.empty())
                    {
                        const CaptureCallback capture = m_CaptureCallback;
                        capture(cursor, 0);
                    }
                }
                continue;
            }
            bool taken = false;
            for (guiWindow* window : targets)
                if (_IsRegistered(window) && window->OnMouseDown(b, data))
                {
                    taken = true;
                    break;
                }
            if (!taken && m_Active != nullptr)
            {
                guiWindow* active = m_Active;
                m_Active = nullptr;
                active->OnFocusLost();
            }
        }
    }
    for (guiWindow* window : targets)
        window->Release();
}

void guiManager::QueueEffect(guiEffect* effect)
{
    if (effect == nullptr)
        return;
    auto entry = std::make_shared<EffectEntry>();
    entry->effect = kaCountedPtr<guiEffect>(effect);
    m_Effects.push_back(entry);
}

void guiManager::_RunEffects(float dt)
{
    // Effects queued meanwhile join the list and run from the next frame. An effect whose action runs
    // frames of its own (a modal show) is not advanced again by them.
    const std::vector<std::shared_ptr<EffectEntry>> running = m_Effects;
    for (const auto& entry : running)
    {
        if (entry->busy || entry->dropped)
            continue;
        entry->busy = true;
        entry->effect->Update(dt);
        entry->busy = false;
    }
    for (const auto& entry : running)
        if (!entry->busy && !entry->dropped && entry->effect->IsFinished())
            entry->dropped = true;
    m_Effects.erase(std::remove_if(m_Effects.begin(), m_Effects.end(),
                                   [](const std::shared_ptr<EffectEntry>& entry) { return entry->dropped; }),
                    m_Effects.end());
}

void guiManager::_DropEffectsOn(const guiWindow* window)
{
    for (const auto& entry : m_Effects)
        if (entry->effect->GetTarget() == window)
            entry->dropped = true;
    m_Effects.erase(std::remove_if(m_Effects.begin(), m_Effects.end(),
                                   [](const std::shared_ptr<EffectEntry>& entry) { return entry->dropped; }),
                    m_Effects.end());
}

void guiManager::SetCursorPosition(int32_t x, int32_t y)
{
    if (m_Cursor != nullptr && !m_Cursor->IsVisible())
    {
        _ClearMouseDeltas();
        return;
    }
    if (m_Cursor != nullptr)
    {
        x = std::clamp(x, m_CursorBounds.left, std::max(m_CursorBounds.left, m_CursorBounds.right));
        y = std::clamp(y, m_CursorBounds.top, std::max(m_CursorBounds.top, m_CursorBounds.bottom));
        m_Cursor->SetPosition(guiCoordPair::Pixels(static_cast<float>(x), static_cast<float>(y)));
    }
    m_CursorPosition = kaPoint(x, y);
}

void guiManager::MoveCursor(int32_t dx, int32_t dy)
{
    SetCursorPosition(m_CursorPosition.x + dx, m_CursorPosition.y + dy);
}

kaPoint guiManager::GetCursorPosition() const
{
    return m_CursorPosition;
}

void guiManager::ResetCursorBounds()
{
    m_CursorBounds = platform::Rect{};
    if (g_pGraphicsManager != nullptr)
    {
        m_CursorBounds.right =
            static_cast<int32_t>(g_pGraphicsManager->GetPresentParameters().BackBufferWidth);
        m_CursorBounds.bottom =
            static_cast<int32_t>(g_pGraphicsManager->GetPresentParameters().BackBufferHeight);
    }
}

void guiManager::ShowCursor(bool show)
{
    if (m_Cursor == nullptr)
        return;
    if (m_Cursor->IsVisible() != show)
    {
        _ClearMouseDeltas();
        // Without a pointer on screen the mouse steers (the editor's camera): movement without bounds.
        m_RelativeMouse = !show;
        platform::SetRelativeMouseMode(m_RelativeMouse);
    }
    m_Cursor->SetVisible(show);
}

namespace
{

// 200 by 50 pixels in the middle of the back buffer, hidden.
guiTextBox* MakeNoticeBox()
{
    constexpr int32_t kWidth = 200;
    constexpr int32_t kHeight = 50;
    int64_t screenWidth = 0;
    int64_t screenHeight = 0;
    if (g_pGraphicsManager != nullptr)
    {
        screenWidth = g_pGraphicsManager->GetPresentParameters().BackBufferWidth;
        screenHeight = g_pGraphicsManager->GetPresentParameters().BackBufferHeight;
    }
    guiTextBoxParams params;
    params.font = "fg_dcn16";
    params.foreColor = kaColor::kaColorClamped(1.0f, 0.7f, 0.26f, 1.0f);
    params.position = guiCoordPair::Pixels(static_cast<float>(screenWidth / 2 - kWidth / 2),
                                           static_cast<float>(screenHeight / 2 - kHeight / 2));
    params.size = guiCoordPair::Pixels(kWidth, kHeight);
    guiTextBox* box = new guiTextBox(params);
    box->SetVisible(false);
    return box;
}

} // namespace

void guiManager::CreateCursor()
{
    if (m_Foreground != nullptr)
        return;
    m_Foreground = new guiWindow("FOREGROUND", guiCoordPair::Pixels(0, 0), guiCoordPair::Relative(1, 1),
                                 guiWindow::kAlignLeft | guiWindow::kAlignTop);
    m_ForegroundAdapter = new guiWindowRenderObject(m_Foreground);
    m_ForegroundAdapter->SetWindowOrder(guiWindowRenderObject::kForegroundOrder);

    guiImageParams overlay;
    overlay.size = guiCoordPair::Relative(1, 1);
    m_FadeOverlay = new guiImage(overlay);
    m_FadeOverlay->SetColor(0, 0, 0, 0);
    m_FadeOverlay->SetVisible(false);
    m_Foreground->AddChild(m_FadeOverlay);

    m_NoticeBox = MakeNoticeBox();
    m_Foreground->AddChild(m_NoticeBox);

    m_Cursor = new guiCursor("ui/Cursor.tga", 0, 0);
    m_Foreground->AddChild(m_Cursor);

    m_Foreground->SetLayer(++m_RegistrationCounter);
    if (g_pGraphicsManager == nullptr || !g_pGraphicsManager->AddSceneObject(m_ForegroundAdapter, false))
    {
        m_ForegroundAdapter->AddRef();
        m_HeldAdapters.push_back(m_ForegroundAdapter);
    }
    m_Cursor->SetLayer(kCursorLayer);
    ResetCursorBounds();
    SetCursorPosition(m_CursorPosition.x, m_CursorPosition.y);
}

void guiManager::_ClearMouseDeltas()
{
    for (gui::MouseData& record : m_EarlierMouse)
    {
        record.dx = 0;
        record.dy = 0;
    }
    m_Mouse.dx = 0;
    m_Mouse.dy = 0;
    m_Mouse.moved = true;
}

void guiManager::ResetMouseState()
{
    m_EarlierMouse.clear();
    m_Mouse = gui::MouseData();
    for (bool& button : m_Buttons)
        button = false;
}

bool guiManager::PlayGuiSound(const std::string& waveFile)
{
    if (!m_GuiSoundsOn || g_pWizard == nullptr || g_pWizard->IsMuted())
        return false;
    const kaSoundHandle handle =
        g_pWizard->LoadAndPlaySound(waveFile, GetSoundVolume(), false, 0, 0, 0, true);
    return handle.id >= 0;
}

void guiManager::_RegisterMessageBox(MessageBoxWindow* box)
{
    box->SetVisible(false);
    AddWindow(box);
    m_MessageBox = box;
}

void guiManager::_ReplaceMessageBox(MessageBoxWindow* box)
{
    if (guiWindow* old = FindWindow(MessageBoxWindow::kWindowName))
        QueueRemoval(old);
    if (m_MessageBox != nullptr && _IsRegistered(m_MessageBox))
        QueueRemoval(m_MessageBox);
    _RegisterMessageBox(box);
}

void guiManager::CreateMessageBox(const std::string& layoutFile)
{
    auto* box = new MessageBoxWindow(layoutFile);
    if (!box->IsComplete())
    {
        platform::OutputDebugString("[guiManager::CreateMessageBox] : " + layoutFile +
                                    " lacks a child of the message box; the built-in box is used\n");
        box->AddRef();
        box->Release();
        box = new MessageBoxWindow();
    }
    _ReplaceMessageBox(box);
}

void guiManager::CreateDefaultMessageBox()
{
    _ReplaceMessageBox(new MessageBoxWindow());
}

int32_t guiManager::ShowMessageBox(const std::string& text, const std::string& caption, int32_t flags)
{
    if (m_MessageBox == nullptr || !_IsRegistered(m_MessageBox))
        _RegisterMessageBox(new MessageBoxWindow());
    MessageBoxWindow* box = m_MessageBox;
    box->SetCaption(caption);
    box->SetText(text);
    box->SetButtons(flags);
    return ShowWindow(box, true);
}

int32_t guiManager::ShowMessageBox(const std::string& text, const std::string& caption, int32_t flags,
                                   const kaPoint& textArea, const std::string& okLabel)
{
    if (m_MessageBox == nullptr || !_IsRegistered(m_MessageBox))
        _RegisterMessageBox(new MessageBoxWindow());
    MessageBoxWindow* box = m_MessageBox;
    box->SetTextAreaSize(textArea);
    box->SetButtonLabel(MessageBoxWindow::kOk, okLabel);
    const int32_t result = ShowMessageBox(text, caption, flags);
    // A box replaced while it showed is gone.
    if (box == m_MessageBox && _IsRegistered(box))
    {
        box->SetTextAreaSize(kaPoint());
        box->SetButtonLabel(MessageBoxWindow::kOk, "");
    }
    return result;
}

void guiManager::_ShowQueuedMessageBoxes()
{
    // A box shown from here runs frames whose updates come back here; they leave the queue to this one.
    if (m_ShowingQueued)
        return;
    m_ShowingQueued = true;
    for (;;)
    {
        if (m_MessageBox != nullptr && _IsRegistered(m_MessageBox) && m_MessageBox->IsVisible())
            break;
        std::string text;
        std::string caption;
        kaPoint textArea;
        bool found = false;
        for (guiWindow* window : std::vector<guiWindow*>(m_Windows))
            if (window->TakeQueuedMessageBox(text, caption, textArea))
            {
                found = true;
                break;
            }
        if (!found)
            break;
        ShowMessageBox(text, caption, MessageBoxWindow::kOk, textArea, "");
    }
    m_ShowingQueued = false;
}

void guiManager::SetCapture(int32_t mode, const CaptureCallback& callback)
{
    m_CaptureMode = mode;
    m_CaptureCallback = callback;
}
