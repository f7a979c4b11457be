#include "engine/core/Wizard.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "engine/scene/kaWheel.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/tvWorldSounds.h"

#include "platform/system/DebugOutput.h"

#include <memory>

namespace
{

constexpr const char* kCrowdCategory = "Crowd";
constexpr const char* kEntityData = "Entity";
constexpr int32_t kCheer = 0;
constexpr int32_t kStartCrowd = 1;
constexpr int32_t kStopCrowd = 2;

} // namespace

bool Tarvolin::PlayCrowdSound(int32_t mode)
{
    switch (mode)
    {
    case kCheer:
        m_WorldSounds.PlaySound(kCrowdCategory);
        break;
    case kStartCrowd:
        if (g_pWizard)
        {
            g_pWizard->SetLoopedSoundVolume(m_CrowdSound, ::GetSoundVolume(), 0);
            g_pWizard->StartLoopedSound(m_CrowdSound);
        }
        break;
    case kStopCrowd:
        if (g_pWizard)
            g_pWizard->StopLoopedSound(m_CrowdSound);
        break;
    default:
        break;
    }
    return true;
}

tvVehicle* Tarvolin::LoadVehicleEntity(kaPhysicsWorld* world, const std::string& vehicleName)
{
    if (!world || !g_pInitDataBase || !g_pInitDataBase->Find(kEntityData, vehicleName))
        return nullptr;
    const std::string classType = kaEntity::GetClassType(vehicleName);
    std::unique_ptr<kaEntity> made = classType.empty() ? std::make_unique<tvVehicle>() : CreateEntity(classType);
    auto* vehicle = dynamic_cast<tvVehicle*>(made.get());
    if (!vehicle)
    {
        // Whatever else the factory made goes with the unique pointer: the world never sees it.
        platform::OutputDebugString("[LoadVehicleEntity] : \"" + vehicleName + "\" is no vehicle\n");
        return nullptr;
    }
    if (!world->AddEntity(vehicle, true, true))
        return nullptr;
    made.release();
    vehicle->ApplyInitData(vehicleName);
    vehicle->Initialize();
    world->AddDynamicEntity(vehicle);
    for (kaWheel* wheel : vehicle->GetWheels())
        world->AddDynamicEntity(wheel);
    return vehicle;
}
