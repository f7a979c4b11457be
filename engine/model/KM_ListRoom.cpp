#include "engine/model/KM_ListRoom.h"

#include <cstdint>
#include <new>

namespace
{

// Where a block's room starts: after its header, at the strictest alignment any list asks for.
constexpr size_t kHeaderBytes = 2 * sizeof(void*) > alignof(std::max_align_t) ? 2 * sizeof(void*)
                                                                              : alignof(std::max_align_t);

// Blocks given back are kept on the thread for the meshes read next: a file model's meshes are built and
// dropped together, so a few blocks serve load after load instead of a fresh one per mesh. A kept block
// belongs to no room until one takes it, and only small ones are kept.
constexpr size_t kSpareCount = 16;
constexpr size_t kSpareBlockBytes = size_t(1) << 20;
constexpr size_t kSpareTotalBytes = size_t(4) << 20;

struct SpareBlocks
{
    void* blocks[kSpareCount] = {};
    size_t bytes[kSpareCount] = {};
    size_t count = 0;
    size_t total = 0;

    ~SpareBlocks();
};

thread_local SpareBlocks t_Spares;
// Set once the thread's spares are gone: a room released later (a static one at exit) frees its blocks.
thread_local bool t_SparesGone = false;

SpareBlocks::~SpareBlocks()
{
    for (size_t i = 0; i < count; ++i)
        ::operator delete(blocks[i]);
    count = 0;
    total = 0;
    t_SparesGone = true;
}

// The smallest kept block of at least the bytes asked for, and not so much larger that a long-lived mesh
// would hold a big block for a small list; null when none fits.
void* TakeSpare(size_t bytes)
{
    if (t_SparesGone)
        return nullptr;
    SpareBlocks& spares = t_Spares;
    size_t best = spares.count;
    for (size_t i = 0; i < spares.count; ++i)
    {
        if (spares.bytes[i] >= bytes && spares.bytes[i] <= 2 * bytes + 4096 &&
            (best == spares.count || spares.bytes[i] < spares.bytes[best]))
            best = i;
    }
    if (best == spares.count)
        return nullptr;
    void* const block = spares.blocks[best];
    spares.total -= spares.bytes[best];
    --spares.count;
    spares.blocks[best] = spares.blocks[spares.count];
    spares.bytes[best] = spares.bytes[spares.count];
    return block;
}

// Keeps a block for the next room when there is space for it; false when the caller must free it.
bool KeepSpare(void* block, size_t bytes)
{
    if (t_SparesGone || bytes > kSpareBlockBytes)
        return false;
    SpareBlocks& spares = t_Spares;
    if (spares.count == kSpareCount || spares.total + bytes > kSpareTotalBytes)
        return false;
    spares.blocks[spares.count] = block;
    spares.bytes[spares.count] = bytes;
    ++spares.count;
    spares.total += bytes;
    return true;
}

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
        if (!KeepSpare(m_Blocks, m_Blocks->bytes))
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
    Block* block = static_cast<Block*>(TakeSpare(bytes));
    if (block == nullptr)
    {
        block = static_cast<Block*>(::operator new(kHeaderBytes + bytes));
        block->bytes = bytes;
    }
    // A kept block may be larger than asked: all of it is room.
    bytes = block->bytes;
    block->next = m_Blocks;
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
