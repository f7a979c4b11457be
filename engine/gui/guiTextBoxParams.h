#pragma once

#include "engine/gui/guiCreateParams.h"

#include <cstdint>
#include <string>

// What builds a text box: its text and font, its size, the alignment of the text in it, and whether the
// text may scroll past the box and be edited.
class guiTextBoxParams : public guiCreateParams
{
public:
    int32_t GetWidgetClass() const override { return kTextBoxParams; }
    guiGlyph* CreateWidget() const override;
    guiCreateParams* Clone() const override;
    // The base block, then the box's own fields.
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    std::string text;
    std::string font = "System";
    guiCoordPair size;
    // Left and top.
    int32_t alignment = 9;
    bool scrollable = true;
    bool editable = true;
};
