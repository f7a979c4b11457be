#pragma once

#include "engine/gui/guiDecorator.h"

#include <iosfwd>

class guiImage;
class guiImageParams;

// An image laid under the wrapped widget, covering the decorator; with tiling on the picture repeats at
// its own pixel size.
class guiBackground : public guiDecorator
{
public:
    // Files up to this version hold an obsolete position record after the tiling flag.
    static constexpr float kObsoleteRecordVersion = 1.01f;

    static const kaClassInfo& StaticClassInfo();

    guiBackground(guiWidget* component, const guiImageParams& params);
    // Position and size are not used: a half-transparent plain image and no widget.
    guiBackground(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiBackground(std::istream& stream);
    explicit guiBackground(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // The image shares the decorator's layer, the widget stands one above.
    void SetLayer(int32_t layer) override;
    void SetSize(const guiCoordPair& size) override;
    void Render(guiRenderContext& context) override;
    bool PreRender(guiRenderContext& context) override;
    void PostRender(guiRenderContext& context) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    int RemoveChild(guiGlyph* child) override;

    guiImage* GetImage() const { return m_Image; }
    bool IsTiling() const { return m_Tiling; }
    void SetTiling(bool tiling);

private:
    void _AddImage(guiImage* image);
    // The image's picture repeated at its own size across the decorator; a picture of no size repeats
    // nowhere.
    void _Repeat();
    void _TakeImage(int32_t index);

    guiImage* m_Image = nullptr;
    bool m_Tiling = false;
};
