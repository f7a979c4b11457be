#pragma once

#include <cstddef>
#include <memory_resource>

// Room for the records a file object reads (a skeleton's bones, an animation's tracks): handed out from
// blocks taken from the heap a few records at a time and let go all together, rather than one allocation
// a record. A block is never larger than kBlockBytes unless one record needs more, so a damaged file can
// make it take no more at once than a record costs. Not copyable; records given back stay until Release.
class KM_RecordRoom : public std::pmr::memory_resource
{
public:
    static constexpr size_t kBlockBytes = 1024;

    KM_RecordRoom() = default;
    KM_RecordRoom(const KM_RecordRoom&) = delete;
    KM_RecordRoom& operator=(const KM_RecordRoom&) = delete;
    ~KM_RecordRoom() override;

    // Lets every block go; nothing placed in them may be used afterwards.
    void Release();

private:
    struct Block
    {
        Block* next;
    };

    void* do_allocate(size_t bytes, size_t alignment) override;
    void do_deallocate(void*, size_t, size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }

    Block* m_Blocks = nullptr;
    char* m_Free = nullptr;
    size_t m_Left = 0;
};
