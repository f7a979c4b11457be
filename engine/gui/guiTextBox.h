#pragma once

#include "engine/core/kaColor.h"
#include "engine/core/kaPoint.h"
#include "engine/gui/guiWidget.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class guiImage;
class guiText;
class guiTextBoxParams;

// A string shown through an inner text glyph and, when editable, typed into: a blinking caret, a one-line
// selection by shift keys or by dragging, horizontal scrolling that keeps the caret in view, a length
// limit, and event 3 with the text when the box loses the focus after a change. The text a box is made with
// (its layout's) or given by SetPrompt is a prompt until a key changes it: when the focus comes to the box,
// and at the first click after, the prompt is selected, so that the first key replaces it instead of
// landing inside it.
class guiTextBox : public guiWidget
{
public:
    enum Alignment : int32_t
    {
        kAlignLeft = 1,
        kAlignCentreX = 2,
        kAlignRight = 4,
        kAlignTop = 8,
        kAlignCentreY = 16,
        kAlignBottom = 32,
    };

    // Keys the box handles by virtual-key code.
    enum Key : uint8_t
    {
        kKeyBackspace = 8,
        kKeyTab = 9,
        kKeyEnter = 13,
        kKeyEnd = 35,
        kKeyHome = 36,
        kKeyLeft = 37,
        kKeyUp = 38,
        kKeyRight = 39,
        kKeyDown = 40,
        kKeyDelete = 46,
    };

    // Text layouts older than these lack the field; binary layouts hold both from the first.
    static constexpr float kMultiLineVersion = 1.01f;
    static constexpr float kBufferVersion = 1.02f;
    static constexpr float kBinaryExtrasVersion = 1.01f;
    // From here the inner text is named by glyph ID, before by its position among the children.
    static constexpr float kTextIdVersion = 1.07f;
    static constexpr float kDefaultBlinkRate = 0.5f;
    static constexpr int32_t kBoxAlignment = kAlignLeft | kAlignCentreY;
    static constexpr int32_t kInnerTextId = 0;
    static const kaColor kSelectionColor;

    static const kaClassInfo& StaticClassInfo();

