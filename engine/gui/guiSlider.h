#pragma once

#include "engine/gui/guiWidget.h"

#include <boost/function.hpp>

#include <iosfwd>

class guiImage;
class guiImageParams;

// A thumb image moving along a straight track between two points, standing for a value from 0 to 1.
// The slider keeps no value: a press or a drag reports one to the change callback, and the owner places
// the thumb with SetValue.
class guiSlider : public guiWidget
{
public:
    using Callback = boost::function<bool(float)>;

    static const kaClassInfo& StaticClassInfo();

    guiSlider(const guiImageParams& thumb, bool horizontal);
    // Horizontal, without a thumb.
    guiSlider(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiSlider(std::istream& stream);
    explicit guiSlider(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    int RemoveChild(guiGlyph* child) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    bool OnMouseMove(const guiMsgMouse& message) override;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    bool OnMouseUp(int32_t button, const gui::MouseData& data) override;
    void OnMouseLeave() override;

    // Places the thumb for the value, clamped to 0-1 (no number counts as 0). While dragging, and when
    // asked, the GUI cursor follows the thumb along the track.
    void SetValue(float value, bool moveCursor);
    // The value the track gives a point relative to the slider.
    float ValueAt(const kaPoint& point) const;
    void SetOnChange(const Callback& callback) { m_OnChange = callback; }
    void SetTrack(const guiCoordPair& from, const guiCoordPair& to);
    // In pixels; 0, 0 without a thumb.
    kaPoint GetThumbSize() const;

    guiImage* GetThumb() const { return m_Thumb; }
    bool IsDragging() const { return m_Dragging; }
    bool IsHorizontal() const { return m_Horizontal; }
    void SetHorizontal(bool horizontal) { m_Horizontal = horizontal; }
    const guiCoordPair& GetFrom() const { return m_From; }
    const guiCoordPair& GetTo() const { return m_To; }

private:
    // A track end in pixels from the slider's corner.
    kaPoint _TrackPoint(const guiCoordPair& end) const;
    kaPoint _ScreenCorner() const;
    void _Report(float value) const;
    void _SetThumb(guiImage* thumb);

    guiImage* m_Thumb = nullptr;
    bool m_Dragging = false;
    guiCoordPair m_From;
    guiCoordPair m_To;
    bool m_Horizontal = true;
    Callback m_OnChange;
};
