#include "engine/model/KM_ListBase.h"

#include "engine/model/KM_Object.h"
#include "engine/model/KM_Stream.h"

KM_ListBase::KM_ListBase(uint32_t typeId, uint32_t version)
    : m_TypeId(typeId), m_Version(version), m_MadeVersion(version), m_Count(0), m_First(nullptr),
      m_Last(nullptr), m_Cursor(nullptr)
{
}

KM_ListBase::~KM_ListBase()
{
    Clear();
}

void KM_ListBase::AppendObject(std::unique_ptr<KM_Object> object)
{
    if (!object)
        return;
    KM_Object* member = object.release();
    member->m_Previous = m_Last;
    member->m_Next = nullptr;
    if (m_Last != nullptr)
        m_Last->m_Next = member;
    else
        m_First = member;
    m_Last = member;
    ++m_Count;
}

void KM_ListBase::Clear()
{
    KM_Object* member = m_First;
    while (member != nullptr)
    {
        KM_Object* next = member->m_Next;
        delete member;
        member = next;
    }
    m_First = m_Last = m_Cursor = nullptr;
    m_Count = 0;
}

void KM_ListBase::Reset()
{
    Clear();
    m_Version = m_MadeVersion;
}

std::unique_ptr<KM_Object> KM_ListBase::Detach(KM_Object* member)
{
    KM_Object* at = m_First;
    while (at != nullptr && at != member)
        at = at->m_Next;
    if (at == nullptr)
        return nullptr;
    (at->m_Previous != nullptr ? at->m_Previous->m_Next : m_First) = at->m_Next;
    (at->m_Next != nullptr ? at->m_Next->m_Previous : m_Last) = at->m_Previous;
    if (m_Cursor == at)
        m_Cursor = at->m_Next;
    at->m_Next = at->m_Previous = nullptr;
    --m_Count;
    return std::unique_ptr<KM_Object>(at);
}

KM_Object* KM_ListBase::GetAt(int index) const
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_Count)
        return nullptr;
    KM_Object* member = m_First;
    for (int i = 0; i < index && member != nullptr; ++i)
        member = member->m_Next;
    return member;
}

KM_Object* KM_ListBase::Begin()
{
    m_Cursor = m_First;
    return m_Cursor;
}

KM_Object* KM_ListBase::Next()
{
    if (m_Cursor != nullptr)
        m_Cursor = m_Cursor->m_Next;
    return m_Cursor;
}

uint32_t KM_ListBase::ComputeSize()
{
    uint32_t size = 4;
    for (KM_Object* member = m_First; member != nullptr; member = member->m_Next)
        size += KM_Object::FrameBytes(member->GetVersion()) + member->ComputeSize();
    return size;
}

bool KM_ListBase::ReadListWords(KM_Stream* stream, uint32_t& count)
{
    if (!stream->ReadU32(m_Version))
        return false;
    uint32_t size;
    if (m_Version > 1 && !stream->ReadU32(size))
        return false;
    if (!stream->ReadU32(count))
        return false;
    return stream->Fits(count, kMinMemberBytes);
}

bool KM_ListBase::WriteListWords(KM_Stream* stream, uint32_t version)
{
    const uint32_t size = ComputeSize();
    return stream->WriteU32(m_TypeId) && stream->WriteU32(version) &&
           (version <= 1 || stream->WriteU32(size)) && stream->WriteU32(m_Count);
}

void KM_ListBase::WriteListText(KM_Stream* stream, const char* tag, const char* countTag) const
{
    stream->Print("%s%s\n", stream->IndentText(), tag);
    stream->Print("%s{\n", stream->IndentText());
    stream->Indent();
    if (countTag != nullptr)
        stream->Print("%s%s\t%d\n", stream->IndentText(), countTag, static_cast<int>(m_Count));
    for (KM_Object* member = m_First; member != nullptr; member = member->GetNext())
        member->Write(stream);
    stream->Unindent();
    stream->Print("%s}\n", stream->IndentText());
}

bool KM_ListBase::WriteMembers(KM_Stream* stream) const
{
    for (KM_Object* member = m_First; member != nullptr; member = member->GetNext())
    {
        if (!member->Write(stream))
            return false;
    }
    return true;
}
