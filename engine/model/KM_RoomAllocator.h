#pragma once

#include <memory_resource>
#include <new>
#include <type_traits>
#include <utility>

// The allocator of a mesh's lists, placed in its room: a std::pmr::polymorphic_allocator that can leave the
// room of plain records unfilled where every record is written next.
// - Any list: constructing from Unfilled leaves a record's bytes as they are, for a reader about to copy the
//   file's bytes over all of them at once.
// - kUnsetOnGrow (welded vertices, written in full right after they are sized): growing leaves plain numbers
//   unset rather than zeroing what is written over next. Without it, resize, push_back and copies fill as
//   the polymorphic allocator does.
// Lists of lists are made as the polymorphic allocator makes them, in the same room.
template <typename T, bool kUnsetOnGrow> class KM_RoomAllocator : public std::pmr::polymorphic_allocator<T>
{
public:
    using Base = std::pmr::polymorphic_allocator<T>;

    struct Unfilled
    {
    };

    KM_RoomAllocator() noexcept = default;
    KM_RoomAllocator(std::pmr::memory_resource* room) noexcept : Base(room) {}
    // From any polymorphic allocator, as a list inside a list is given its owner's.
    template <typename U>
    KM_RoomAllocator(const std::pmr::polymorphic_allocator<U>& other) noexcept : Base(other.resource())
    {
    }

    template <typename U> struct rebind
    {
        using other = KM_RoomAllocator<U, kUnsetOnGrow>;
    };

    template <typename U, typename... Args> void construct(U* at, Args&&... args)
    {
        if constexpr (kUnsetOnGrow && sizeof...(Args) == 0 && std::is_trivially_default_constructible_v<U>)
            ::new (static_cast<void*>(at)) U;
        else
            Base::construct(at, std::forward<Args>(args)...);
    }
    template <typename U> void construct(U*, Unfilled) noexcept
    {
        static_assert(std::is_trivially_copyable<U>::value && std::is_trivially_destructible<U>::value,
                      "only plain records are left to be copied over");
    }

    // A copied list is the copy's own, on the heap, as with the polymorphic allocator.
    KM_RoomAllocator select_on_container_copy_construction() const noexcept { return KM_RoomAllocator(); }
};

// The lists a file fills.
template <typename T> using KM_ListAllocator = KM_RoomAllocator<T, false>;
// The welded render lists.
template <typename T> using KM_RenderAllocator = KM_RoomAllocator<T, true>;
