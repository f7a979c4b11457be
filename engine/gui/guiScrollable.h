#pragma once

#include "engine/gui/guiWidget.h"

#include <cstdint>
#include <string>

// A widget whose content can be scrolled: it tells which axes need scrolling and keeps its position on
// each axis as a fraction of the scrollable range, which scrollers and scroll bars read and set.
class guiScrollable : public guiWidget
{
public:
    enum Direction : int32_t
    {
        kScrollsVertically = 1,
        kScrollsHorizontally = 2,
    };

    static const kaClassInfo& StaticClassInfo();

    guiScrollable() = default;
    explicit guiScrollable(const std::string& name) : guiWidget(name) {}

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void Draw() override {}

    // The axes that need scrolling now.
    virtual int32_t GetScrollDirections() = 0;
    // -1 back by one unit, +1 forward by one.
    virtual void ScrollVertical(int32_t /*step*/) {}
    virtual void SetVerticalScroll(float /*fraction*/) {}
    virtual float GetVerticalScroll() { return 0.0f; }
    virtual void ScrollHorizontal(int32_t /*step*/) {}
    virtual void SetHorizontalScroll(float /*fraction*/) {}
    virtual float GetHorizontalScroll() { return 0.0f; }

protected:
    float m_VerticalScroll = 0.0f;
    float m_HorizontalScroll = 0.0f;
};
