#pragma once

#include "engine/render/kaPixelLayout.h"

#include <cstdint>

class kaColor;

// Pixel conversion between bit layouts. The target and its lookup tables are process-wide and stay in
// force until the next SetConversionTarget; every conversion writes in the last target set. Not guarded:
// single thread only.

// Each channel of the pixel value scaled to 0..1 by the largest value its mask holds; a channel without
// a mask reads 0.
void DecodePixel(const kaPixelLayout& layout, uint32_t value, kaColor& color);

// Makes the layout the target of later conversions and builds its tables. The layout's alpha-bits word
// selects the 16-bit tables: below 2 colour only, 4 colour and alpha; tables not built are cleared.
bool SetConversionTarget(const kaPixelLayout& layout);

// Converts a block of packed pixels in the source layout into the current target. Rows advance by the
// pitches. False for a pair of depths it does not handle. An 8-bit source with a 16-bit target writes
// nothing and succeeds.
bool ConvertPixelFormat(const void* source, void* destination, uint32_t width, uint32_t height,
                        uint32_t sourcePitch, uint32_t destinationPitch, const kaPixelLayout& sourceLayout);

// The number of trailing zero bits of a mask; 0 for an empty mask.
uint32_t GetChannelShift(uint32_t mask);
