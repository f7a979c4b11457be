#include "engine/model/KM_RecordRoom.h"

#include <cstdint>
#include <new>

namespace
{

// Where a block's room starts: after its link, at the strictest alignment any record asks for.
constexpr size_t kHeaderBytes = alignof(std::max_align_t) > sizeof(void*) ? alignof(std::max_align_t)
                                                                          : sizeof(void*);

} // namespace

KM_RecordRoom::~KM_RecordRoom()
{
    Release();
}

void KM_RecordRoom::Release()
{
    while (m_Blocks != nullptr)
    {
        Block* const next = m_Blocks->next;
        ::operator delete(m_Blocks);
        m_Blocks = next;
    }
    m_Free = nullptr;
    m_Left = 0;
}

void* KM_RecordRoom::do_allocate(size_t bytes, size_t alignment)
{
    if (alignment > alignof(std::max_align_t))
        throw std::bad_alloc();
    const size_t skip =
        m_Free == nullptr ? 0 : (alignment - reinterpret_cast<uintptr_t>(m_Free) % alignment) % alignment;
    if (m_Free == nullptr || skip + bytes > m_Left)
    {
        // A record larger than a block gets a block of its own size.
        const size_t room = bytes > kBlockBytes - kHeaderBytes ? bytes : kBlockBytes - kHeaderBytes;
        if (room > SIZE_MAX - kHeaderBytes)
            throw std::bad_alloc();
        Block* const block = static_cast<Block*>(::operator new(kHeaderBytes + room));
        block->next = m_Blocks;
        m_Blocks = block;
        m_Free = reinterpret_cast<char*>(block) + kHeaderBytes;
        m_Left = room;
        char* const at = m_Free;
        m_Free += bytes;
        m_Left -= bytes;
        return at;
    }
    char* const at = m_Free + skip;
    m_Free = at + bytes;
    m_Left -= skip + bytes;
    return at;
}
