#include "tools/worldgen/GearRun.h"

#include "engine/core/kaXmlHelpers.h"
#include "tools/worldgen/InitDataRecords.h"
#include "tools/worldgen/SampleWorld.h"
#include "tools/worldgen/WorldKeys.h"

#include <tinyxml.h>

namespace
{

constexpr int kSpawnPointId = 1;
constexpr float kTokenY = 1.0f;

} // namespace

const std::vector<GearRun::Placed>& GearRun::Entities()
{
    // The straight runs west along z = 0 from the start: a points token, then returning tokens. The
    // launch plate, the mud and the spikes lie in a lane north of it, the oil, the grate and a loose
    // cylinder in one south of it; three power-ups wait in the corners.
    static const std::vector<Placed> entities = {
        {"PointsToken", "PowerUp", "powerup/powerup.kmf", 4.0f, kTokenY, 0.0f},
        {"LapToken", "PowerUp", "powerup/powerup.kmf", -4.0f, kTokenY, 0.0f},
        {"LapToken", "PowerUp", "powerup/powerup.kmf", -12.0f, kTokenY, 0.0f},
        {"LapToken", "PowerUp", "powerup/powerup.kmf", -20.0f, kTokenY, 0.0f},
        {"LaunchPlate", "LaunchPlate", "launchplate/launchplate.kmf", -4.0f, 0.1f, 8.0f},
        {"MudPit", "MudPit", "mudpad/mudpad.kmf", -12.0f, 0.025f, 8.0f},
        {"SpikeBar", "StuntGear", "crate/crate.kmf", -20.0f, 0.5f, 8.0f},
        {"OilSlick", "OilSlick", "oilpad/oilpad.kmf", -4.0f, 0.025f, -8.0f},
        {"PowerGrate", "PowerGrate", "gratepad/gratepad.kmf", -12.0f, 0.025f, -8.0f},
        {"CylinderProp", "Cylinder", "cylinder/cylinder.kmf", -20.0f, 0.5f, -8.0f},
        {"TurboToken", "PowerUp", "powerup/powerup.kmf", -26.0f, kTokenY, 16.0f},
        {"JumpToken", "PowerUp", "powerup/powerup.kmf", -26.0f, kTokenY, -16.0f},
        {"RepairToken", "PowerUp", "powerup/powerup.kmf", 4.0f, kTokenY, -16.0f},
    };
    return entities;
}

void GearRun::BuildCourse(TiXmlDocument& document)
{
    TiXmlElement* world = SampleWorld::AppendCourseHeader(
        document, {kTimeLimit, kScoreLimit, kName, kRepFactor, SampleWorld::kVenue,
                   "Tokens down one straight, and the stunt gear in the lanes beside it.", 0.0f, kStartX,
                   SampleWorld::kFacingWest});
    SampleWorld::AppendDaylight(world);
    TiXmlElement* list = AppendElement(world, "Entities");
    const std::string models = InitDataRecords::kModelFolder;
    WorldKeys::AppendModel(list, "", "SpawnPoint", "kaSpawnPoint", kSpawnPointId,
                           models + "cylinder/cylinder.kmf", kStartX, 0.0f, 0.0f, SampleWorld::kFacingWest);
    int id = kSpawnPointId;
    for (const Placed& placed : Entities())
    {
        ++id;
        WorldKeys::AppendModel(list, placed.record, std::string(placed.record) + std::to_string(id),
                               placed.type, id, models + placed.model, placed.x, placed.y, placed.z);
    }
}

bool GearRun::WriteAll()
{
    TiXmlDocument course;
    BuildCourse(course);
    return WorldKeys::Write(m_Root, kCourseFile, course);
}
