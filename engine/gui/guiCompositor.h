#pragma once

#include "engine/gui/guiMarginProfile.h"
#include "platform/window/Rect.h"

#include <cstdint>
#include <functional>
#include <vector>

// How a composition breaks its pieces into lines. Made by kind from a creator map; the flow compositor is
// kind 1.
class guiCompositor
{
public:
    // A piece as laid out: its rectangle, the entry it comes from with that entry's alignment, and whether
    // it is a blank or a line end.
    struct Piece
    {
        platform::Rect rect;
        int32_t entry = 0;
        int32_t alignment = 0;
        bool space = false;
        bool newline = false;
    };

    // One line of pieces first to last; closed once something ended it (a break or a line end), open for
    // the last line when the pieces ran out.
    struct Line
    {
        int32_t first = 0;
        int32_t last = 0;
        int32_t top = 0;
        int32_t bottom = 0;
        int32_t x = 0;
        bool closed = false;
    };

    virtual ~guiCompositor() = default;

    // The lines of the pieces from start on, from the start y down through the profile; their count.
    virtual int32_t Compose(const std::vector<Piece>& pieces, int32_t start, int32_t startY,
                            guiMarginProfile& profile, std::vector<Line>& lines) = 0;
    virtual int32_t GetKind() const = 0;
};

using guiCompositorCreator = std::function<guiCompositor*()>;

// Registering a kind again replaces its creator.
void RegisterCompositorCreator(int32_t kind, const guiCompositorCreator& creator);
// A new compositor of the kind, or null when no creator has it.
guiCompositor* CreateCompositor(int32_t kind);
