#include "engine/render/kaGraphicsObject.h"

kaGraphicsObject::~kaGraphicsObject() = default;

int32_t kaGraphicsObject::Release()
{
    if (m_RefCount < 0 || m_RefCount > kMaxRefCount)
        return m_RefCount;
    if (--m_RefCount <= 0)
    {
        delete this;
        return 0;
    }
    return m_RefCount;
}
