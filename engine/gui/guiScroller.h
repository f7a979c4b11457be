#pragma once

#include "engine/gui/guiDecorator.h"

#include <cstdint>
#include <iosfwd>

class guiScrollable;
class guiScrollBar;
class guiScrollerParams;

// A decorator around a scrollable widget: a vertical and a horizontal scroll bar, each shown only while
// the content needs it, kept in step with the scrollable's position; the arrow keys scroll. Its
// component and bars stand at places relative to the scroller's corner.
class guiScroller : public guiDecorator
{
public:
    enum Orientations : int32_t
    {
        kVerticalBar = 1,
        kHorizontalBar = 2,
    };
    // Across the bar.
    static constexpr float kBarThickness = 16.0f;
    // Virtual key codes.
    static constexpr uint8_t kKeyLeft = 37;
    static constexpr uint8_t kKeyUp = 38;
    static constexpr uint8_t kKeyRight = 39;
    static constexpr uint8_t kKeyDown = 40;

    static const kaClassInfo& StaticClassInfo();

    guiScroller(guiWidget* component, const guiScrollerParams& params);
    // A vertical bar only.
    guiScroller(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiScroller(std::istream& stream);
    explicit guiScroller(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    int RemoveChild(guiGlyph* child) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    void Render(guiRenderContext& context) override;
    // The arrow keys scroll; every key is taken.
    bool OnKey(const guiMsgKey& message) override;

    // Only a scrollable.
    bool AcceptsChild(guiWidget* widget) override;
    // The widget goes to the scroller's corner and, when it scrolls, becomes the scrollable.
    void SetChild(guiWidget* widget) override;

    bool ScrollUp(int32_t unused = 1);
    bool ScrollDown(int32_t unused = 1);
    bool ScrollLeft(int32_t unused = 1);
    bool ScrollRight(int32_t unused = 1);
    bool SetVerticalPosition(float fraction);
    bool SetHorizontalPosition(float fraction);
    // Makes the bars anew for the axes.
    void SetOrientations(int32_t orientations);

    int32_t GetOrientations() const { return m_Orientations; }
    guiScrollable* GetScrollable() const { return m_Scrollable; }
    guiScrollBar* GetVerticalBar() const { return m_VerticalBar; }
    guiScrollBar* GetHorizontalBar() const { return m_HorizontalBar; }
    bool IsVerticalShown() const { return m_VerticalShown; }
    bool IsHorizontalShown() const { return m_HorizontalShown; }

private:
    void _Init();
    void _MakeBars();
    void _Connect();
    void _Layout();
    void _TakeBars(int32_t vertical, int32_t horizontal);
    void _Scroll(bool vertical, int32_t step);

    guiScrollable* m_Scrollable = nullptr;
    int32_t m_Orientations = kVerticalBar;
    guiScrollBar* m_VerticalBar = nullptr;
    guiScrollBar* m_HorizontalBar = nullptr;
    bool m_Initialised = false;
    bool m_VerticalShown = false;
    bool m_HorizontalShown = false;
};
