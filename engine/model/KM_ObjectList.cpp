#include "engine/model/KM_ObjectList.h"

#include "engine/model/KM_MessageBox.h"
#include "engine/model/KM_ObjectFactory.h"
#include "engine/model/KM_Stream.h"

KM_ObjectList::KM_ObjectList() : KM_ListBase(kTypeId, 1) {}

bool KM_ObjectList::Read(KM_Stream* stream)
{
    if (stream == nullptr || stream->GetMode() == KM_Stream::kText)
        return false;
    if (stream->GetMode() != KM_Stream::kBinary)
        return true;
    uint32_t count;
    if (!ReadListWords(stream, count))
    {
        KM_MessageBox::Show("Error Writing KM_ObjectList Data", "Exporter Error");
        return false;
    }
    for (uint32_t i = 0; i < count && stream->Remaining() > 0; ++i)
    {
        std::unique_ptr<KM_Object> object = CreateKMObject(stream);
        if (object && object->Read(stream))
            Append(std::move(object));
    }
    return true;
}

bool KM_ObjectList::Write(KM_Stream* stream)
{
    if (stream == nullptr)
        return false;
    if (stream->GetMode() == KM_Stream::kText)
    {
        WriteListText(stream, KM_Object::GetTypeTag(kTypeId), nullptr);
        return true;
    }
    if (!WriteListWords(stream, 2))
    {
        KM_MessageBox::Show("Error Writing KM_ObjectList Data", "Exporter Error");
        return false;
    }
    return WriteMembers(stream);
}
