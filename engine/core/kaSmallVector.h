#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// A list of trivially copyable values that keeps its first N in the owner itself and moves them all to the
// heap only when it grows past N: most lists of this kind hold one or two values, and a block made by the
// thousand should not allocate for them.
template <class T, size_t N> class kaSmallVector
{
public:
    kaSmallVector() = default;
    kaSmallVector(const kaSmallVector& other) { *this = other; }
    kaSmallVector& operator=(const kaSmallVector& other)
    {
        if (this == &other)
            return *this;
        m_Size = other.m_Size;
        if (other.m_Size <= N)
        {
            m_Heap.clear();
            std::copy(other.m_Inline, other.m_Inline + other.m_Size, m_Inline);
        }
        else
        {
            m_Heap = other.m_Heap;
        }
        return *this;
    }

    size_t size() const { return m_Size; }
    bool empty() const { return m_Size == 0; }
    const T& operator[](size_t i) const { return Data()[i]; }
    T& operator[](size_t i) { return Data()[i]; }
    const T& back() const { return Data()[m_Size - 1]; }

    void push_back(const T& value)
    {
        if (m_Size < N)
        {
            m_Inline[m_Size++] = value;
            return;
        }
        // Past the inline room every value lives in the heap list, so Data() is one or the other.
        if (m_Size == N)
            m_Heap.assign(m_Inline, m_Inline + N);
        m_Heap.push_back(value);
        ++m_Size;
    }

    void pop_back()
    {
        if (m_Size == 0)
            return;
        --m_Size;
        if (m_Size > N)
            m_Heap.pop_back();
        else if (m_Size == N)
        {
            std::copy(m_Heap.begin(), m_Heap.begin() + N, m_Inline);
            m_Heap.clear();
        }
    }

    // Keeps any heap room for the next growth.
    void clear()
    {
        m_Size = 0;
        m_Heap.clear();
    }

    void assign(size_t count, const T& value)
    {
        clear();
        for (size_t i = 0; i < count; ++i)
            push_back(value);
    }

    std::vector<T> ToVector() const { return std::vector<T>(Data(), Data() + m_Size); }

private:
    const T* Data() const { return m_Size > N ? m_Heap.data() : m_Inline; }
    T* Data() { return m_Size > N ? m_Heap.data() : m_Inline; }

    size_t m_Size = 0;
    T m_Inline[N] = {};
    std::vector<T> m_Heap;
};
