#pragma once

#include "platform/window/Rect.h"

#include <cstdint>
#include <vector>

// Free space down a page: bands from a top y downwards, each with the left and right edges between which
// pieces may stand. Where no band applies the edges are 0 and 9999.
class guiMarginProfile
{
public:
    static constexpr int32_t kOpenLeft = 0;
    static constexpr int32_t kOpenRight = 9999;

    // One margin record: the free edges over a height.
    struct Band
    {
        int32_t left = kOpenLeft;
        int32_t right = kOpenRight;
        int32_t height = 0;
    };

    // Fit flags.
    enum Fit : int32_t
    {
        kFitsBetweenEdges = 1,
        kStartsAboveBottom = 2,
    };

    guiMarginProfile() = default;
    guiMarginProfile(int32_t top, std::vector<Band> bands) : m_Top(top), m_Bands(std::move(bands)) {}

    int32_t Fits(const platform::Rect& rect) const;
    // Where a rectangle of that width stands against the left edge, the right edge or centred.
    int32_t LeftPlace(const platform::Rect& rect) const;
    int32_t RightPlace(const platform::Rect& rect) const;
    int32_t CentredPlace(const platform::Rect& rect) const;
    int32_t Bottom() const;

    // The span from top to bottom stops being free between left and right: later lines flow around it.
    void CutOut(int32_t left, int32_t top, int32_t right, int32_t bottom);

    int32_t GetTop() const { return m_Top; }
    const std::vector<Band>& GetBands() const { return m_Bands; }

private:
    // The bands that count for the rectangle (indices), as the rectangle's top and bottom fall.
    std::vector<std::size_t> _Counting(const platform::Rect& rect) const;
    void _SplitAt(int32_t y);

    int32_t m_Top = 0;
    std::vector<Band> m_Bands;
};
