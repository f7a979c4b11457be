#include "engine/model/KM_TextureList.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

namespace
{
const char* const kError = "Error Writing KM_TextureList Data";
} // namespace

KM_TextureList::KM_TextureList() : KM_ListBase(kTypeId, 2) {}

bool KM_TextureList::Read(KM_Stream* stream)
{
    if (stream == nullptr || stream->GetMode() == KM_Stream::kText)
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    uint32_t typeId;
    uint32_t count;
    if (!stream->ReadU32(typeId) || !ReadListWords(stream, count))
    {
        KM_MessageBox::Show(kError, "Exporter Error");
        return false;
    }
    for (uint32_t i = 0; i < count && stream->Remaining() > 0; ++i)
    {
        auto texture = std::make_unique<KM_Texture>();
        if (texture->Read(stream))
            Append(std::move(texture));
        else
            platform::OutputDebugString("ERROR Reading Texture\n");
    }
    return true;
}

bool KM_TextureList::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    if (m_Count == 0)
        return true;
    if (stream->GetMode() == KM_Stream::kText)
    {
        WriteListText(stream, "*TEXTURE_LIST", "*TEXTURE_COUNT");
        return true;
    }
    if (!WriteListWords(stream, 2))
    {
        KM_MessageBox::Show(kError, "Exporter Error");
        return false;
    }
    return WriteMembers(stream);
}
