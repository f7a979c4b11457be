#pragma once

#include "engine/gui/guiCreateParams.h"
#include "engine/gui/guiScrollImages.h"

#include <cstdint>

// What a scroller is built from: its size, the pictures of its bars and the axes it offers. Makes no
// widget by itself: the owner wraps its own scrollable with it.
class guiScrollerParams : public guiCreateParams
{
public:
    int32_t GetWidgetClass() const override { return kScrollerParams; }
    guiCreateParams* Clone() const override;
    // The size and the four resolved picture names, then the base block; the axes are not stored.
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    // The size and the four names as given, then the base block.
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    guiCoordPair size;
    guiScrollImages images;
    int32_t orientations = 1;
};
