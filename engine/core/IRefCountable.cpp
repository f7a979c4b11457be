#include "engine/core/IRefCountable.h"

int IRefCountable::Release()
{
    --m_RefCount;
    if (m_RefCount > 0)
        return m_RefCount;
    delete this;
    return 0;
}
