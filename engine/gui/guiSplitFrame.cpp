#include "engine/gui/guiSplitFrame.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>
#include <vector>

using guiPropertyText::ParseBool;

namespace
{

const guiWidgetFactoryFor<guiSplitFrame> s_Factory;

const char* const kSlotNames[guiSplitFrame::kSlotCount] = {"Slot0", "Slot1"};

} // namespace

const kaClassInfo& guiSplitFrame::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kSplitFrameClass);
}

guiSplitFrame::guiSplitFrame(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
    for (int32_t slot = 0; slot < kSlotCount; ++slot)
    {
        guiGroup* group = new guiGroup(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(0, 0));
        group->SetName(kSlotNames[slot]);
        m_Slots[slot] = group;
        AddChild(group);
    }
}

guiSplitFrame::guiSplitFrame(std::istream& stream)
{
    guiSplitFrame::ReadText(stream);
}

guiSplitFrame::guiSplitFrame(kaBinaryStream& stream)
{
    guiSplitFrame::ReadBinary(stream);
}

guiGroup* guiSplitFrame::GetSlot(int32_t slot) const
{
    return slot >= 0 && slot < kSlotCount ? m_Slots[slot] : nullptr;
}

bool guiSplitFrame::SetSlotContent(int32_t slot, guiGlyph* content)
{
    guiGroup* group = GetSlot(slot);
    if (group == nullptr)
        return false;
    // A slot cannot hold itself or anything that holds it.
    for (const guiGlyph* holder = group; holder != nullptr; holder = holder->GetParent())
        if (holder == content)
            return false;
    const std::vector<guiGlyph*> old = [group]
    {
        std::vector<guiGlyph*> children;
        for (int i = 0; i < group->GetChildCount(); ++i)
            children.push_back(group->GetChild(i));
        return children;
    }();
    for (guiGlyph* child : old)
        if (child != content)
            group->RemoveChild(child);
    if (content != nullptr && group->IndexOfChild(content) < 0)
        group->AddChild(content);
    return true;
}

void guiSplitFrame::Layout()
{
    const kaPoint size = m_PixelSize;
    const int32_t length = m_Horizontal ? size.x : size.y;
    const int32_t across = m_Horizontal ? size.y : size.x;
    const int64_t master = m_MasterSize.IsRelative()
                               ? gui::TruncateToInt(static_cast<float>(length) * m_MasterSize.value)
                               : gui::TruncateToInt(m_MasterSize.value);
    const int32_t first = gui::ClampToInt(m_Master != 0 ? length - master : master);
    const int32_t rest = gui::ClampToInt(int64_t(length) - first);
    // The slots take the frame's height (or width) in pixels: a relative one copied into a slot would be
    // taken of the frame a second time.
    auto extent = [this](int32_t along, int32_t other)
    {
        return m_Horizontal ? guiCoordPair::Pixels(float(along), float(other))
                            : guiCoordPair::Pixels(float(other), float(along));
    };
    if (m_Slots[0] != nullptr)
        m_Slots[0]->SetSize(extent(first, across));
    if (m_Slots[1] != nullptr)
    {
        m_Slots[1]->SetPosition(extent(first, 0));
        m_Slots[1]->SetSize(extent(rest, across));
    }
}

int guiSplitFrame::RemoveChild(guiGlyph* child)
{
    for (guiGroup*& slot : m_Slots)
        if (slot != nullptr && slot == child)
            slot = nullptr;
    return guiFrame::RemoveChild(child);
}

int32_t guiSplitFrame::_IndexOf(int32_t slot) const
{
    return m_Slots[slot] != nullptr ? IndexOfChild(m_Slots[slot]) : -1;
}

void guiSplitFrame::_AttachSlots(const int32_t (&indices)[kSlotCount])
{
    for (int32_t slot = 0; slot < kSlotCount; ++slot)
    {
        guiGlyph* child = indices[slot] >= 0 ? GetChild(indices[slot]) : nullptr;
        guiGroup* group = child != nullptr ? child->DynamicCast<guiGroup>() : nullptr;
        m_Slots[slot] = slot == 1 && group == m_Slots[0] ? nullptr : group;
    }
}

void guiSplitFrame::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Horizontal", m_Horizontal);
    gui::WriteTextField(stream, "Master", m_Master);
    gui::WriteTextField(stream, "MasterSize", m_MasterSize);
    gui::WriteOptionalTextField(stream, "Slot0", _IndexOf(0));
    gui::WriteOptionalTextField(stream, "Slot1", _IndexOf(1));
    guiFrame::WriteText(stream);
}

void guiSplitFrame::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_Horizontal);
    gui::ReadTextField(stream, m_Master);
    gui::ReadTextField(stream, m_MasterSize);
    int32_t indices[kSlotCount] = {-1, -1};
    gui::ReadOptionalTextField(stream, indices[0]);
    gui::ReadOptionalTextField(stream, indices[1]);
    guiFrame::ReadText(stream);
    _AttachSlots(indices);
}

void guiSplitFrame::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_Horizontal);
    stream.WriteInt32(m_Master);
    m_MasterSize.Write(stream);
    gui::WriteOptionalBinary(stream, _IndexOf(0));
    gui::WriteOptionalBinary(stream, _IndexOf(1));
    guiFrame::WriteBinary(stream);
}

void guiSplitFrame::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadBool(m_Horizontal);
    stream.ReadInt32(m_Master);
    m_MasterSize.Read(stream);
    int32_t indices[kSlotCount] = {-1, -1};
    gui::ReadOptionalBinary(stream, indices[0]);
    gui::ReadOptionalBinary(stream, indices[1]);
    guiFrame::ReadBinary(stream);
    _AttachSlots(indices);
}

void guiSplitFrame::GetProperties(GuiParamTable& sheet) const
{
    std::ostringstream size;
    m_MasterSize.WriteText(size);
    sheet.Insert("MasterSize", size.str(), m_MasterSize);
    sheet.InsertInt("Master", m_Master);
    sheet.InsertBool("Horiz", m_Horizontal);
    guiFrame::GetProperties(sheet);
}

void guiSplitFrame::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("MasterSize"))
    {
        std::istringstream text(entry->text);
        m_MasterSize.ReadText(text);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Master"))
    {
        std::istringstream text(entry->text);
        int32_t master = 0;
        if (text >> master)
            m_Master = master;
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Horiz"))
        ParseBool(entry->text, m_Horizontal);
    guiFrame::SetProperties(sheet);
}
