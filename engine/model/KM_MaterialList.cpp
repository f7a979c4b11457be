#include "engine/model/KM_MaterialList.h"

#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

KM_MaterialList::KM_MaterialList() : KM_ListBase(kTypeId, 1) {}

bool KM_MaterialList::Read(KM_Stream* stream)
{
    if (stream == nullptr || stream->GetMode() == KM_Stream::kText)
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    uint32_t count;
    if (!ReadListWords(stream, count))
    {
        platform::OutputDebugString("\nError Reading Material List\n");
        return false;
    }
    for (uint32_t i = 0; i < count && stream->Remaining() > 0; ++i)
    {
        auto material = std::make_unique<KM_Material>();
        material->m_RefNo = i;
        if (material->Read(stream))
            Append(std::move(material));
        else
            platform::OutputDebugString("ERROR Reading Material\n");
    }
    return true;
}

bool KM_MaterialList::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    if (stream->GetMode() == KM_Stream::kText)
    {
        WriteListText(stream, KM_Object::GetTypeTag(kTypeId), "*MATERIAL_COUNT");
        return true;
    }
    if (!WriteListWords(stream, 2))
        return false;
    return WriteMembers(stream);
}
