#include "engine/gui/guiOptionGroup.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <algorithm>

namespace
{

const guiWidgetFactoryFor<guiOptionGroup> s_Factory;

} // namespace

const kaClassInfo& guiOptionGroup::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kOptionGroupClass);
}

guiOptionGroup::guiOptionGroup(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
}

guiOptionGroup::guiOptionGroup(std::istream& stream)
{
    guiOptionGroup::ReadText(stream);
}

guiOptionGroup::guiOptionGroup(kaBinaryStream& stream)
{
    guiOptionGroup::ReadBinary(stream);
}

guiOptionGroup::~guiOptionGroup()
{
    // The glyph's destructor drops the children without this class's RemoveChild.
    while (!m_Members.empty())
        _ReleaseMember(m_Members.front());
}

void guiOptionGroup::AddChild(guiGlyph* child, guiWindow* window)
{
    guiCheckBox* box = child != nullptr ? child->DynamicCast<guiCheckBox>() : nullptr;
    if (box != nullptr && std::find(m_Members.begin(), m_Members.end(), box) == m_Members.end())
    {
        box->SetChecked(m_Members.empty(), true);
        m_OwnClicks.push_back(box->GetOnClick());
        box->SetOnClick(
            [this, box](int)
            {
                Select(box, true);
                return true;
            });
        m_Members.push_back(box);
    }
    guiWidget::AddChild(child, window);
}

int guiOptionGroup::RemoveChild(guiGlyph* child)
{
    const auto found = std::find(m_Members.begin(), m_Members.end(), child);
    if (found != m_Members.end())
        _ReleaseMember(*found);
    return guiWidget::RemoveChild(child);
}

void guiOptionGroup::_ReleaseMember(guiCheckBox* member)
{
    const auto found = std::find(m_Members.begin(), m_Members.end(), member);
    if (found == m_Members.end())
        return;
    const std::size_t index = static_cast<std::size_t>(found - m_Members.begin());
    member->SetOnClick(m_OwnClicks[index]);
    m_Members.erase(found);
    m_OwnClicks.erase(m_OwnClicks.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string guiOptionGroup::GetSelection() const
{
    for (const guiCheckBox* member : m_Members)
        if (member->IsChecked())
            return member->GetName();
    return std::string();
}

void guiOptionGroup::Select(guiCheckBox* member, bool notify)
{
    if (member->IsChecked())
    {
        for (guiCheckBox* other : m_Members)
            if (other != member && other->IsChecked())
                other->SetChecked(false, true);
        if (notify)
            FireEvent(guiMsgEvent(gui::kEventValueChanged, this, member->GetName()));
        return;
    }
    const bool another =
        std::any_of(m_Members.begin(), m_Members.end(), [](const guiCheckBox* box) { return box->IsChecked(); });
    if (!another)
        member->SetChecked(true, true);
}

void guiOptionGroup::SelectByName(const std::string& name, bool notify)
{
    const std::string previous = GetSelection();
    for (guiCheckBox* member : m_Members)
    {
        if (member->GetName() != name || member->GetState() == guiButton::kDisabled)
            continue;
        member->SetChecked(true, true);
        Select(member, notify && name != previous);
        return;
    }
}

void guiOptionGroup::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Selection", GetSelection());
    guiWidget::WriteText(stream);
}

void guiOptionGroup::ReadText(std::istream& stream)
{
    std::string selection;
    gui::ReadTextField(stream, selection);
    guiWidget::ReadText(stream);
    SelectByName(selection, true);
}

void guiOptionGroup::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteString(GetSelection());
    guiWidget::WriteBinary(stream);
}

void guiOptionGroup::ReadBinary(kaBinaryStream& stream)
{
    std::string selection;
    gui::ReadBinaryString(stream, selection);
    guiWidget::ReadBinary(stream);
    SelectByName(selection, true);
}

void guiOptionGroup::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertString("Selection", GetSelection());
    guiWidget::GetProperties(sheet);
}

void guiOptionGroup::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Selection"))
        SelectByName(entry->text, true);
    guiWidget::SetProperties(sheet);
}
