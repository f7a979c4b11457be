#pragma once

#include "engine/gui/guiWidget.h"

#include <cstdint>
#include <iosfwd>

// An invisible widget that holds others together. It places itself by an alignment around the point it
// was asked for, can keep its height or width at a fixed multiple of the other, and takes the mouse only
// where one of its children does.
class guiGroup : public guiWidget
{
public:
    // Alignment flags; none means left and top. Centre wins over right, middle over bottom.
    enum Alignment : int32_t
    {
        kAlignCentre = 2,
        kAlignRight = 4,
        kAlignMiddle = 16,
        kAlignBottom = 32,
    };
    enum AspectSetting : int32_t
    {
        kAspectFree = 0,
        kAspectHeightFollowsWidth = 1,
        kAspectWidthFollowsHeight = 2,
    };

    static const kaClassInfo& StaticClassInfo();

    guiGroup(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiGroup(std::istream& stream);
    explicit guiGroup(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // The aligned top-left corner, in pixels.
    const guiCoordPair& GetPosition() const override { return m_ReportedPos; }
    // The point the alignment refers to.
    void SetPosition(const guiCoordPair& position) override;
    // Applies the aspect rule to the size given.
    void SetSize(const guiCoordPair& size) override;
    // Asks the children in order; the group hits only where one of them does.
    bool HitTest(const kaPoint& point, guiGlyph*& out) override;
    void Render(guiRenderContext& context) override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;

    // Stores the flags and places the group by them around the requested position.
    void ApplyAlignment(int32_t flags);
    // The size the aspect rule makes of the one given.
    guiCoordPair ApplyAspect(const guiCoordPair& size) const;

    int32_t GetAlignment() const { return m_Alignment; }
    const guiCoordPair& GetRequestedPosition() const { return m_RequestedPos; }
    int32_t GetAspectSetting() const { return m_AspectSetting; }
    // Takes effect at the next size given or the next render.
    void SetAspectSetting(int32_t setting);
    float GetAspectRatio() const { return m_AspectRatio; }
    void SetAspectRatio(float ratio);

private:
    // The position just read becomes the requested one, and the group is placed from it.
    void _AfterRead();

    int32_t m_Alignment = 0;
    guiCoordPair m_RequestedPos;
    guiCoordPair m_ReportedPos;
    int32_t m_AspectSetting = kAspectFree;
    float m_AspectRatio = 0.0f;
};
