#include "tools/worldgen/WorldKeys.h"

#include "engine/core/kaXmlHelpers.h"
#include "platform/files/Files.h"
#include "tools/terraingen/EnvironmentContent.h"

#include <tinyxml.h>

#include <cmath>

TiXmlElement* WorldKeys::AppendBase(TiXmlElement* entities, const std::string& record,
                                    const std::string& name, const std::string& type, int id)
{
    TiXmlElement* entity = AppendElement(entities, "Entity");
    if (!record.empty())
        AppendTextElement(entity, "initUniqueID", record);
    AppendTextElement(entity, "name", name);
    AppendTextElement(entity, "type", type);
    AppendIntElement(entity, "entityID", id);
    AppendBoolElement(entity, "visible", true);
    AppendBoolElement(entity, "selectable", true);
    return entity;
}

TiXmlElement* WorldKeys::AppendModel(TiXmlElement* entities, const std::string& record,
                                     const std::string& name, const std::string& type, int id,
                                     const std::string& model, float x, float y, float z, float yaw)
{
    TiXmlElement* entity = AppendBase(entities, record, name, type, id);
    AppendTextElement(entity, "kmfFilename", model);
    AppendBoolElement(entity, "snapToTerrain", false);
    TiXmlElement* quaternion = AppendElement(AppendElement(entity, "rotation"), "quaternion");
    AppendFloatElement(quaternion, "x", 0.0f);
    AppendFloatElement(quaternion, "y", std::sin(yaw * 0.5f));
    AppendFloatElement(quaternion, "z", 0.0f);
    AppendFloatElement(quaternion, "w", std::cos(yaw * 0.5f));
    TiXmlElement* position = AppendElement(entity, "position");
    AppendFloatElement(position, "x", x);
    AppendFloatElement(position, "z", z);
    AppendFloatElement(position, "y", y);
    return entity;
}

void WorldKeys::AppendStart(TiXmlElement* world, float x, float z, float yaw)
{
    TiXmlElement* start = AppendElement(world, "startpoint");
    AppendFloatElement(start, "x", x);
    AppendFloatElement(start, "z", z);
    TiXmlElement* rotation = AppendElement(AppendElement(world, "startrotation"), "quaternion");
    AppendFloatElement(rotation, "w", std::cos(yaw * 0.5f));
    AppendFloatElement(rotation, "x", 0.0f);
    AppendFloatElement(rotation, "y", std::sin(yaw * 0.5f));
    AppendFloatElement(rotation, "z", 0.0f);
}

TiXmlElement* WorldKeys::AppendTerrain(TiXmlElement* world, const TerrainSamples::MapSize& map, float side,
                                       float height)
{
    TiXmlElement* terrain = AppendElement(world, "Terrain");
    AppendTextElement(terrain, "heightmap", TerrainSamples::HeightMapPath(map));
    AppendFloatElement(terrain, "width", side);
    AppendFloatElement(terrain, "length", side);
    AppendFloatElement(terrain, "height", height);
    AppendBoolElement(terrain, "vertexLight", false);
    return terrain;
}

void WorldKeys::AppendTerrainLayer(TiXmlElement* layers, TerrainSamples::MaskKind mask,
                                   const TerrainSamples::MapSize& map, const std::string& tile, float stretch)
{
    TiXmlElement* layer = AppendElement(layers, "layer");
    AppendTextElement(layer, "maskPath", TerrainSamples::MaskPath(mask, map));
    AppendTextElement(layer, "texturePath", TerrainSamples::TilePath(tile));
    AppendFloatElement(layer, "texStretch", stretch);
    AppendBoolElement(layer, "hardEdge", false);
}

TiXmlElement* WorldKeys::AppendSkybox(TiXmlElement* parent)
{
    const std::string sky = EnvironmentContent::kSkyFolder;
    const char* const faces[] = {"left", "right", "forward", "back", "top"};
    TiXmlElement* box = AppendElement(parent, "Skybox");
    for (size_t face = 0; face < 5; ++face)
        AppendTextElement(box, faces[face], sky + EnvironmentContent::kSkyFaces[face]);
    return box;
}

void WorldKeys::AppendCloudPlane(TiXmlElement* box, float height, float speed)
{
    TiXmlElement* cloud = AppendElement(box, "Cloudplane");
    AppendTextElement(cloud, "texture",
                      std::string(EnvironmentContent::kSkyFolder) + EnvironmentContent::kClouds);
    AppendFloatElement(cloud, "height", height);
    AppendFloatElement(cloud, "speed", speed);
}

TiXmlElement* WorldKeys::AppendSun(TiXmlElement* parent, const Sun& sun)
{
    TiXmlElement* element = AppendElement(parent, "Sun");
    AppendFloatElement(element, "position", sun.position);
    AppendFloatElement(element, "axistilt", sun.axisTilt);
    AppendTextElement(element, "texture",
                      std::string(EnvironmentContent::kBillboardFolder) + EnvironmentContent::kSunDisc);
    AppendFloatElement(element, "scale", sun.scale);
    AppendFloatElement(element, "reddirectional", sun.directional[0]);
    AppendFloatElement(element, "greendirectional", sun.directional[1]);
    AppendFloatElement(element, "bluedirectional", sun.directional[2]);
    AppendFloatElement(element, "redambient", sun.ambient[0]);
    AppendFloatElement(element, "greenambient", sun.ambient[1]);
    AppendFloatElement(element, "blueambient", sun.ambient[2]);
    return element;
}

void WorldKeys::AppendFlares(TiXmlElement* sun, const std::vector<Flare>& flares)
{
    const std::string pictures = EnvironmentContent::kBillboardFolder;
    TiXmlElement* layers = AppendElement(sun, "lensFlareLayers");
    for (const Flare& flare : flares)
    {
        TiXmlElement* layer = AppendElement(layers, "FlareLayer");
        AppendTextElement(layer, "texture", pictures + flare.picture);
        AppendFloatElement(layer, "length", flare.length);
        AppendFloatElement(layer, "scale", flare.scale);
    }
}

void WorldKeys::BuildVehicleListing(TiXmlDocument& document, const std::string& record,
                                    const std::string& picture)
{
    TiXmlElement* vehicle = AppendElement(&document, "vehicles");
    AppendTextElement(vehicle, "initID", record);
    AppendTextElement(vehicle, "imagefile", picture);
}

bool WorldKeys::Write(const std::string& root, const std::string& relative, const TiXmlDocument& document)
{
    for (size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
    {
        const std::string folder = root + "/" + relative.substr(0, slash);
        if (!platform::IsDirectory(folder) && !platform::CreateDirectory(folder))
            return false;
    }
    return SaveXmlDocument(document, root + "/" + relative);
}
