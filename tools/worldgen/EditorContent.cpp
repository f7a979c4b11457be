#include "tools/worldgen/EditorContent.h"

#include "engine/core/kaXmlHelpers.h"
#include "tools/terraingen/TerrainSamples.h"
#include "tools/worldgen/InitDataRecords.h"
#include "tools/worldgen/SampleWorld.h"

#include "platform/files/Files.h"

#include <tinyxml.h>

namespace EditorContent
{

const std::vector<PaletteEntry>& PaletteEntries()
{
    static const std::vector<PaletteEntry> entries = {
        {"Ball", "kaEntityPhysical", "Ball", "Props", "ball.tga"},
        {"Crate", "kaEntityPhysical", "Crate", "Props", "crate.tga"},
        {"LampPost", "EntityModel", "LampPost", "Scenery", "lamppost.tga"},
        {"Ramp", "kaEntityPhysical", "Ramp", "Stunts", "ramp.tga"},
        {"Sign", "EntityModel", "Sign", "Scenery", "sign.tga"},
    };
    return entries;
}

void BuildRecords(TiXmlDocument& document)
{
    TiXmlElement* root = AppendElement(&document, "root");
    for (const PaletteEntry& entry : PaletteEntries())
    {
        TiXmlElement* record = AppendElement(root, "initData");
        AppendTextElement(record, "uniqueID", entry.id);
        AppendTextElement(record, "dataType", "EditorEntity");
        TiXmlElement* data = AppendElement(record, "data");
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
    TiXmlElement* start = AppendElement(world, "startpoint");
    AppendFloatElement(start, "x", kDefaultSide * 0.5f);
    AppendFloatElement(start, "z", kDefaultSide * 0.5f);
    TiXmlElement* rotation = AppendElement(AppendElement(world, "startrotation"), "quaternion");
    AppendFloatElement(rotation, "w", 1.0f);
    AppendFloatElement(rotation, "x", 0.0f);
    AppendFloatElement(rotation, "y", 0.0f);
    AppendFloatElement(rotation, "z", 0.0f);
    TiXmlElement* terrain = AppendElement(world, "Terrain");
    AppendTextElement(terrain, "heightmap", TerrainSamples::HeightMapPath(map));
    AppendFloatElement(terrain, "width", kDefaultSide);
    AppendFloatElement(terrain, "length", kDefaultSide);
    AppendFloatElement(terrain, "height", kDefaultHeight);
    AppendBoolElement(terrain, "vertexLight", false);
    TiXmlElement* layer = AppendElement(AppendElement(terrain, "terrainLayers"), "layer");
    AppendTextElement(layer, "maskPath", TerrainSamples::MaskPath(TerrainSamples::MaskKind::Full, map));
    AppendTextElement(layer, "texturePath", TerrainSamples::TilePath("grass"));
    AppendFloatElement(layer, "texStretch", 8.0f);
    AppendBoolElement(layer, "hardEdge", false);
    AppendTextElement(terrain, "edgePanels", "");
    // Where the player's vehicle starts: the middle, on the ground, at a height of its own (a snapped
    // entity reads none).
    TiXmlElement* spawn = AppendElement(AppendElement(world, "Entities"), "Entity");
    AppendTextElement(spawn, "name", "SpawnPoint");
    AppendTextElement(spawn, "type", "kaSpawnPoint");
    AppendIntElement(spawn, "entityID", 1);
    AppendBoolElement(spawn, "visible", true);
    AppendBoolElement(spawn, "selectable", true);
    AppendTextElement(spawn, "kmfFilename", kSpawnPointModel);
    AppendBoolElement(spawn, "snapToTerrain", false);
    TiXmlElement* quaternion = AppendElement(AppendElement(spawn, "rotation"), "quaternion");
    AppendFloatElement(quaternion, "x", 0.0f);
    AppendFloatElement(quaternion, "y", 0.0f);
    AppendFloatElement(quaternion, "z", 0.0f);
    AppendFloatElement(quaternion, "w", 1.0f);
    TiXmlElement* position = AppendElement(spawn, "position");
    AppendFloatElement(position, "x", kDefaultSide * 0.5f);
    AppendFloatElement(position, "z", kDefaultSide * 0.5f);
    // Read as written: the world has no ground to snap to while it reads its entities.
    AppendFloatElement(position, "y", SampleWorld::CentreGroundHeight(map, kDefaultHeight));
}

namespace
{

bool WriteUnder(const std::string& root, const std::string& relative, const TiXmlDocument& document)
{
    for (size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
    {
        const std::string folder = root + "/" + relative.substr(0, slash);
        if (!platform::IsDirectory(folder) && !platform::CreateDirectory(folder))
            return false;
    }
    return SaveXmlDocument(document, root + "/" + relative);
}

} // namespace

bool Write(const std::string& root)
{
    TiXmlDocument records;
    BuildRecords(records);
    TiXmlDocument course;
    BuildDefaultCourse(course);
    return WriteUnder(root, kRecordsFile, records) && WriteUnder(root, kDefaultCourseFile, course);
}

} // namespace EditorContent
