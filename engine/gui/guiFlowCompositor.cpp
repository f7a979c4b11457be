#include "engine/gui/guiFlowCompositor.h"

#include <algorithm>

namespace
{

const bool s_Registered = []
{
    RegisterCompositorCreator(guiFlowCompositor::kKind, [] { return new guiFlowCompositor(); });
    return true;
}();

int32_t Width(const platform::Rect& rect)
{
    return static_cast<int32_t>(int64_t(rect.right) - rect.left);
}

int32_t Height(const platform::Rect& rect)
{
    return static_cast<int32_t>(int64_t(rect.bottom) - rect.top);
}

} // namespace

int32_t guiFlowCompositor::Compose(const std::vector<Piece>& pieces, int32_t start, int32_t startY,
                                   guiMarginProfile& profile, std::vector<Line>& lines)
{
    lines.clear();
    int64_t penY = startY;
    Line line;
    bool open = false;
    int64_t penX = 0;

    auto openLine = [&](int32_t first)
    {
        line = Line();
        line.first = first;
        line.last = first - 1;
        line.top = static_cast<int32_t>(penY);
        line.bottom = static_cast<int32_t>(penY);
        const platform::Rect probe{0, line.top, 0, line.top};
        line.x = profile.LeftPlace(probe);
        penX = line.x;
        open = true;
    };
    auto closeLine = [&](bool closed)
    {
        line.closed = closed;
        lines.push_back(line);
        penY = std::max<int64_t>(line.bottom, penY);
        open = false;
    };

    for (int64_t i = std::max(start, 0); i < static_cast<int64_t>(pieces.size()); ++i)
    {
        if (penY > profile.Bottom())
            break;
        const Piece& piece = pieces[static_cast<std::size_t>(i)];
        const int32_t width = Width(piece.rect);
        const int32_t height = Height(piece.rect);
        if (piece.alignment == kFloatLeft || piece.alignment == kFloatCentre ||
            piece.alignment == kFloatRight)
        {
            const auto y = static_cast<int32_t>(penY);
            const platform::Rect probe{0, y, width, static_cast<int32_t>(y + int64_t(height))};
            const int32_t x = piece.alignment == kFloatLeft    ? profile.LeftPlace(probe)
                              : piece.alignment == kFloatRight ? profile.RightPlace(probe)
                                                               : profile.CentredPlace(probe);
            Line floating;
            floating.first = floating.last = static_cast<int32_t>(i);
            floating.top = y;
            floating.bottom = probe.bottom;
            floating.x = x;
            floating.closed = true;
            lines.push_back(floating);
            profile.CutOut(x, y, static_cast<int32_t>(int64_t(x) + width), probe.bottom);
            if (open)
                line.x = profile.LeftPlace(platform::Rect{0, line.top, 0, line.top});
            continue;
        }
        if (!open)
            openLine(static_cast<int32_t>(i));
        const platform::Rect placed{static_cast<int32_t>(penX), static_cast<int32_t>(penY + piece.rect.top),
                                    static_cast<int32_t>(penX + width),
                                    static_cast<int32_t>(penY + piece.rect.bottom)};
        const bool fits = (profile.Fits(placed) & guiMarginProfile::kFitsBetweenEdges) != 0;
        if (!fits && line.last >= line.first)
        {
            closeLine(true);
            openLine(static_cast<int32_t>(i));
            // A blank that breaks the line takes no room on the next one.
            if (piece.space)
            {
                line.first = static_cast<int32_t>(i) + 1;
                continue;
            }
            --i;
            continue;
        }
        line.last = static_cast<int32_t>(i);
        line.top = static_cast<int32_t>(std::min<int64_t>(line.top, placed.top));
        line.bottom = static_cast<int32_t>(std::max<int64_t>(line.bottom, placed.bottom));
        penX += width;
        if (piece.newline)
            closeLine(true);
    }
    if (open && line.last >= line.first)
        closeLine(false);
    return static_cast<int32_t>(lines.size());
}
