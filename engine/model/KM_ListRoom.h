#pragma once

#include <cstddef>
#include <memory_resource>

// Room for lists whose sizes are known before they are filled (a mesh's lists as read from its file, its
// welded vertices): Reserve takes one block for all of them, and the lists placed next are carved from it.
// Anything asked for beyond what was reserved comes from the heap and goes back to it when given back, so
// a list grown or replaced in place costs no more than an ordinary one. Blocks go back on Release, small ones
// to the thread, where the next Reserve on it takes one that fits rather than a new one.
class KM_ListRoom : public std::pmr::memory_resource
{
public:
    KM_ListRoom() = default;
    KM_ListRoom(const KM_ListRoom&) = delete;
    KM_ListRoom& operator=(const KM_ListRoom&) = delete;
    ~KM_ListRoom() override;

    // Makes the next bytes of lists, with their alignment, come from one block.
    void Reserve(size_t bytes);
    // Lets every block go; nothing carved from them may be used afterwards, and another room may take them.
    void Release();

private:
    struct Block
    {
        Block* next;
        size_t bytes;
    };

    void* do_allocate(size_t bytes, size_t alignment) override;
    void do_deallocate(void* at, size_t bytes, size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }
    bool _InBlock(const void* at) const;

    Block* m_Blocks = nullptr;
    char* m_Free = nullptr;
    size_t m_Left = 0;
};
