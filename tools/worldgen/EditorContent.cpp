#include "tools/worldgen/EditorContent.h"

#include "engine/core/kaXmlHelpers.h"
#include "tools/terraingen/TerrainSamples.h"
#include "tools/worldgen/InitDataRecords.h"
#include "tools/worldgen/SampleWorld.h"
#include "tools/worldgen/WorldKeys.h"

#include <tinyxml.h>

namespace EditorContent
{

const std::vector<PaletteEntry>& PaletteEntries()
{
    // The shipped courses' gear, one record for each init record they place, with the sample props and
    // scenery. Stunt gear and surfaces are "Stunts"; the tokens that score are "Points", the others
    // "Power-ups".
    static const std::vector<PaletteEntry> entries = {
        {"Ball", "kaEntityPhysical", "Ball", "Props", "ball.tga"},
        {"BallProp", "Ball", "BallProp", "Props", "ballprop.tga"},
        {"BoxProp", "Box", "BoxProp", "Props", "boxprop.tga"},
        {"Crate", "kaEntityPhysical", "Crate", "Props", "crate.tga"},
        {"CylinderProp", "Cylinder", "CylinderProp", "Props", "cylinderprop.tga"},
        {"ExplosiveBarrel", "ExplosiveGear", "ExplosiveBarrel", "Stunts", "explosivebarrel.tga"},
        {"JumpToken", "PowerUp", "JumpToken", "Power-ups", "jumptoken.tga"},
        {"LampPost", "EntityModel", "LampPost", "Scenery", "lamppost.tga"},
        {"LapToken", "PowerUp", "LapToken", "Points", "laptoken.tga"},
        {"LaunchPlate", "LaunchPlate", "LaunchPlate", "Stunts", "launchplate.tga"},
        {"MegaTurboToken", "PowerUp", "MegaTurboToken", "Power-ups", "megaturbotoken.tga"},
        {"MudPit", "MudPit", "MudPit", "Stunts", "mudpit.tga"},
        {"OilSlick", "OilSlick", "OilSlick", "Stunts", "oilslick.tga"},
        {"PointsToken", "PowerUp", "PointsToken", "Points", "pointstoken.tga"},
        {"PowerGrate", "PowerGrate", "PowerGrate", "Stunts", "powergrate.tga"},
        {"RagdollBar", "kaEntityPhysical", "RagdollBar", "Stunts", "ragdollbar.tga"},
        {"Ramp", "kaEntityPhysical", "Ramp", "Stunts", "ramp.tga"},
        {"RepairToken", "PowerUp", "RepairToken", "Power-ups", "repairtoken.tga"},
        {"Sign", "EntityModel", "Sign", "Scenery", "sign.tga"},
        {"SpikeBar", "StuntGear", "SpikeBar", "Stunts", "spikebar.tga"},
        {"TurboToken", "PowerUp", "TurboToken", "Power-ups", "turbotoken.tga"},
    };
    return entries;
}

void BuildRecords(TiXmlDocument& document)
{
    TiXmlElement* root = AppendElement(&document, "root");
    for (const PaletteEntry& entry : PaletteEntries())
    {
        TiXmlElement* data = InitDataRecords::AppendRecord(root, entry.id, "EditorEntity");
        AppendTextElement(data, "type", entry.type);
        AppendTextElement(data, "entityInitID", entry.entityInitId);
        AppendTextElement(data, "Category", entry.category);
        AppendTextElement(data, "previewPic", std::string(kPictureFolder) + entry.picture);
    }
    // The start the editor adds to a course that has none: without a model it would be saved without its
    // place and with an empty model name.
    TiXmlElement* spawn = InitDataRecords::AppendRecord(root, kSpawnPointRecord, "Entity");
    AppendTextElement(spawn, "kmfFilename", kSpawnPointModel);
}

void BuildDefaultCourse(TiXmlDocument& document)
{
    const TerrainSamples::MapSize& map = TerrainSamples::kMapSizes[1];
    TiXmlElement* world = AppendElement(&document, "World");
    AppendTextElement(world, "name", "Default");
    AppendTextElement(world, "preview", "");
    AppendTextElement(world, "description", "A grassy hill to start a course on.");
    WorldKeys::AppendStart(world, kDefaultSide * 0.5f, kDefaultSide * 0.5f);
    TiXmlElement* terrain = WorldKeys::AppendTerrain(world, map, kDefaultSide, kDefaultHeight);
    WorldKeys::AppendTerrainLayer(AppendElement(terrain, "terrainLayers"), TerrainSamples::MaskKind::Full,
                                  map, "grass", 8.0f);
    AppendTextElement(terrain, "edgePanels", "");
    // Where the player's vehicle starts: the middle, on the ground, at a height of its own (a snapped
    // entity reads none). Read as written: the world has no ground to snap to while it reads its entities.
    WorldKeys::AppendModel(AppendElement(world, "Entities"), "", "SpawnPoint", "kaSpawnPoint", 1,
                           kSpawnPointModel, kDefaultSide * 0.5f,
                           SampleWorld::CentreGroundHeight(map, kDefaultHeight), kDefaultSide * 0.5f);
}

bool Write(const std::string& root)
{
    TiXmlDocument records;
    BuildRecords(records);
    TiXmlDocument course;
    BuildDefaultCourse(course);
    return WorldKeys::Write(root, kRecordsFile, records) &&
           WorldKeys::Write(root, kDefaultCourseFile, course);
}

} // namespace EditorContent
