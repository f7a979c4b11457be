#include "tests/support/engine/gui/TestPanel.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"

namespace
{

const guiWidgetFactoryFor<TestPanel> s_Factory;

} // namespace

const kaClassInfo& TestPanel::StaticClassInfo()
{
    static const kaClassInfo record("[TestPanel]", 1000, &guiGlyph::StaticClassInfo());
    return record;
}

TestPanel::TestPanel(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
}

TestPanel::TestPanel(std::istream& stream)
{
    TestPanel::ReadText(stream);
}

TestPanel::TestPanel(kaBinaryStream& stream)
{
    TestPanel::ReadBinary(stream);
}

void TestPanel::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Caption", caption);
    gui::WriteTextField(stream, "Weight", weight);
    guiGlyph::WriteText(stream);
}

void TestPanel::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, caption);
    gui::ReadTextField(stream, weight);
    guiGlyph::ReadText(stream);
}

void TestPanel::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteString(caption).WriteFloat(weight);
    guiGlyph::WriteBinary(stream);
}

void TestPanel::ReadBinary(kaBinaryStream& stream)
{
    gui::ReadBinaryString(stream, caption);
    stream.ReadFloat(weight);
    guiGlyph::ReadBinary(stream);
}
