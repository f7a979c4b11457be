#pragma once

#include <cstdint>
#include <memory>

class KM_Object;
class KM_Stream;

// Storage shared by the KMF list objects: an owned, doubly linked run of objects in file order.
class KM_ListBase
{
public:
    // The least a listed object can take in a file: its type id and version.
    static constexpr uint64_t kMinMemberBytes = 8;

    KM_ListBase(const KM_ListBase&) = delete;
    KM_ListBase& operator=(const KM_ListBase&) = delete;
    virtual ~KM_ListBase();

    void Clear();
    // Clear, and the version back to the one the list was made with: as a list just made.
    void Reset();
    // Takes a member out of the list and hands it over; null when it is not a member. A cursor standing
    // on it moves to the member after it.
    std::unique_ptr<KM_Object> Detach(KM_Object* member);

    uint32_t GetTypeId() const { return m_TypeId; }
    uint32_t GetVersion() const { return m_Version; }
    uint32_t GetCount() const { return m_Count; }
    KM_Object* GetFirst() const { return m_First; }
    KM_Object* GetLast() const { return m_Last; }
    // The member at a position, or null when the index is negative or not below the count.
    KM_Object* GetAt(int index) const;

    // Iteration cursor.
    KM_Object* Begin();
    KM_Object* Next();

    // 4 for the count plus, for every member, its frame and its body.
    uint32_t ComputeSize();

protected:
    KM_ListBase(uint32_t typeId, uint32_t version);
    void AppendObject(std::unique_ptr<KM_Object> object);
    // Reads the version and, when above 1, the size; then the count, refusing one that cannot fit.
    bool ReadListWords(KM_Stream* stream, uint32_t& count);
    // Type id, version, size and count.
    bool WriteListWords(KM_Stream* stream, uint32_t version);
    // The text form: the tag line, "{", the count line when countTag is given, every member, "}".
    void WriteListText(KM_Stream* stream, const char* tag, const char* countTag) const;
    // Every member in order after the list words; stops at the first that fails.
    bool WriteMembers(KM_Stream* stream) const;

    uint32_t m_TypeId;
    uint32_t m_Version;
    uint32_t m_MadeVersion;
    uint32_t m_Count;
    KM_Object* m_First;
    KM_Object* m_Last;
    KM_Object* m_Cursor;
};
