#include "engine/scene/MaterialRegistry.h"

MaterialRegistry::Map& MaterialRegistry::Instance()
{
    static Map map;
    return map;
}

MaterialRegistry::Creator& MaterialRegistry::Register(const std::string& className)
{
    return Instance()[className];
}

kaMaterial* MaterialRegistry::Create(const std::string& className)
{
    const Map& map = Instance();
    const auto found = map.find(className);
    if (found == map.end() || found->second == nullptr)
        return nullptr;
    return found->second();
}
