#include "engine/scene/EntityFactory.h"

#include "engine/core/kaClassInfo.h"
#include "engine/scene/kaEntity.h"

EntityFactory::Map& EntityFactory::Instance()
{
    static Map map;
    return map;
}

EntityFactory::Registration::Registration(const kaClassInfo& record, Creator creator)
{
    Instance()[record.GetName()] = creator;
}

std::unique_ptr<kaEntity> CreateEntity(const std::string& className)
{
    const EntityFactory::Map& map = EntityFactory::Instance();
    const auto found = map.find(className);
    if (found == map.end() || found->second == nullptr)
        return nullptr;
    return found->second();
}
