#pragma once

#include "engine/core/kaCountedPtr.h"
#include "engine/core/kaPoint.h"
#include "engine/gui/guiMessages.h"
#include "engine/gui/guiModalResult.h"
#include "platform/window/Rect.h"

#include <boost/function.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class guiCursor;
class guiEffect;
class guiGlyph;
class guiImage;
class guiTextBox;
class guiWindow;
class guiWindowRenderObject;
class MessageBoxWindow;

// The desktop: registers windows and finds them by name, orders, shows and hides them (modally too,
// running whole frames meanwhile), routes the mouse and the keys, owns the cursor, runs the timed
// effects and the removal queue, and plays the GUI's sounds. One instance, reachable through
// g_pGuiManager.
class guiManager
{
public:
    static constexpr int32_t kTopOrder = 99;

    using FrameCallback = boost::function<bool()>;
    using CaptureCallback = boost::function<void(const kaPoint&, int32_t)>;

    guiManager();
    ~guiManager();
    guiManager(const guiManager&) = delete;
    guiManager& operator=(const guiManager&) = delete;

    // Gives the window the next registration number as its layer and makes its render adapter, which
    // owns it from now on.
    void AddWindow(guiWindow* window);
    // False for a window that is not registered.
    bool RemoveWindow(guiWindow* window);
    // Removed at the end of the next update; a glyph queued twice is removed once.
    void QueueRemoval(guiGlyph* glyph);
    // The first registered window of that name, case ignored.
    guiWindow* FindWindow(const std::string& name) const;
    const std::vector<guiWindow*>& GetWindows() const { return m_Windows; }

    // Brings the window to front, shows and activates it and gives it the mouse alone until it is
    // hidden. Modal: runs frames until then, and returns the result it was hidden with.
    int32_t ShowWindow(guiWindow* window, bool modal);
    void ActivateWindow(guiWindow* window);
    bool HideWindow(guiWindow* window, int32_t result);
    bool SwitchWindow(guiWindow* to, guiWindow* from, int32_t result, bool animate);
    bool SwitchWindowByName(const std::string& name, guiWindow* from, int32_t result, bool animate);
    void BringToFront(guiWindow* window);
    // -10000 for a window without an adapter.
    int32_t GetWindowOrder(const guiWindow* window) const;

    void SetActiveWindow(guiWindow* window);
    void SetHoverWindow(guiWindow* window);
    guiWindow* GetActiveWindow() const { return m_Active; }
    guiWindow* GetHoverWindow() const { return m_Hover; }
    // The window that has the mouse alone, or null.
    guiWindow* GetModalWindow() const;

    // The application's mouse record: the movement (or the pointer's position), the wheel and the buttons
    // that changed since the last one, gathered until the next update. Each button change is kept in
    // order with the moves around it, so a click shorter than a frame still reaches the widgets.
    void OnMouseInput(const guiMsgMouse& message);
    void OnKey(const guiMsgKey& message);
    void Update(float dt);

    void SetCursorPosition(int32_t x, int32_t y);
    void MoveCursor(int32_t dx, int32_t dy);
    kaPoint GetCursorPosition() const;
    void SetCursorBounds(const platform::Rect& bounds) { m_CursorBounds = bounds; }
    const platform::Rect& GetCursorBounds() const { return m_CursorBounds; }
    void ResetCursorBounds();
    void ShowCursor(bool show);
    // The foreground window with the fade overlay and the cursor, in front of every window.
    void CreateCursor();
    guiCursor* GetCursor() const { return m_Cursor; }
    guiImage* GetFadeOverlay() const { return m_FadeOverlay; }
    // Hidden until something has a notice to show.
    guiTextBox* GetNoticeBox() const { return m_NoticeBox; }
    guiWindow* GetForegroundWindow() const { return m_Foreground; }
    const gui::MouseData& GetMouseData() const { return m_Mouse; }
    void ResetMouseState();

    // Whether the sound was started: GUI sounds on and the sound system there and not muted.
    bool PlayGuiSound(const std::string& waveFile);
    bool AreGuiSoundsOn() const { return m_GuiSoundsOn; }

