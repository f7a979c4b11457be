#include "engine/gui/guiTextParams.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiText.h"

#include <new>

namespace
{

const bool s_Registered = []
{
    RegisterParamsCreator(guiCreateParams::kTextParams, [] { return new guiTextParams(); });
    return true;
}();

} // namespace

guiGlyph* guiTextParams::CreateWidget() const
{
    return new (std::nothrow) guiText(*this);
}

guiCreateParams* guiTextParams::Clone() const
{
    return new (std::nothrow) guiTextParams(*this);
}

void guiTextParams::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "_Font", font);
    gui::WriteTextField(stream, "_Text", gui::EscapeNewlines(text));
    guiCreateParams::WriteText(stream);
}

void guiTextParams::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, font);
    std::string escaped = gui::EscapeNewlines(text);
    gui::ReadTextField(stream, escaped);
    text = gui::UnescapeNewlines(escaped);
    guiCreateParams::ReadText(stream);
}

void guiTextParams::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteString(font);
    stream.WriteString(text);
    guiCreateParams::WriteBinary(stream);
}

void guiTextParams::ReadBinary(kaBinaryStream& stream)
{
    gui::ReadBinaryString(stream, font);
    gui::ReadBinaryString(stream, text);
    guiCreateParams::ReadBinary(stream);
}
