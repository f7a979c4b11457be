#pragma once

#include <cstdint>

// Intrusive reference count at the root of entities and GUI glyphs. Single-threaded: the count is not
// atomic. A new object starts at 0, so releasing one that was never added destroys it at once.
class IRefCountable
{
public:
    IRefCountable() = default;
    virtual ~IRefCountable() = default;

    void AddRef() { ++m_RefCount; }
    // Drops one reference; at 0 or below the object deletes itself and 0 is returned.
    int Release();

protected:
    // A copy is a new object with no references of its own.
    IRefCountable(const IRefCountable&) {}
    IRefCountable& operator=(const IRefCountable&) { return *this; }

private:
    int32_t m_RefCount = 0;
};
