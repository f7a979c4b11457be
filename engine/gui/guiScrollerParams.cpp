#include "engine/gui/guiScrollerParams.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiLayoutSyntax.h"

#include <istream>
#include <new>
#include <ostream>

namespace
{

const bool s_Registered = []
{
    RegisterParamsCreator(guiCreateParams::kScrollerParams, [] { return new guiScrollerParams(); });
    return true;
}();

// One name a line; a line end in a name would make two.
std::string OneLine(const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    return line;
}

} // namespace

guiCreateParams* guiScrollerParams::Clone() const
{
    return new (std::nothrow) guiScrollerParams(*this);
}

void guiScrollerParams::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "_Size", size);
    stream << "_Bitmap\n"
           << OneLine(images.GetUpArrow()) << '\n'
           << OneLine(images.GetDownArrow()) << '\n'
           << OneLine(images.GetSlider()) << '\n'
           << OneLine(images.GetBack()) << '\n';
    guiCreateParams::WriteText(stream);
}

void guiScrollerParams::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, size);
    std::string key;
    std::getline(stream >> std::ws, key);
    for (std::string* name : {&images.upArrow, &images.downArrow, &images.slider, &images.back})
    {
        std::string line;
        if (!std::getline(stream, line))
            break;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        *name = line;
    }
    guiCreateParams::ReadText(stream);
}

void guiScrollerParams::WriteBinary(kaBinaryStream& stream) const
{
    size.Write(stream);
    for (const std::string* name : {&images.upArrow, &images.downArrow, &images.slider, &images.back})
        stream.WriteString(*name);
    guiCreateParams::WriteBinary(stream);
}

void guiScrollerParams::ReadBinary(kaBinaryStream& stream)
{
    size.Read(stream);
    for (std::string* name : {&images.upArrow, &images.downArrow, &images.slider, &images.back})
        gui::ReadBinaryString(stream, *name);
    guiCreateParams::ReadBinary(stream);
}
