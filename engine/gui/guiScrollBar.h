#pragma once

#include "engine/gui/guiButton.h"
#include "engine/gui/guiSlider.h"
#include "engine/gui/guiWidget.h"

#include <cstdint>
#include <iosfwd>

class guiBackground;

// A bar along one axis: a "less" arrow button at the start, a "more" one at the end, and between them a
// back image holding a slider whose thumb shows the position.
class guiScrollBar : public guiWidget
{
public:
    enum Orientation : int32_t
    {
        kVertical = 1,
        kHorizontal = 2,
    };
    // Seconds between the steps of a held arrow.
    static constexpr float kArrowRepeatRate = 0.05f;

    static const kaClassInfo& StaticClassInfo();

    guiScrollBar(int32_t orientation, const guiCoordPair& size);
    // Vertical.
    guiScrollBar(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiScrollBar(std::istream& stream);
    explicit guiScrollBar(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // The parts follow.
    void SetVisible(bool visible) override;
    int RemoveChild(guiGlyph* child) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    // Lays the parts out first when dirty.
    void Render(guiRenderContext& context) override;

    void SetOnLess(const guiButton::Callback& callback);
    void SetOnMore(const guiButton::Callback& callback);
    void SetOnSlide(const guiSlider::Callback& callback);
    // Builds the parts anew for the orientation.
    void SetOrientation(int32_t orientation);

    int32_t GetOrientation() const { return m_Orientation; }
    bool IsVertical() const { return (m_Orientation & kVertical) != 0; }
    guiButton* GetLess() const { return m_Less; }
    guiButton* GetMore() const { return m_More; }
    guiSlider* GetSlider() const { return m_Slider; }
    guiBackground* GetBack() const { return m_Back; }

private:
    void _BuildParts();
    void _RemoveParts();
    void _Layout();
    // The parts named by child indices, each only when the child is of the part's class.
    void _TakeParts(int32_t less, int32_t more, int32_t back);
    int32_t _IndexOf(const guiGlyph* part) const;
    // Parts built or read later get the callbacks given before.
    void _Connect();

    guiButton* m_Less = nullptr;
    guiButton* m_More = nullptr;
    guiSlider* m_Slider = nullptr;
    guiBackground* m_Back = nullptr;
    int32_t m_Orientation = kVertical;
    guiButton::Callback m_OnLess;
    guiButton::Callback m_OnMore;
    guiSlider::Callback m_OnSlide;
};
