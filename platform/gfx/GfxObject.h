#pragma once

#include <cstdint>

namespace platform
{

// Intrusive reference count at the root of every device object. Objects handed out by a Create call
// start with one reference, which the caller owns; the last Release destroys the object.
class GfxObject
{
public:
    GfxObject(const GfxObject&) = delete;
    GfxObject& operator=(const GfxObject&) = delete;

    uint32_t AddRef() { return ++m_RefCount; }
    // The count left; 0 means the object is gone.
    uint32_t Release();
    uint32_t GetRefCount() const { return m_RefCount; }

protected:
    GfxObject() = default;
    virtual ~GfxObject() = default;

private:
    uint32_t m_RefCount = 1;
};

} // namespace platform
