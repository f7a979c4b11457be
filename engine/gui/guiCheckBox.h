#pragma once

#include "engine/gui/guiButton.h"

// A button that toggles a checked flag on each left press and shows its clicked image while checked.
// The button's pressed flag is the checked flag.
class guiCheckBox : public guiButton
{
public:
    static const kaClassInfo& StaticClassInfo();

    guiCheckBox(const guiCoordPair& position, const guiCoordPair& size, bool checked = false);
    explicit guiCheckBox(std::istream& stream);
    explicit guiCheckBox(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    // A release changes nothing.
    bool OnMouseUp(int32_t button, const gui::MouseData& data) override { return guiWidget::OnMouseUp(button, data); }
    void OnMouseEnter() override;
    void OnMouseLeave() override;

    // Fires a change event only when notify is set and the flag changed.
    void SetChecked(bool checked, bool notify);
    bool IsChecked() const { return m_Pressed; }
};
