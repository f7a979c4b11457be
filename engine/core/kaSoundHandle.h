#pragma once

#include <cstdint>
#include <string>

// The record callers keep for a loaded sound. The second and third ids name a three-part sound's loop
// and outro parts; a song's loop part keeps its groove level in the third id.
struct kaSoundHandle
{
    int32_t id = -1;
    std::string name = "n/a";
    int32_t id2 = -1;
    int32_t id3 = -1;
};
