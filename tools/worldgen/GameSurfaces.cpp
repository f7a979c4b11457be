#include "tools/worldgen/GameSurfaces.h"

#include "tools/worldgen/InitDataRecords.h"

#include "engine/core/kaXmlHelpers.h"

#include <tinyxml.h>

void GameSurfaces::Append(TiXmlElement* root)
{
    InitDataRecords::AppendWheelEmitter(root, kTrackSpray, "WheelParticle", 40.0f, 1.5f, 0.15f, 150, 120, 80);
    // Clods of mixed size that fall back under the emitter's gravity.
    TiXmlElement* clods =
        InitDataRecords::AppendWheelEmitter(root, kMudClods, "MudParticle", 30.0f, 3.0f, 0.12f, 90, 70, 40);
    AppendFloatElement(clods, "startForVariance", 1.5f);
    AppendFloatElement(clods, "scale", 0.12f);
    AppendFloatElement(clods, "scaleVar", 0.08f);
    InitDataRecords::AppendGravity(clods, 0.0f, -9.8f, 0.0f);
    TiXmlElement* kick =
        InitDataRecords::AppendWheelEmitter(root, kDirtKick, "DirtSlip", 30.0f, 2.5f, 0.1f, 120, 90, 60);
    AppendFloatElement(kick, "startForVariance", 1.0f);

    InitDataRecords::AppendSurface(root, kTrack, 1.0f, kTrackSpray, kDirtKick);
    // Mud drags and throws clods.
    InitDataRecords::AppendSurface(root, kMud, 0.8f, kMudClods, kDirtKick);
}
