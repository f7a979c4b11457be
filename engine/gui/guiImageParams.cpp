#include "engine/gui/guiImageParams.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"

#include <new>

namespace
{

const bool s_Registered = []
{
    RegisterParamsCreator(guiCreateParams::kImageParams, [] { return new guiImageParams(); });
    return true;
}();

} // namespace

guiGlyph* guiImageParams::CreateWidget() const
{
    return new (std::nothrow) guiImage(*this);
}

guiCreateParams* guiImageParams::Clone() const
{
    return new (std::nothrow) guiImageParams(*this);
}

void guiImageParams::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "_Tiling", tiling);
    gui::WriteTextField(stream, "_Filename", filename);
    gui::WriteTextField(stream, "_BufferWidth", bufferWidth);
    gui::WriteTextField(stream, "_Size", size);
    gui::WriteTextField(stream, "_Alpha", alpha);
    gui::WriteTextField(stream, "_AlphaHitTesting", alphaHitTesting);
    gui::WriteTextField(stream, "_Filtering", filtering);
    guiCreateParams::WriteText(stream);
}

void guiImageParams::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, tiling);
    gui::ReadTextField(stream, filename);
    gui::ReadTextField(stream, bufferWidth);
    gui::ReadTextField(stream, size);
    gui::ReadTextField(stream, alpha);
    if (gui::GetLayoutVersion() >= kAlphaHitTestingVersion)
        gui::ReadTextField(stream, alphaHitTesting);
    gui::ReadTextField(stream, filtering);
    guiCreateParams::ReadText(stream);
}

void guiImageParams::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(tiling);
    stream.WriteString(filename);
    bufferWidth.Write(stream);
    size.Write(stream);
    stream.WriteBool(alpha);
    stream.WriteBool(alphaHitTesting);
    stream.WriteInt32(filtering);
    guiCreateParams::WriteBinary(stream);
}

void guiImageParams::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadBool(tiling);
    gui::ReadBinaryString(stream, filename);
    bufferWidth.Read(stream);
    size.Read(stream);
    stream.ReadBool(alpha);
    if (gui::GetLayoutVersion() >= kAlphaHitTestingVersion)
        stream.ReadBool(alphaHitTesting);
    stream.ReadInt32(filtering);
    guiCreateParams::ReadBinary(stream);
}
