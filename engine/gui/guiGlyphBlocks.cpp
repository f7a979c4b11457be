#include "engine/gui/guiGlyph.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactory.h"

#include "platform/system/DebugOutput.h"

#include <istream>
#include <ostream>

namespace
{

constexpr const char* kTooDeep = "[guiGlyph::ReadChildren] : Layout nested deeper than 64 levels; the deeper "
                                 "glyphs and everything after them are skipped\n";

// Children being read around the current block, across nested loads.
int g_ReadNesting = 0;
// Set once a child would stand too deep; every enclosing reader stops until the outermost one is done.
bool g_NestingCut = false;

class NestingStep
{
public:
    NestingStep() { ++g_ReadNesting; }
    ~NestingStep() { --g_ReadNesting; }
    NestingStep(const NestingStep&) = delete;
    NestingStep& operator=(const NestingStep&) = delete;
};

} // namespace

template <typename Create, typename Failed, typename Take>
void guiGlyph::_ReadChildren(int32_t count, Create create, Failed failed, Take take)
{
    for (int32_t i = 0; i < count && !g_NestingCut && !failed(); ++i)
    {
        // This block stands at level g_ReadNesting + 1, its children one deeper.
        if (g_ReadNesting + 2 > kMaxLayoutNesting)
        {
            platform::OutputDebugString(kTooDeep);
            g_NestingCut = true;
            break;
        }
        guiGlyph* child;
        {
            NestingStep step;
            child = create();
        }
        if (child != nullptr)
            take(child);
    }
    if (g_ReadNesting == 0)
        g_NestingCut = false;
}

guiGlyph* guiGlyph::_ReadNestedText(std::istream& stream)
{
    guiGlyph* child = nullptr;
    _ReadChildren(
        1, [&stream]() { return CreateWidgetFromText(stream); }, [&stream]() { return !stream; },
        [&child](guiGlyph* read) { child = read; });
    return child;
}

guiGlyph* guiGlyph::_ReadNestedBinary(kaBinaryStream& stream)
{
    guiGlyph* child = nullptr;
    _ReadChildren(
        1, [&stream]() { return CreateWidgetFromBinary(stream); }, [&stream]() { return stream.Failed(); },
        [&child](guiGlyph* read) { child = read; });
    return child;
}

void guiGlyph::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Name", m_Name);
    gui::WriteTextField(stream, "ID", m_Id);
    gui::WriteTextField(stream, "Position", m_Position);
    gui::WriteTextField(stream, "Size", m_Size);
    gui::WriteTextField(stream, "Visible", m_Visible);
    gui::WriteTextField(stream, "ChildOrder", m_ChildOrder);
    gui::WriteTextField(stream, "ClipMode", m_ClipMode);
    int32_t saveable = 0;
    for (const guiGlyph* child : m_Children)
        saveable += child->IsSaveable() ? 1 : 0;
    gui::WriteTextField(stream, "NumChildren", saveable);
    for (const guiGlyph* child : m_Children)
    {
        if (!child->IsSaveable())
            continue;
        stream << child->GetClassName() << '\n';
        child->WriteText(stream);
    }
}

void guiGlyph::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_Name);
    if (gui::GetLayoutVersion() >= kIdVersion)
        gui::ReadTextField(stream, m_Id);
    gui::ReadTextField(stream, m_Position);
    gui::ReadTextField(stream, m_Size);
    gui::ReadTextField(stream, m_Visible);
    gui::ReadTextField(stream, m_ChildOrder);
    gui::ReadTextField(stream, m_ClipMode);
    int32_t count = 0;
    gui::ReadTextField(stream, count);
    _ReadChildren(
        count, [&stream]() { return CreateWidgetFromText(stream); }, [&stream]() { return !stream; },
        [this](guiGlyph* child) { AddChild(child, nullptr); });
}

void guiGlyph::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteString(m_Name);
    stream.WriteInt32(m_Id);
    m_Position.Write(stream);
    m_Size.Write(stream);
    stream.WriteBool(m_Visible);
    stream.WriteInt32(m_ChildOrder);
    stream.WriteInt32(m_ClipMode);
    int32_t saveable = 0;
    for (const guiGlyph* child : m_Children)
        saveable += child->IsSaveable() ? 1 : 0;
    stream.WriteInt32(saveable);
    for (const guiGlyph* child : m_Children)
    {
        if (!child->IsSaveable())
            continue;
        stream.WriteUInt32(child->GetClassId());
        child->WriteBinary(stream);
    }
}

void guiGlyph::ReadBinary(kaBinaryStream& stream)
{
    gui::ReadBinaryString(stream, m_Name);
    if (gui::GetLayoutVersion() >= kIdVersion)
        stream.ReadInt32(m_Id);
    m_Position.Read(stream);
    m_Size.Read(stream);
    stream.ReadBool(m_Visible);
    stream.ReadInt32(m_ChildOrder);
    stream.ReadInt32(m_ClipMode);
    int32_t count = 0;
    stream.ReadInt32(count);
    _ReadChildren(
        count, [&stream]() { return CreateWidgetFromBinary(stream); },
        [&stream]() { return stream.Failed(); }, [this](guiGlyph* child) { AddChild(child, nullptr); });
}
