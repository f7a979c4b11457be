#pragma once

#include "engine/gui/guiDecorator.h"

#include <iosfwd>
#include <string>

class guiText;
class guiTextParams;

// A text written over the wrapped widget, centred on it the first time it is drawn.
class guiCaption : public guiDecorator
{
public:
    static constexpr const char* kDefaultText = "Caption";

    static const kaClassInfo& StaticClassInfo();

    guiCaption(guiWidget* component, const guiTextParams& params);
    // Position and size are not used: the text "Caption" and no widget.
    guiCaption(const guiCoordPair& position, const guiCoordPair& size);
    // A caption read keeps the text where it was saved.
    explicit guiCaption(std::istream& stream);
    explicit guiCaption(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // The wrapped widget moves with the caption.
    void SetPosition(const guiCoordPair& position) override;
    // The text stands over the widget.
    void SetLayer(int32_t layer) override;
    bool IsDirty() const override;
    void Render(guiRenderContext& context) override;
    bool PreRender(guiRenderContext& context) override;
    void PostRender(guiRenderContext& context) override;
    int RemoveChild(guiGlyph* child) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    // The caption's text becomes the widget's name.
    void SetChild(guiWidget* widget) override;

    // A new text, centred over the widget again when next drawn.
    void SetCaptionText(const std::string& text);

    guiText* GetCaption() const { return m_Caption; }
    bool IsPlaced() const { return m_Placed; }

private:
    void _AddCaption(guiText* text);
    void _Centre();
    void _TakeCaption(int32_t index);

    guiText* m_Caption = nullptr;
    bool m_Placed = false;
};
