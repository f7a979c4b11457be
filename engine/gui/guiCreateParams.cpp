#include "engine/gui/guiCreateParams.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiLayoutSyntax.h"

#include <map>

namespace
{

// Made on first use, so that registrations during static construction find it.
std::map<int32_t, guiParamsCreator>& Creators()
{
    static std::map<int32_t, guiParamsCreator> creators;
    return creators;
}

} // namespace

void guiCreateParams::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "_ForeColor", foreColor);
    gui::WriteTextField(stream, "_Name", name);
    gui::WriteTextField(stream, "_Position", position);
}

void guiCreateParams::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, foreColor);
    gui::ReadTextField(stream, name);
    gui::ReadTextField(stream, position);
}

void guiCreateParams::WriteBinary(kaBinaryStream& stream) const
{
    foreColor.Write(stream);
    stream.WriteString(name);
    position.Write(stream);
}

void guiCreateParams::ReadBinary(kaBinaryStream& stream)
{
    foreColor.Read(stream);
    gui::ReadBinaryString(stream, name);
    position.Read(stream);
}

void RegisterParamsCreator(int32_t kind, const guiParamsCreator& creator)
{
    Creators()[kind] = creator;
}

guiCreateParams* CreateParams(int32_t kind)
{
    const auto found = Creators().find(kind);
    if (found == Creators().end() || !found->second)
        return nullptr;
    return found->second();
}
