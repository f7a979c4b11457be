#pragma once

#include "tools/imagetool/Picture.h"

#include <cstdint>
#include <string>

// Pictures of what the game offers, drawn from shapes so that they show what they are: the vehicles, the
// loose props, the explosive barrel, the stunt yard, and the splash images with the game's name.
class ItemPictures
{
public:
    // A motorcycle seen from the side, facing right, with its rider, on a sky over ground.
    static Picture Motorcycle(uint32_t width, uint32_t height, uint32_t paint);
    // A red barrel with a hazard band, standing on the ground.
    static Picture Barrel(uint32_t width, uint32_t height);
    // A wooden crate seen from above one corner.
    static Picture Box(uint32_t width, uint32_t height);
    // A striped ball lit from the upper left, resting on the ground.
    static Picture Ball(uint32_t width, uint32_t height);
    // The stunt yard from above: a walled floor with a ramp, a launch plate, a barrel and a token.
    static Picture Yard(uint32_t width, uint32_t height);
    // A splash screen: a gradient (left to right, or top to bottom) with the title across its middle and a
    // smaller line under it.
    static Picture Splash(uint32_t width, uint32_t height, uint32_t from, uint32_t to, bool vertical,
                          const std::string& title, const std::string& subtitle);
};
