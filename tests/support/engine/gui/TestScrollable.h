#pragma once

#include "engine/gui/guiScrollable.h"

#include <cstdint>
#include <iosfwd>

// A list of rows of 10 pixels, of which as many show as fit its height; it scrolls vertically by a row at
// a time when there are more rows than fit, and horizontally when its lines are wider than it. Its rows
// and line width are saved with it ("[TestScrollable]").
class TestScrollable : public guiScrollable
{
public:
    static constexpr int32_t kRowHeight = 10;

    static const kaClassInfo& StaticClassInfo();

    TestScrollable(const guiCoordPair& position, const guiCoordPair& size);
    explicit TestScrollable(std::istream& stream);
    explicit TestScrollable(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    int32_t GetScrollDirections() override;
    void ScrollVertical(int32_t step) override;
    void SetVerticalScroll(float fraction) override;
    float GetVerticalScroll() override { return m_VerticalScroll; }
    void ScrollHorizontal(int32_t step) override;
    void SetHorizontalScroll(float fraction) override;
    float GetHorizontalScroll() override { return m_HorizontalScroll; }

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    // Rows beyond those that fit.
    int32_t HiddenRows() const;

    int32_t rows = 0;
    int32_t lineWidth = 0;
    int32_t verticalSteps = 0;
};
