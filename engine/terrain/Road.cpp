#include "engine/terrain/Road.h"

#include "engine/scene/EntityFactory.h"
#include "engine/terrain/kaDraggableDecalManager.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(Road, "Road")

namespace
{

const EntityFactory::Registration s_Registration(Road::StaticClassInfo(), &EntityFactory::Create<Road>);

} // namespace

Road::Road()
{
    SetName(StaticClassInfo().GetName());
    m_PathType = kPathType;
    m_Texture = kTexturePath;
    m_HandleTexture = kHandlePath;
    m_WidthScale = 0.25f;
    m_LengthScale = 0.25f;
    m_LimitToTextureWidth = true;
    m_AutoRotateTexture = true;
    if (kaDraggableDecalManager* manager = kaDraggableDecalManager::GetSingleton())
        manager->Register(kaDraggableDecalManager::kRoadKey, this);
}

Road::~Road()
{
    if (kaDraggableDecalManager* manager = kaDraggableDecalManager::GetSingleton())
        manager->Unregister(kaDraggableDecalManager::kRoadKey, this);
    UpdatePathGrid(m_ClearType);
}
