#pragma once

#include "engine/core/kaColor.h"
#include "engine/gui/guiGlyph.h"

#include <cstdint>

class guiImage;
class guiLines;

// A filled area and an outline, made of two children of its own: a plain-colour image for the fill and
// a lines glyph of four segments for the border. Both are saved as children and found again by index.
class guiRectangle : public guiGlyph
{
public:
    static const kaClassInfo& StaticClassInfo();

    guiRectangle(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiRectangle(std::istream& stream);
    explicit guiRectangle(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    bool HitTest(const kaPoint& /*point*/, guiGlyph*& /*out*/) override { return false; }
    // A dirty rectangle builds its outline afresh first.
    void Render(guiRenderContext& context) override;
    int RemoveChild(guiGlyph* child) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;

    void SetFillColor(const kaColor& color);
    void SetFilled(bool filled);
    void SetBorderWidth(float width);
    void SetBorderColor(const kaColor& color);

    bool IsFilled() const { return m_Filled; }
    const kaColor& GetFillColor() const { return m_FillColor; }
    float GetBorderWidth() const { return m_BorderWidth; }
    const kaColor& GetBorderColor() const { return m_BorderColor; }
    guiImage* GetFill() const { return m_Fill; }
    guiLines* GetBorder() const { return m_Border; }

private:
    void _MakeFill();
    void _BuildOutline();
    // The index among the saved children, or -1.
    int32_t _SavedIndex(const guiGlyph* child) const;
    guiGlyph* _SavedChild(int32_t index) const;
    // Takes the fill and the border from the saved children; an index that names no glyph of the
    // right class counts as none.
    void _ResolveParts(int32_t fill, int32_t border);

    bool m_Filled = true;
    kaColor m_FillColor;
    guiImage* m_Fill = nullptr;
    float m_BorderWidth = 0.0f;
    kaColor m_BorderColor;
    guiLines* m_Border = nullptr;
};
