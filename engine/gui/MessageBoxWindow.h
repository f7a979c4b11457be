#pragma once

#include "engine/core/kaPoint.h"
#include "engine/gui/guiCoordPair.h"
#include "engine/gui/guiModalResult.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>

class guiButton;
class guiDisplayBox;
class guiTextBox;

// The toolkit's modal question: a caption bar, a mark-up message and up to four buttons (Ok, Cancel,
// Yes, No), each of which hides the box with its code. Built from a layout that names its six children,
// or with a fixed layout of its own.
class MessageBoxWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = "message box";
    static constexpr const char* kCaptionName = "caption bar";
    static constexpr const char* kTextName = "text box";
    static constexpr const char* kYesName = "yes button";
    static constexpr const char* kNoName = "no button";
    static constexpr const char* kOkName = "ok button";
    static constexpr const char* kCancelName = "cancel button";

    // Button codes and flags alike: each button closes the box with its modal result.
    enum Button : int32_t
    {
        kOk = gui::kModalDone,
        kCancel = gui::kModalCancelled,
        kYes = gui::kModalYes,
        kNo = gui::kModalNo,
    };

    static constexpr int32_t kWidth = 250;
    static constexpr int32_t kHeight = 150;
    static constexpr int32_t kCaptionHeight = 25;
    static constexpr int32_t kTextTop = 25;
    static constexpr int32_t kTextHeight = 75;
    static constexpr int32_t kButtonTop = 110;
    static constexpr int32_t kButtonWidth = 50;
    static constexpr int32_t kButtonHeight = 30;
    static constexpr int32_t kButtonGap = 10;
    static constexpr const char* kMarkupMark = "<text";

    // The built-in box.
    MessageBoxWindow();
    // From a layout; a child missing or of another class leaves its field empty.
    explicit MessageBoxWindow(const std::string& layoutFile);

    // Whether all six children were found: the box can show a message only then.
    bool IsComplete() const;

    void SetCaption(const std::string& caption);
    // Mark-up is shown as it is; a plain text in the mark-up's default font and colour.
    void SetText(const std::string& text);
    // Shows the buttons whose bits are set, in the order Ok, Yes, No, Cancel, centred in a row; flags
    // without any of them show Ok, so that the box can always be closed.
    void SetButtons(int32_t flags);
    // A text area of that size in pixels, the box grown or shrunk around it and its buttons moved with its
    // bottom, for a message longer than the box's own area holds; (0, 0) gives the box its own sizes back.
    void SetTextAreaSize(const kaPoint& pixels);
    // Another label on a button; an empty one gives the button its own label back.
    void SetButtonLabel(Button button, const std::string& label);

    // Click handlers: each hides the given window with its code. The box binds them to itself; other
    // dialogs bind them to their own window.
    static bool OnOk(guiWindow* window);
    static bool OnCancel(guiWindow* window);
    static bool OnYes(guiWindow* window);
    static bool OnNo(guiWindow* window);

    guiTextBox* GetCaptionBar() const { return m_CaptionBar; }
    guiDisplayBox* GetTextArea() const { return m_TextArea; }
    guiButton* GetYesButton() const { return m_YesButton; }
    guiButton* GetNoButton() const { return m_NoButton; }
    guiButton* GetOkButton() const { return m_OkButton; }
    guiButton* GetCancelButton() const { return m_CancelButton; }

private:
    void _AddButton(guiButton*& field, const char* name, const char* label, float x);
    void _AttachHandlers();
    void _MoveButtons(int32_t dy);

    guiTextBox* m_CaptionBar = nullptr;
    guiDisplayBox* m_TextArea = nullptr;
    guiButton* m_YesButton = nullptr;
    guiButton* m_NoButton = nullptr;
    guiButton* m_OkButton = nullptr;
    guiButton* m_CancelButton = nullptr;
    // The box's own sizes while a larger text area is in place, and how far its bottom moved.
    bool m_Resized = false;
    guiCoordPair m_OwnSize;
    guiCoordPair m_OwnTextSize;
    int32_t m_MovedDown = 0;
    // The buttons' own labels, in the order Ok, Cancel, Yes, No, once another label was given.
    std::string m_OwnLabels[4];
};
