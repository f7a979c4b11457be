#pragma once

#include "engine/gui/guiWidget.h"

// A widget that shares its area out among slots, laid out again on every frame. It has no class record
// of its own: it answers as a widget.
class guiFrame : public guiWidget
{
public:
    // Empties the slot and puts the glyph into it; false when there is no such slot.
    virtual bool SetSlotContent(int32_t slot, guiGlyph* content) = 0;
    // Places and sizes the slots.
    virtual void Layout() = 0;

    void Render(guiRenderContext& context) override;
};
