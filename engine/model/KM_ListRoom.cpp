#include "engine/model/KM_ListRoom.h"

#include <cstdint>
#include <new>

namespace
{

// Where a block's room starts: after its header, at the strictest alignment any list asks for.
constexpr size_t kHeaderBytes = 2 * sizeof(void*) > alignof(std::max_align_t) ? 2 * sizeof(void*)
                                                                              : alignof(std::max_align_t);

} // namespace

KM_ListRoom::~KM_ListRoom()
{
    Release();
}

void KM_ListRoom::Release()
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

void KM_ListRoom::Reserve(size_t bytes)
{
    if (bytes <= m_Left)
        return;
    if (bytes > SIZE_MAX - kHeaderBytes)
        throw std::bad_alloc();
    Block* const block = static_cast<Block*>(::operator new(kHeaderBytes + bytes));
    block->next = m_Blocks;
    block->bytes = bytes;
    m_Blocks = block;
    m_Free = reinterpret_cast<char*>(block) + kHeaderBytes;
    m_Left = bytes;
}

void* KM_ListRoom::do_allocate(size_t bytes, size_t alignment)
{
    if (alignment > alignof(std::max_align_t))
        throw std::bad_alloc();
    if (m_Free != nullptr)
    {
        const size_t skip = (alignment - reinterpret_cast<uintptr_t>(m_Free) % alignment) % alignment;
        if (skip <= m_Left && bytes <= m_Left - skip)
        {
            char* const at = m_Free + skip;
            m_Free = at + bytes;
            m_Left -= skip + bytes;
            return at;
        }
    }
    return ::operator new(bytes);
}

void KM_ListRoom::do_deallocate(void* at, size_t, size_t)
{
    // Carved room goes back with its block.
    if (!_InBlock(at))
        ::operator delete(at);
}

bool KM_ListRoom::_InBlock(const void* at) const
{
    const auto address = reinterpret_cast<uintptr_t>(at);
    for (const Block* block = m_Blocks; block != nullptr; block = block->next)
    {
        const uintptr_t first = reinterpret_cast<uintptr_t>(block) + kHeaderBytes;
        if (address >= first && address - first < block->bytes)
            return true;
    }
    return false;
}
