#include "engine/gui/guiMarginProfile.h"

#include <algorithm>

std::vector<std::size_t> guiMarginProfile::_Counting(const platform::Rect& rect) const
{
    std::vector<std::size_t> counting;
    if (m_Bands.empty())
        return counting;
    if (rect.top < m_Top)
        return {0};
    if (rect.top > Bottom())
        return {m_Bands.size() - 1};
    int64_t from = m_Top;
    for (std::size_t i = 0; i < m_Bands.size(); ++i)
    {
        const int64_t to = from + m_Bands[i].height;
        const bool top = rect.top >= from && rect.top <= to;
        const bool bottom = rect.bottom >= from && rect.bottom <= to;
        if (top || bottom)
            counting.push_back(i);
        from = to;
    }
    return counting;
}

int32_t guiMarginProfile::Fits(const platform::Rect& rect) const
{
    int32_t flags = rect.top <= Bottom() ? kStartsAboveBottom : 0;
    const std::vector<std::size_t> counting = _Counting(rect);
    // Without bands the open edges apply.
    bool between = counting.empty() ? rect.left >= kOpenLeft && rect.right <= kOpenRight : true;
    for (std::size_t i : counting)
        between = between && rect.left >= m_Bands[i].left && rect.right <= m_Bands[i].right;
    return between ? flags | kFitsBetweenEdges : flags;
}

int32_t guiMarginProfile::LeftPlace(const platform::Rect& rect) const
{
    int32_t left = kOpenLeft;
    for (std::size_t i : _Counting(rect))
        left = std::max(left, m_Bands[i].left);
    return left;
}

int32_t guiMarginProfile::RightPlace(const platform::Rect& rect) const
{
    int32_t right = kOpenRight;
    for (std::size_t i : _Counting(rect))
        right = std::min(right, m_Bands[i].right);
    return static_cast<int32_t>(int64_t(right) - (int64_t(rect.right) - rect.left));
}

int32_t guiMarginProfile::CentredPlace(const platform::Rect& rect) const
{
    int32_t left = kOpenLeft;
    int32_t right = kOpenRight;
    for (std::size_t i : _Counting(rect))
    {
        left = std::max(left, m_Bands[i].left);
        right = std::min(right, m_Bands[i].right);
    }
    const int64_t width = int64_t(rect.right) - rect.left;
    return static_cast<int32_t>((int64_t(right) + left) / 2 - width / 2);
}

int32_t guiMarginProfile::Bottom() const
{
    int64_t bottom = m_Top;
    for (const Band& band : m_Bands)
        bottom += band.height;
    return static_cast<int32_t>(std::clamp<int64_t>(bottom, INT32_MIN, INT32_MAX));
}

void guiMarginProfile::_SplitAt(int32_t y)
{
    int64_t from = m_Top;
    for (std::size_t i = 0; i < m_Bands.size(); ++i)
    {
        const int64_t to = from + m_Bands[i].height;
        if (y > from && y < to)
        {
            Band lower = m_Bands[i];
            lower.height = static_cast<int32_t>(to - y);
            m_Bands[i].height = static_cast<int32_t>(y - from);
            m_Bands.insert(m_Bands.begin() + static_cast<std::ptrdiff_t>(i) + 1, lower);
            return;
        }
        from = to;
    }
}

void guiMarginProfile::CutOut(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    _SplitAt(top);
    _SplitAt(bottom);
    int64_t from = m_Top;
    for (Band& band : m_Bands)
    {
        const int64_t to = from + band.height;
        if (from >= top && to <= bottom && band.height > 0)
        {
            // The piece takes the side it stands nearer to; the flow keeps the wider side.
            if (int64_t(left) - band.left >= int64_t(band.right) - right)
                band.right = std::min(band.right, left);
            else
                band.left = std::max(band.left, right);
        }
        from = to;
    }
}
