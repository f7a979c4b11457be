#include "platform/registry/MemoryRegistry.h"

namespace platform
{

MemoryRegistry::MemoryRegistry() : m_Previous(SetRegistrySource(this)) {}

MemoryRegistry::~MemoryRegistry()
{
    SetRegistrySource(m_Previous);
}

} // namespace platform
