#pragma once

#include "engine/gui/guiCreateParams.h"

#include <cstdint>
#include <string>

// What builds an image glyph: a picture, a size (all 0 takes the picture's), an inset margin, blending,
// alpha hit testing and the texture filter.
class guiImageParams : public guiCreateParams
{
public:
    // Files older than this have no "_AlphaHitTesting" line.
    static constexpr float kAlphaHitTestingVersion = 1.11f;

    int32_t GetWidgetClass() const override { return kImageParams; }
    guiGlyph* CreateWidget() const override;
    guiCreateParams* Clone() const override;
    // Its own fields, then the base block.
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    std::string filename;
    guiCoordPair size;
    // Saved only; nothing draws tiled.
    bool tiling = false;
    guiCoordPair bufferWidth;
    bool alpha = false;
    bool alphaHitTesting = false;
    int32_t filtering = 0;
    // Handed to the texture load; never saved.
    bool loadFlag = false;
};
