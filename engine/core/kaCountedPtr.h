#pragma once

#include <atomic>
#include <cstdint>
#include <new>
#include <utility>

// Shared ownership of a polymorphic object through a count. Copies share the count, changed atomically;
// the last one to go deletes the object. Make puts the count and the object in one block.
template <typename T> class kaCountedPtr
{
public:
    explicit kaCountedPtr(T* object = nullptr)
        : m_Object(object), m_Count(new (std::nothrow) Separate(object))
    {
        if (m_Count == nullptr)
        {
            delete object;
            throw std::bad_alloc();
        }
    }

    // A new T made from the arguments, in one allocation with its count.
    template <typename... Args> static kaCountedPtr Make(Args&&... args)
    {
        auto* block = new Block(std::forward<Args>(args)...);
        return kaCountedPtr(&block->object, block);
    }

    kaCountedPtr(const kaCountedPtr& other) : m_Object(other.m_Object), m_Count(other.m_Count)
    {
        m_Count->fetch_add(1);
    }

    // The other's count goes up before ours goes down, so assigning a pointer to itself is safe.
    kaCountedPtr& operator=(const kaCountedPtr& other)
    {
        other.m_Count->fetch_add(1);
        Count* oldCount = m_Count;
        m_Object = other.m_Object;
        m_Count = other.m_Count;
        _Drop(oldCount);
        return *this;
    }

    ~kaCountedPtr() { _Drop(m_Count); }

    T* Get() const { return m_Object; }
    T* operator->() const { return m_Object; }
    T& operator*() const { return *m_Object; }
    explicit operator bool() const { return m_Object != nullptr; }

private:
    struct Count
    {
        explicit Count(int32_t uses) : uses(uses) {}
        virtual ~Count() = default;
        int32_t fetch_add(int32_t n) { return uses.fetch_add(n); }
        int32_t fetch_sub(int32_t n) { return uses.fetch_sub(n); }
        std::atomic<int32_t> uses;
    };

    // The count of an object allocated on its own, which it deletes.
    struct Separate : Count
    {
        explicit Separate(T* object) : Count(1), object(object) {}
        ~Separate() override { delete object; }
        T* object;
    };

    struct Block : Count
    {
        template <typename... Args>
        explicit Block(Args&&... args) : Count(1), object(std::forward<Args>(args)...) {}
        T object;
    };

    kaCountedPtr(T* object, Count* count) : m_Object(object), m_Count(count) {}

    // The count's own destructor frees the object, so no path deletes an object inside a block.
    static void _Drop(Count* count)
    {
        if (count->fetch_sub(1) == 1)
            delete count;
    }

    T* m_Object;
    Count* m_Count;
};
