#pragma once

#include <memory_resource>
#include <type_traits>

// The allocator of the lists a file fills: a std::pmr::polymorphic_allocator that can also leave the room of
// plain records unfilled, for a reader about to copy the file's bytes over all of them at once. Every other
// construction (resize, push_back, copies) fills and copies as the polymorphic allocator does.
template <typename T> class KM_ListAllocator : public std::pmr::polymorphic_allocator<T>
{
public:
    using Base = std::pmr::polymorphic_allocator<T>;

    // Constructing from this leaves a record's bytes as they are; the caller writes all of them next.
    struct Unfilled
    {
    };

    KM_ListAllocator() noexcept = default;
    KM_ListAllocator(std::pmr::memory_resource* resource) noexcept : Base(resource) {}
    // From any polymorphic allocator, as a list inside a list is given its owner's.
    template <typename U>
    KM_ListAllocator(const std::pmr::polymorphic_allocator<U>& other) noexcept : Base(other.resource())
    {
    }

    using Base::construct;
    template <typename U> void construct(U*, Unfilled) noexcept
    {
        static_assert(std::is_trivially_copyable<U>::value && std::is_trivially_destructible<U>::value,
                      "only plain records are left to be copied over");
    }

    // A copied list goes to the default resource, as a polymorphic allocator's does.
    KM_ListAllocator select_on_container_copy_construction() const noexcept { return KM_ListAllocator(); }
};
