#include "tools/worldgen/SampleWorld.h"

#include "engine/core/kaXmlHelpers.h"
#include "platform/files/Files.h"
#include "tools/terraingen/TerrainSamples.h"

#include <tinyxml.h>

namespace
{

const char* const kModels = "resources/models/";

struct Record
{
    const char* id;
    const char* model;
};
const Record kRecords[] = {
    {"Ramp", "ramp/ramp.kmf"}, {"Crate", "crate/crate.kmf"}, {"Ball", "ball/ball.kmf"}};

std::string Print(const TiXmlDocument& document)
{
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

// The block a model entity writes of itself: the base keys, its model, its rotation and place.
void AppendEntity(TiXmlElement* entities, const SampleWorld::Placed& placed)
{
    TiXmlElement* entity = AppendElement(entities, "Entity");
    AppendTextElement(entity, "initUniqueID", placed.record);
    AppendTextElement(entity, "name", placed.name);
    AppendTextElement(entity, "type", "EntityModel");
    AppendIntElement(entity, "entityID", placed.id);
    AppendBoolElement(entity, "visible", true);
    AppendBoolElement(entity, "selectable", true);
    std::string model;
    for (const Record& record : kRecords)
    {
        if (placed.record == record.id)
            model = std::string(kModels) + record.model;
    }
    AppendTextElement(entity, "kmfFilename", model);
    AppendBoolElement(entity, "snapToTerrain", false);
    TiXmlElement* quaternion = AppendElement(AppendElement(entity, "rotation"), "quaternion");
    AppendFloatElement(quaternion, "x", 0.0f);
    AppendFloatElement(quaternion, "y", 0.0f);
    AppendFloatElement(quaternion, "z", 0.0f);
    AppendFloatElement(quaternion, "w", 1.0f);
    TiXmlElement* position = AppendElement(entity, "position");
    AppendFloatElement(position, "x", placed.x);
    AppendFloatElement(position, "z", placed.z);
    AppendFloatElement(position, "y", placed.y);
}

} // namespace

std::vector<SampleWorld::Placed> SampleWorld::SampleEntities()
{
    return {{"Ramp", "Ramp", 1, 0.0f, 0.0f, -2.0f},
            {"Crate", "Crate", 2, -6.0f, 0.5f, 6.0f},
            {"Ball", "Ball", 3, 6.0f, 0.5f, 6.0f}};
}

std::string SampleWorld::CourseText(const std::vector<Placed>& entities)
{
    TiXmlDocument document;
    BuildCourse(document, entities);
    return Print(document);
}

void SampleWorld::BuildCourse(TiXmlDocument& document, const std::vector<Placed>& entities)
{
    TiXmlElement* world = AppendElement(&document, "World");
    AppendTextElement(world, "arena", kVenue);
    AppendTextElement(world, "name", "Sample Course");
    AppendTextElement(world, "preview", "");
    AppendTextElement(world, "description", "A ramp, a crate and a ball in the sample arena.");
    TiXmlElement* start = AppendElement(world, "startpoint");
    AppendFloatElement(start, "x", 0.0f);
    AppendFloatElement(start, "z", -16.0f);
    TiXmlElement* rotation = AppendElement(AppendElement(world, "startrotation"), "quaternion");
    AppendFloatElement(rotation, "w", 1.0f);
    AppendFloatElement(rotation, "x", 0.0f);
    AppendFloatElement(rotation, "y", 0.0f);
    AppendFloatElement(rotation, "z", 0.0f);
    TiXmlElement* list = AppendElement(world, "Entities");
    for (const Placed& placed : entities)
        AppendEntity(list, placed);
}

void SampleWorld::BuildTerrainCourse(TiXmlDocument& document, bool layered)
{
    const TerrainSamples::MapSize& map = TerrainSamples::kMapSizes[0];
    TiXmlElement* world = AppendElement(&document, "World");
    AppendTextElement(world, "name", layered ? "Layered Terrain" : "Single Layer Terrain");
    AppendTextElement(world, "preview", "");
    AppendTextElement(world, "description",
                      layered ? "Hills under grass, rock and sand."
                              : "Hills under one picture in four colours.");
    TiXmlElement* start = AppendElement(world, "startpoint");
    AppendFloatElement(start, "x", kTerrainSide * 0.5f);
    AppendFloatElement(start, "z", kTerrainSide * 0.5f);
    TiXmlElement* rotation = AppendElement(AppendElement(world, "startrotation"), "quaternion");
    AppendFloatElement(rotation, "w", 1.0f);
    AppendFloatElement(rotation, "x", 0.0f);
    AppendFloatElement(rotation, "y", 0.0f);
    AppendFloatElement(rotation, "z", 0.0f);
    // The keys in the order the terrain writes them.
    TiXmlElement* terrain = AppendElement(world, "Terrain");
    AppendTextElement(terrain, "heightmap", TerrainSamples::HeightMapPath(map));
    AppendFloatElement(terrain, "width", kTerrainSide);
    AppendFloatElement(terrain, "length", kTerrainSide);
    AppendFloatElement(terrain, "height", kTerrainHeight);
    AppendBoolElement(terrain, "vertexLight", false);
    if (layered)
    {
        // Grass everywhere, rock rising along X over it, sand over the low half of the columns.
        const struct
        {
            TerrainSamples::MaskKind mask;
            const char* tile;
        } layers[] = {{TerrainSamples::MaskKind::Full, "grass"},
                      {TerrainSamples::MaskKind::Ramp, "rock"},
                      {TerrainSamples::MaskKind::Half, "sand"}};
        TiXmlElement* list = AppendElement(terrain, "terrainLayers");
        for (const auto& layer : layers)
        {
            TiXmlElement* entry = AppendElement(list, "layer");
            AppendTextElement(entry, "maskPath", TerrainSamples::MaskPath(layer.mask, map));
            AppendTextElement(entry, "texturePath", TerrainSamples::TilePath(layer.tile));
            AppendFloatElement(entry, "texStretch", 8.0f);
            AppendBoolElement(entry, "hardEdge", false);
        }
        AppendTextElement(terrain, "edgePanels", "");
    }
    else
    {
        TiXmlElement* single = AppendElement(terrain, "singleLayer");
        AppendTextElement(single, "baseTexture", TerrainSamples::BasePath(256));
        AppendTextElement(single, "detailTexture", TerrainSamples::TilePath(TerrainSamples::kDetailName));
        AppendFloatElement(single, "detailTexStretch", 12.0f);
        AppendTextElement(terrain, "edgePanels", TerrainSamples::TilePath("rock"));
    }
    AppendElement(world, "Entities");
}

bool SampleWorld::WriteAll()
{
    TiXmlDocument records;
    TiXmlElement* root = AppendElement(&records, "root");
    TiXmlElement* venue = AppendElement(root, "initData");
    AppendTextElement(venue, "uniqueID", kVenue);
    AppendTextElement(venue, "dataType", "Venue");
    TiXmlElement* venueData = AppendElement(venue, "data");
    AppendTextElement(venueData, "kmfFilename", std::string(kModels) + "arena/arena.kmf");
    AppendTextElement(venueData, "name", "Arena");
    for (const Record& record : kRecords)
    {
        TiXmlElement* entity = AppendElement(root, "initData");
        AppendTextElement(entity, "uniqueID", record.id);
        AppendTextElement(entity, "dataType", "Entity");
        TiXmlElement* data = AppendElement(entity, "data");
        AppendTextElement(data, "classType", "EntityModel");
        AppendTextElement(data, "kmfFilename", std::string(kModels) + record.model);
    }
    TiXmlDocument course;
    BuildCourse(course, SampleEntities());
    TiXmlDocument layered;
    BuildTerrainCourse(layered, true);
    TiXmlDocument single;
    BuildTerrainCourse(single, false);
    return _Write(kInitDataFile, records) && _Write(kCourseFile, course) &&
           _Write(kLayeredCourseFile, layered) && _Write(kSingleLayerCourseFile, single);
}

bool SampleWorld::_Write(const std::string& relative, const TiXmlDocument& document)
{
    const std::string path = m_Root + "/" + relative;
    const std::string folder = path.substr(0, path.rfind('/'));
    if (!platform::IsDirectory(folder) && !platform::CreateDirectory(folder))
        return false;
    return SaveXmlDocument(document, path);
}
