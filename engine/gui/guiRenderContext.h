#pragma once

// What a tree walk hands to every glyph it draws.
struct guiRenderContext
{
    // Seconds since the previous frame.
    float frameTime = 0.0f;
};