    explicit guiTextBox(const guiTextBoxParams& params);
    // Empty, editable, scrollable, left and vertically centred, in "System".
    guiTextBox(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiTextBox(std::istream& stream);
    explicit guiTextBox(kaBinaryStream& stream);
    ~guiTextBox() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void SetSize(const guiCoordPair& size) override;
    // An editable box joins its window's focus order and leaves it with the window.
    void SetOwnerWindow(guiWindow* window) override;
    int RemoveChild(guiGlyph* child) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;

    bool PreRender(guiRenderContext& context) override;
    void PostRender(guiRenderContext& context) override;

    void OnFocusGained() override;
    void OnFocusLost() override;
    bool OnMouseMove(const guiMsgMouse& message) override;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    void OnMouseLeave() override;
    bool OnKey(const guiMsgKey& message) override;

    // Moves the inner text sideways so that the caret's character stands inside the box.
    virtual void ScrollToCaret();

    // Fires nothing. The caret is kept within the text.
    void SetText(const std::string& text, int32_t caret = 0);
    // The text, with the caret at 0, as a prompt; selected at once when the box has the focus.
    void SetPrompt(const std::string& text);
    // Editable and holding a prompt no key has changed yet.
    bool ShowsPrompt() const;
    const std::string& GetText() const { return m_Text; }
    // Selects the first occurrence; an empty or absent string selects nothing.
    void SelectText(const std::string& text);
    void SetTextColor(const kaColor& color);
    void SetFont(const std::string& name);

    guiText* GetInnerText() const { return m_InnerText; }
    guiText* GetCaretGlyph() const { return m_Caret; }
    guiImage* GetSelectionGlyph() const { return m_SelectionGlyph; }
    int32_t GetCaret() const { return m_CaretPos; }
    bool IsCaretShown() const { return m_CaretShown; }
    bool IsCaretVisible() const { return m_CaretVisible; }
    int32_t GetSelectionAnchor() const { return m_SelAnchor; }
    int32_t GetSelectionEnd() const { return m_SelEnd; }
    bool HasSelection() const { return m_SelAnchor >= 0 && m_SelEnd >= 0; }
    bool IsChanged() const { return m_Changed; }
    int32_t GetEditCount() const { return m_EditCount; }

    float GetBlinkRate() const { return m_BlinkRate; }
    void SetBlinkRate(float rate) { m_BlinkRate = rate; }
    int32_t GetMaxCharacters() const { return m_MaxChars; }
    void SetMaxCharacters(int32_t count) { m_MaxChars = count; }
    int32_t GetAlignment() const { return m_Alignment; }
    void SetAlignment(int32_t flags);
    bool IsEditable() const { return m_Editable; }
    void SetEditable(bool editable);
    bool IsScrollable() const { return m_Scrollable; }
    void SetScrollable(bool scrollable) { m_Scrollable = scrollable; }
    bool IsMultiLine() const { return m_MultiLine; }
    void SetMultiLine(bool multiLine);
    int32_t GetBuffer() const { return m_Buffer; }
    void SetBuffer(int32_t buffer);
    const std::string& GetRefusedCharacters() const { return m_Refused; }
    void SetRefusedCharacters(const std::string& refused) { m_Refused = refused; }

    // Where character index stands in the last layout: the pen's absolute pixel position at the top of
    // its line; the text's length gives the place after the last character.
    kaPoint GetCharacterPosition(int32_t index) const;
    // The character under an absolute pixel point, on the nearest line; the text's length past the end.
    int32_t GetCharacterAt(const kaPoint& point) const;

private:
    struct Cell
    {
        int32_t x = 0, y = 0, advance = 0;
        bool lineEnd = false;
    };

    void _Init(const std::string& font, const kaColor& color, const std::string& text);
    void _MakeParts();
    // Lays the inner text out against the clip it was last drawn with, when it changed since.
    void _LayoutNow() const;
    std::vector<Cell> _Cells() const;
    int32_t _LineHeight() const;
    void _AlignText();
    void _UpdateSelection();
    void _DropSelection();
    // The whole text selected, the caret at its end.
    void _SelectPrompt();
    void _EraseSelection();
    void _ClampToText();
    void _Commit();
    void _FocusOn();
    int32_t _CaretX() const;
    void _JoinFocusOrder(guiWindow* window);
    void _LeaveFocusOrder(guiWindow* window);
    // Adopts the inner text the block named among the children read from index first on.
    void _AdoptInnerText(bool named, int32_t reference, int first);

    std::string m_Text;
    std::string m_Refused;
    guiText* m_InnerText = nullptr;
    guiText* m_Caret = nullptr;
    guiImage* m_SelectionGlyph = nullptr;
    int32_t m_CaretPos = 0;
    bool m_CaretVisible = true;
    bool m_CaretShown = false;
    float m_BlinkRate = kDefaultBlinkRate;
    float m_BlinkTimer = 0.0f;
    int32_t m_MaxChars = 0;
    int32_t m_EditCount = 0;
    int32_t m_Alignment = kBoxAlignment;
    bool m_Editable = true;
    bool m_Scrollable = true;
    bool m_MultiLine = false;
    bool m_Changed = false;
    int32_t m_SelAnchor = -1;
    int32_t m_SelEnd = -1;
    int32_t m_Buffer = 0;
    int32_t m_LastDrag = 0;
    // The text is the one the box was made with or a prompt given since, not changed by a key.
    bool m_Prompt = false;
    // A click has come since the focus did.
    bool m_ClickedSinceFocus = false;
    // Where the click that selected a prompt was pressed, for a drag that follows it; -1 otherwise.
    int32_t m_DragFrom = -1;
    // The buffer's clip and offset stand from PreRender to PostRender.
    bool m_BufferPushed = false;
    // The window whose focus order holds the box.
    guiWindow* m_FocusWindow = nullptr;
};
