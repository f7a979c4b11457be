#include "engine/gui/guiCheckBox.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiCheckBox> s_Factory;

} // namespace

const kaClassInfo& guiCheckBox::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kCheckBoxClass);
}

guiCheckBox::guiCheckBox(const guiCoordPair& position, const guiCoordPair& size, bool checked)
    : guiButton(position, size)
{
    SetChecked(checked, true);
}

guiCheckBox::guiCheckBox(std::istream& stream)
{
    guiCheckBox::ReadText(stream);
    SetState(kNormal);
    SetChecked(m_Pressed, true);
}

guiCheckBox::guiCheckBox(kaBinaryStream& stream)
{
    guiCheckBox::ReadBinary(stream);
    SetState(kNormal);
    SetChecked(m_Pressed, true);
}

void guiCheckBox::SetChecked(bool checked, bool notify)
{
    const bool changed = checked != m_Pressed;
    m_Pressed = checked;
    SetState(checked ? kClicked : kNormal);
    if (notify && changed)
        FireEvent(guiMsgEvent(gui::kEventValueChanged, this, m_Name));
}

bool guiCheckBox::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    if (button != 0 || m_State == kDisabled)
        return guiWidget::OnMouseDown(button, data);
    SetChecked(!m_Pressed, true);
    _PlayClick();
    _Run(m_OnClick, m_Pressed ? 1 : 0);
    return true;
}

void guiCheckBox::OnMouseEnter()
{
    if (m_State != kDisabled && !m_Pressed)
        SetState(kRollover);
    m_Hover = true;
}

void guiCheckBox::OnMouseLeave()
{
    if (m_State != kDisabled && !m_Pressed)
        SetChecked(false, true);
    m_Hover = false;
}

void guiCheckBox::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Checked", m_Pressed);
    guiButton::WriteText(stream);
}

void guiCheckBox::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_Pressed);
    guiButton::ReadText(stream);
}

void guiCheckBox::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_Pressed);
    guiButton::WriteBinary(stream);
}

void guiCheckBox::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadBool(m_Pressed);
    guiButton::ReadBinary(stream);
}

void guiCheckBox::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertBool("Checked", m_Pressed);
    guiButton::GetProperties(sheet);
}

void guiCheckBox::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Checked"))
    {
        std::istringstream text(entry->text);
        bool checked = false;
        if (text >> checked)
            SetChecked(checked, true);
    }
    guiButton::SetProperties(sheet);
}
