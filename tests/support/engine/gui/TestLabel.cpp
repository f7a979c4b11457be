#include "tests/support/engine/gui/TestLabel.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"

namespace
{

const guiWidgetFactoryFor<TestLabel> s_Factory;

} // namespace

const kaClassInfo& TestLabel::StaticClassInfo()
{
    static const kaClassInfo record("[TestLabel]", 1034, &TestPanel::StaticClassInfo());
    return record;
}

TestLabel::TestLabel(std::istream& stream)
{
    TestLabel::ReadText(stream);
}

TestLabel::TestLabel(kaBinaryStream& stream)
{
    TestLabel::ReadBinary(stream);
}

void TestLabel::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Text", gui::EscapeNewlines(text));
    gui::WriteOptionalTextField(stream, "Slot", slot);
    TestPanel::WriteText(stream);
}

void TestLabel::ReadText(std::istream& stream)
{
    std::string escaped;
    gui::ReadTextField(stream, escaped);
    text = gui::UnescapeNewlines(escaped);
    gui::ReadOptionalTextField(stream, slot);
    TestPanel::ReadText(stream);
}

void TestLabel::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteString(text);
    gui::WriteOptionalBinary(stream, slot);
    TestPanel::WriteBinary(stream);
}

void TestLabel::ReadBinary(kaBinaryStream& stream)
{
    gui::ReadBinaryString(stream, text);
    gui::ReadOptionalBinary(stream, slot);
    TestPanel::ReadBinary(stream);
}
