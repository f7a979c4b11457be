#pragma once

#include <cstdint>

// Root of every object that owns or stands for a device resource. The count guards itself: a count that
// has left the range 0..10000 is taken as a sign of a stray object and Release then leaves it alone.
class kaGraphicsObject
{
public:
    static constexpr int32_t kMaxRefCount = 10000;

    kaGraphicsObject() = default;
    virtual ~kaGraphicsObject();

    kaGraphicsObject(const kaGraphicsObject&) = delete;
    kaGraphicsObject& operator=(const kaGraphicsObject&) = delete;

    virtual void RestoreDeviceObjects() {}
    virtual void InvalidateDeviceObjects() {}

    int32_t AddRef() { return ++m_RefCount; }
    // The new count; the object deletes itself when it reaches 0.
    int32_t Release();
    int32_t GetRefCount() const { return m_RefCount; }

protected:
    int32_t m_RefCount = 0;
};
