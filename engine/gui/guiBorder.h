#pragma once

#include "engine/core/kaColor.h"
#include "engine/gui/guiDecorator.h"

#include <iosfwd>

class guiLines;

// A rectangular outline of a given width around the wrapped widget, drawn in the outer colour. The inner
// colour is kept and saved but never drawn.
class guiBorder : public guiDecorator
{
public:
    static constexpr float kDefaultWidth = 2.0f;

    static const kaClassInfo& StaticClassInfo();

    // Position and size are not used: the border fits itself to the widget it wraps.
    guiBorder(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiBorder(std::istream& stream);
    explicit guiBorder(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // The wrapped widget stands the width inside the border's corner and size.
    void SetPosition(const guiCoordPair& position) override;
    void SetSize(const guiCoordPair& size) override;
    // The border's width.
    void SetRelativeWidth(float width) override;
    void Render(guiRenderContext& context) override;
    bool PreRender(guiRenderContext& context) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;

    // Recolours the outline at once.
    void SetColor(const kaColor& outer);
    const kaColor& GetColor() const { return m_Outer; }
    const kaColor& GetInnerColor() const { return m_Inner; }
    void SetInnerColor(const kaColor& inner) { m_Inner = inner; }
    float GetWidth() const { return m_Width; }
    guiLines* GetOutline() const { return m_Outline; }

private:
    void _MakeOutline();
    void _Fit();
    void _SetSegments();

    float m_Width = kDefaultWidth;
    kaColor m_Inner = kaColor::kaColorClamped(1.0f, 1.0f, 1.0f, 1.0f);
    kaColor m_Outer = kaColor::kaColorClamped(1.0f, 1.0f, 1.0f, 1.0f);
    guiLines* m_Outline = nullptr;
};
