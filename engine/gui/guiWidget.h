#pragma once

#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiMessages.h"

#include "platform/window/Rect.h"

#include <boost/function.hpp>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The glyph that takes input: a hit rectangle, keyboard focus, mouse and key handlers that pass what
// they leave alone up to the enclosing widget, and handlers through which screens react to events.
class guiWidget : public guiGlyph
{
public:
    using Handler = boost::function<bool(const guiMsgEvent&)>;

    static const kaClassInfo& StaticClassInfo();

    guiWidget();
    explicit guiWidget(const std::string& name);
    ~guiWidget() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // Misses when hidden, kept out of the hit list, or outside the part drawn last frame.
    bool HitTest(const kaPoint& point, guiGlyph*& out) override;
    void SetPosition(const guiCoordPair& position) override;
    void SetSize(const guiCoordPair& size) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    // Keeps the clip in force as the hit rectangle.
    void Render(guiRenderContext& context) override;

    virtual void OnFocusGained();
    virtual void OnFocusLost();
    // Each answers whether the input was handled; what a widget leaves goes to the enclosing one.
    virtual bool OnMouseMove(const guiMsgMouse& message);
    virtual bool OnMouseDown(int32_t button, const gui::MouseData& data);
    virtual bool OnMouseUp(int32_t button, const gui::MouseData& data);
    virtual void OnMouseEnter() {}
    virtual void OnMouseLeave() {}
    virtual bool OnKey(const guiMsgKey& message);

    // Handlers of one type run in the order they were added; an empty one is never called.
    void AddHandler(int32_t type, const Handler& handler);
    // Runs every handler of the message's type, each with its own copy; true when any answered true.
    bool FireEvent(const guiMsgEvent& message);

    // The parent, when it is a widget and not the owner window.
    guiWidget* GetEnclosingWidget() const;

    bool HasFocus() const { return m_HasFocus; }
    bool PassesMouse() const { return m_PassMouse; }
    void SetPassMouse(bool pass) { m_PassMouse = pass; }
    const platform::Rect& GetHitRect() const { return m_HitRect; }
    const std::string& GetNotes() const { return m_Notes; }
    void SetNotes(const std::string& notes) { m_Notes = notes; }

protected:
    bool m_HasFocus = false;
    bool m_PassMouse = true;
    std::vector<std::pair<int32_t, Handler>> m_Handlers;
    platform::Rect m_HitRect;
    std::string m_Notes;
};
