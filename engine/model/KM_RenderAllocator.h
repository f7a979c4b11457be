#pragma once

#include <memory_resource>
#include <new>
#include <type_traits>
#include <utility>

// The room's allocator for lists that are written in full right after they are sized (welded vertices):
// growing one leaves plain numbers unset rather than zeroing what is written over next. Anything else,
// lists of lists included, is made as the room's ordinary allocator makes it, in the same room.
template <typename T> class KM_RenderAllocator : public std::pmr::polymorphic_allocator<T>
{
    using Base = std::pmr::polymorphic_allocator<T>;

public:
    KM_RenderAllocator() noexcept = default;
    KM_RenderAllocator(std::pmr::memory_resource* room) noexcept : Base(room) {}
    template <typename U>
    KM_RenderAllocator(const std::pmr::polymorphic_allocator<U>& other) noexcept : Base(other.resource())
    {
    }

    template <typename U> struct rebind
    {
        using other = KM_RenderAllocator<U>;
    };

    template <typename U, typename... Args> void construct(U* at, Args&&... args)
    {
        if constexpr (sizeof...(Args) == 0 && std::is_trivially_default_constructible_v<U>)
            ::new (static_cast<void*>(at)) U;
        else
            Base::construct(at, std::forward<Args>(args)...);
    }

    // A copied list is the copy's own, on the heap, as with the ordinary allocator.
    KM_RenderAllocator select_on_container_copy_construction() const noexcept { return KM_RenderAllocator(); }
};
