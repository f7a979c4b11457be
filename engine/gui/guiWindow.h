#pragma once

#include "engine/gui/guiWidget.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class guiWindowRenderObject;

// The root of a drawn tree: placed by an anchor and an alignment, optionally dragged, and the router of
// the mouse and the keys to its widgets. Its tree's glyphs list themselves in its hit list each frame; it
// draws that list in layer order.
class guiWindow : public guiWidget
{
public:
    // Placement flags; left and top are the default placement.
    enum Alignment : int32_t
    {
        kAlignLeft = 1,
        kAlignCentreX = 2,
        kAlignRight = 4,
        kAlignTop = 8,
        kAlignCentreY = 16,
        kAlignBottom = 32,
    };

    static const kaClassInfo& StaticClassInfo();

    // Reads the layout file into itself; a missing or unreadable file leaves the defaults.
    explicit guiWindow(const std::string& layoutFile);
    explicit guiWindow(std::istream& stream);
    explicit guiWindow(kaBinaryStream& stream);
    guiWindow(const std::string& name, const guiCoordPair& anchor, const guiCoordPair& size,
              int32_t alignment);
    // Top-left alignment.
    guiWindow(const guiCoordPair& anchor, const guiCoordPair& size);
    ~guiWindow() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void Draw() override;
    bool HitTest(const kaPoint& point, guiGlyph*& out) override;
    void AddChild(guiGlyph* child, guiWindow* window = nullptr) override;
    // This window's lists forget a destroyed child even when the window sits inside another.
    int RemoveChild(guiGlyph* child) override;
    // A window keeps its own tree: the window it is placed in is stored, not handed down.
    void SetOwnerWindow(guiWindow* window) override;
    // The tree walk lists each glyph of the window's tree that it draws.
    virtual void AddToHitList(guiGlyph* glyph);
    // Called when a glyph of the tree was destroyed: the pointer may only be compared, never followed.
    virtual void ForgetWidget(guiGlyph* glyph);
    // The top-left corner actually used, in absolute pixels.
    const guiCoordPair& GetPosition() const override { return m_ReportedPos; }
    // The anchor the alignment places the window by.
    void SetPosition(const guiCoordPair& anchor) override;
    void SetSize(const guiCoordPair& size) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;

    void ReleaseDeviceObjects() override;
    void Render(guiRenderContext& context) override;
    bool PreRender(guiRenderContext& context) override;

    void OnFocusGained() override;
    void OnFocusLost() override;
    bool OnMouseMove(const guiMsgMouse& message) override;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    bool OnMouseUp(int32_t button, const gui::MouseData& data) override;
    void OnMouseLeave() override;
    bool OnKey(const guiMsgKey& message) override;
    // Windows refresh themselves here when shown.
    virtual void OnShow() {}
    // Kept until the GUI manager's next update shows it, outside any drawing walk.
    virtual void QueueMessageBox(const std::string& text, const std::string& caption);
    // The same for a longer message: the box shows it in a text area of that size in pixels.
    void QueueLongMessageBox(const std::string& text, const std::string& caption, const kaPoint& textArea);

    void SetAlignment(int32_t flags);
    int32_t GetAlignment() const { return m_Alignment; }
    const guiCoordPair& GetAnchor() const { return m_Anchor; }
    bool IsDraggable() const { return m_Draggable; }
    void SetDraggable(bool draggable) { m_Draggable = draggable; }
    bool IsAlphaHitTesting() const { return m_AlphaHitTesting; }
    void SetAlphaHitTesting(bool alpha) { m_AlphaHitTesting = alpha; }

    // Gained and lost go to the widgets that join or leave the focus chain; a widget makes the window
    // the active one.
    void SetFocus(guiWidget* widget);
    // On to the next widget of the focus order; false when it wrapped to the first.
    bool FocusNext();
    void SetFocusOrder(const std::vector<guiWidget*>& order) { m_FocusOrder = order; }
    const std::vector<guiWidget*>& GetFocusOrder() const { return m_FocusOrder; }
    void SetHover(guiWidget* widget, const kaPoint& point);
    guiWidget* GetFocusedWidget() const { return m_Focused; }
    const std::vector<guiWidget*>& GetFocusChain() const { return m_FocusChain; }
    const std::vector<guiWidget*>& GetHoverChain() const { return m_HoverChain; }
    const std::vector<guiGlyph*>& GetHitList() const { return m_HitList; }

    guiWindowRenderObject* GetRenderAdapter() const { return m_RenderAdapter; }
    void SetRenderAdapter(guiWindowRenderObject* adapter) { m_RenderAdapter = adapter; }

    bool IsMessageBoxQueued() const { return m_MessageBoxQueued; }
    const std::string& GetQueuedText() const { return m_QueuedText; }
    const std::string& GetQueuedCaption() const { return m_QueuedCaption; }
    // Hands over the queued box's text, caption and text area ((0, 0) for the box's own) and clears the
    // queue; false when none is queued.
    bool TakeQueuedMessageBox(std::string& text, std::string& caption, kaPoint& textArea);

private:
    void _Init();
    // The anchor and the reported position both become the loaded position.
    void _AfterRead();
    void _Place();
    // The widgets of the hit list, front-most first.
    std::vector<guiWidget*> _WidgetsFrontFirst() const;

    bool m_Draggable = false;
    guiWindowRenderObject* m_RenderAdapter = nullptr;
    int32_t m_Alignment = 0;
    guiCoordPair m_Anchor;
    guiCoordPair m_ReportedPos;
    bool m_AlphaHitTesting = false;
    std::vector<guiGlyph*> m_HitList;
    std::vector<guiWidget*> m_HoverChain;
    std::vector<guiWidget*> m_FocusChain;
    guiWidget* m_Focused = nullptr;
    std::vector<guiWidget*> m_FocusOrder;
    bool m_MessageBoxQueued = false;
    std::string m_QueuedCaption;
    std::string m_QueuedText;
    kaPoint m_QueuedTextArea;
};
