#include "game/world/SpawnPlacement.h"

#include "engine/model/kaBoundingBox.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaSpawnPoint.h"
#include "engine/scene/kaWorld.h"

#include <algorithm>

using platform::Vector3;

float SpawnPlacement::LowestPoint(kaEntityPhysical& vehicle, float fallback)
{
    const kaBoundingBox* box = vehicle.GetBoundingBox();
    // Without a box of its own the vehicle counts as resting where it is to go: it is lifted by 0.
    if (!box)
        return fallback;
    float lowest = box->m_Min.y;
    for (kaJoint* joint : vehicle.GetJoints())
    {
        kaEntityPhysical* other = joint ? joint->GetOtherEnd(&vehicle) : nullptr;
        if (!other)
            continue;
        if (const kaBoundingBox* otherBox = other->GetBoundingBox())
            lowest = std::min(lowest, otherBox->m_Min.y);
    }
    return lowest;
}

bool SpawnPlacement::PlaceAtSpawnPoint(kaWorld& world, kaEntityPhysical& vehicle)
{
    auto* spawn = dynamic_cast<kaSpawnPoint*>(world.FindEntityByName(kaSpawnPoint::kName));
    if (!spawn)
        return false;
    const Vector3 at = spawn->GetSpawnPosition();
    // Measured as it will stand: a vehicle measured while still tilted would come to rest off the ground.
    vehicle.SetPositionRotation(at, spawn->GetSpawnRotation());
    const float lowest = LowestPoint(vehicle, at.y);
    vehicle.SetPositionRotation(Vector3(at.x, at.y + (at.y - lowest), at.z), spawn->GetSpawnRotation());
    return true;
}
