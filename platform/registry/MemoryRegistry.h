#pragma once

#include "platform/registry/RegistryMap.h"

namespace platform
{

// Registry values set by a test. Installs itself for its lifetime and restores the previous source
// afterwards; it starts empty, as an uninstalled machine.
class MemoryRegistry : public RegistryMap
{
public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

private:
    const RegistrySource* m_Previous;
};

} // namespace platform
