#include "engine/gui/guiTextBoxParams.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiTextBox.h"

#include <new>

namespace
{

const bool s_Registered = []
{
    RegisterParamsCreator(guiCreateParams::kTextBoxParams, [] { return new guiTextBoxParams(); });
    return true;
}();

} // namespace

guiGlyph* guiTextBoxParams::CreateWidget() const
{
    return new (std::nothrow) guiTextBox(*this);
}

guiCreateParams* guiTextBoxParams::Clone() const
{
    return new (std::nothrow) guiTextBoxParams(*this);
}

void guiTextBoxParams::WriteText(std::ostream& stream) const
{
    guiCreateParams::WriteText(stream);
    gui::WriteTextField(stream, "_Font", font);
    gui::WriteTextField(stream, "_Size", size);
    gui::WriteTextField(stream, "_Text", gui::EscapeNewlines(text));
    gui::WriteTextField(stream, "_Align", alignment);
    gui::WriteTextField(stream, "_Scroll", scrollable);
    gui::WriteTextField(stream, "_Edit", editable);
}

void guiTextBoxParams::ReadText(std::istream& stream)
{
    guiCreateParams::ReadText(stream);
    gui::ReadTextField(stream, font);
    gui::ReadTextField(stream, size);
    std::string escaped = gui::EscapeNewlines(text);
    gui::ReadTextField(stream, escaped);
    text = gui::UnescapeNewlines(escaped);
    gui::ReadTextField(stream, alignment);
    gui::ReadTextField(stream, scrollable);
    gui::ReadTextField(stream, editable);
}

void guiTextBoxParams::WriteBinary(kaBinaryStream& stream) const
{
    guiCreateParams::WriteBinary(stream);
    stream.WriteString(font);
    size.Write(stream);
    stream.WriteString(text);
    stream.WriteInt32(alignment);
    stream.WriteBool(scrollable);
    stream.WriteBool(editable);
}

void guiTextBoxParams::ReadBinary(kaBinaryStream& stream)
{
    guiCreateParams::ReadBinary(stream);
    gui::ReadBinaryString(stream, font);
    size.Read(stream);
    gui::ReadBinaryString(stream, text);
    stream.ReadInt32(alignment);
    stream.ReadBool(scrollable);
    stream.ReadBool(editable);
}