    // The message box: replaces a registered one (queued for removal) with one built from the layout,
    // hidden; a layout that lacks one of its six children gives the built-in box instead.
    void CreateMessageBox(const std::string& layoutFile);
    void CreateDefaultMessageBox();
    // Fills the message box (built-in when there is none), shows it modally and returns the code of the
    // button that closed it.
    int32_t ShowMessageBox(const std::string& text, const std::string& caption, int32_t flags);
    // The same for one show with a text area of that size in pixels ((0, 0) for the box's own) and the Ok
    // button labelled so (empty for its own label); the box takes its own sizes and label back afterwards.
    int32_t ShowMessageBox(const std::string& text, const std::string& caption, int32_t flags,
                           const kaPoint& textArea, const std::string& okLabel);
    MessageBoxWindow* GetMessageBox() const { return m_MessageBox; }

    void QueueEffect(guiEffect* effect);
    std::size_t GetEffectCount() const { return m_Effects.size(); }
    float GetGuiClock() const { return m_GuiClock; }
    float GetLastFrameTime() const { return m_LastFrameTime; }

    void SetFrameCallback(const FrameCallback& callback) { m_FrameCallback = callback; }
    void SetCapture(int32_t mode, const CaptureCallback& callback);
    int32_t GetCaptureMode() const { return m_CaptureMode; }
    int32_t GetModalResult() const { return m_ModalResult; }

private:
    struct ModalEntry
    {
        guiWindow* window = nullptr;
        bool closed = false;
        int32_t result = 0;
    };
    struct EffectEntry
    {
        kaCountedPtr<guiEffect> effect;
        bool busy = false;
        bool dropped = false;
    };

    bool _IsRegistered(const guiWindow* window) const;
    // Visible registered windows (or the modal one alone), front-most first.
    std::vector<guiWindow*> _TargetWindows() const;
    guiWindow* _FrontMostVisible() const;
    void _Activate(guiWindow* window);
    void _DispatchMouse(const gui::MouseData& mouse, bool paused);
    // Queues the record gathered so far, so that what arrives next is dispatched after it.
    void _CloseMouseRecord();
    // Movement gathered so far is dropped; positions stay.
    void _ClearMouseDeltas();
    void _RunEffects(float dt);
    void _ProcessRemovals();
    void _DropEffectsOn(const guiWindow* window);
    void _RegisterMessageBox(MessageBoxWindow* box);
    void _ReplaceMessageBox(MessageBoxWindow* box);
    // Boxes that windows queued while handling events, one after another.
    void _ShowQueuedMessageBoxes();

    gui::MouseData m_Mouse;
    // Records closed before m_Mouse since the last update, oldest first: each a move, then button changes.
    std::vector<gui::MouseData> m_EarlierMouse;
    // The buttons as the widgets last heard of them; the mouse data keeps only what changed.
    bool m_Buttons[3] = {false, false, false};
    std::vector<guiWindow*> m_Windows;
    platform::Rect m_CursorBounds;
    kaPoint m_CursorPosition;
    guiWindowRenderObject* m_ForegroundAdapter = nullptr;
    guiWindow* m_Foreground = nullptr;
    guiCursor* m_Cursor = nullptr;
    guiImage* m_FadeOverlay = nullptr;
    guiTextBox* m_NoticeBox = nullptr;
    guiWindow* m_Active = nullptr;
    guiWindow* m_Hover = nullptr;
    std::vector<guiGlyph*> m_Removals;
    std::vector<std::shared_ptr<ModalEntry>> m_ModalStack;
    int32_t m_ModalResult = 0;
    FrameCallback m_FrameCallback;
    int32_t m_CaptureMode = 0;
    CaptureCallback m_CaptureCallback;
    std::vector<std::shared_ptr<EffectEntry>> m_Effects;
    bool m_GuiSoundsOn = true;
    // Relative mouse mode asked of the window layer while the cursor is hidden.
    bool m_RelativeMouse = false;
    float m_GuiClock = 0.0f;
    float m_LastFrameTime = 0.0f;
    int32_t m_RegistrationCounter = 0;
    // The move message keeps its previous position from one update to the next.
    guiMsgMouse m_MoveMessage;
    bool m_MoveMessageUsed = false;
    // Adapters the manager holds itself because no renderer was there to take them.
    std::vector<guiWindowRenderObject*> m_HeldAdapters;
    MessageBoxWindow* m_MessageBox = nullptr;
    bool m_ShowingQueued = false;
};

extern guiManager* g_pGuiManager;
