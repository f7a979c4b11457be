#pragma once

#include "engine/gui/guiCreateParams.h"

#include <string>

// What builds a text glyph: a string and the name of the interface font it draws in.
class guiTextParams : public guiCreateParams
{
public:
    int32_t GetWidgetClass() const override { return kTextParams; }
    guiGlyph* CreateWidget() const override;
    guiCreateParams* Clone() const override;
    // The font and the text, then the base block.
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    std::string text;
    std::string font = "System";
};
