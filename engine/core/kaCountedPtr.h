#pragma once

#include <atomic>
#include <cstdint>
#include <new>

// Shared ownership of a polymorphic object through a separately allocated count. Copies share the
// count, changed atomically; the last one to go deletes the object.
template <typename T> class kaCountedPtr
{
public:
    explicit kaCountedPtr(T* object = nullptr) : m_Object(object), m_Count(new (std::nothrow) Count(1))
    {
        if (m_Count == nullptr)
        {
            delete object;
            throw std::bad_alloc();
        }
    }

    kaCountedPtr(const kaCountedPtr& other) : m_Object(other.m_Object), m_Count(other.m_Count)
    {
        m_Count->fetch_add(1);
    }

    // The other's count goes up before ours goes down, so assigning a pointer to itself is safe.
    kaCountedPtr& operator=(const kaCountedPtr& other)
    {
        other.m_Count->fetch_add(1);
        T* oldObject = m_Object;
        Count* oldCount = m_Count;
        m_Object = other.m_Object;
        m_Count = other.m_Count;
        _Drop(oldObject, oldCount);
        return *this;
    }

    ~kaCountedPtr() { _Drop(m_Object, m_Count); }

    T* Get() const { return m_Object; }
    T* operator->() const { return m_Object; }
    T& operator*() const { return *m_Object; }
    explicit operator bool() const { return m_Object != nullptr; }

private:
    using Count = std::atomic<int32_t>;

    static void _Drop(T* object, Count* count)
    {
        if (count->fetch_sub(1) == 1)
        {
            delete object;
            delete count;
        }
    }

    T* m_Object;
    Count* m_Count;
};
