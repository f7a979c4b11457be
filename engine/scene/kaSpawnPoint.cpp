#include "engine/scene/kaSpawnPoint.h"

#include "engine/core/kaApp.h"
#include "engine/scene/EntityFactory.h"

using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaSpawnPoint, "kaSpawnPoint")

namespace
{

const EntityFactory::Registration s_Registration(kaSpawnPoint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaSpawnPoint>);

} // namespace

kaSpawnPoint::kaSpawnPoint()
{
    m_Name = kName;
}

kaSpawnPoint::~kaSpawnPoint() = default;

void kaSpawnPoint::Initialize()
{
    kaEntityModel::Initialize();
    SetSelectable(false);
    const kaApp* app = kaApp::GetSingleton();
    SetVisible(app && app->IsEditor());
}

void kaSpawnPoint::SetPositionRotation(const Vector3& position, const Quaternion& rotation)
{
    m_SpawnPosition = position;
    m_SpawnRotation = rotation;
    if (m_pModel)
        kaEntityModel::SetPositionRotation(position, rotation);
}

void kaSpawnPoint::SetPosition(const Vector3& position)
{
    m_SpawnPosition = position;
    if (m_pModel)
        kaEntityModel::SetPosition(position);
}

void kaSpawnPoint::SetRotation(const Quaternion& rotation)
{
    m_SpawnRotation = rotation;
    if (m_pModel)
        kaEntityModel::SetRotation(rotation);
}
