#pragma once

#include "tools/terraingen/TerrainSamples.h"

#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

// The blocks every generated world file shares, keyed in the order the game's world writes them, and
// the writing of a generated file under the content root.
class WorldKeys
{
public:
    // An entity's base block; an empty record writes no init record.
    static TiXmlElement* AppendBase(TiXmlElement* entities, const std::string& record,
                                    const std::string& name, const std::string& type, int id);
    // A model entity's block: the base, its model, its rotation (turned by yaw about +y) and its place.
    static TiXmlElement* AppendModel(TiXmlElement* entities, const std::string& record,
                                     const std::string& name, const std::string& type, int id,
                                     const std::string& model, float x, float y, float z, float yaw = 0.0f);
    // The course's start, turned by yaw about +y. A car faces -z unturned and -x at a yaw of pi / 2.
    static void AppendStart(TiXmlElement* world, float x, float z, float yaw = 0.0f);
    // A terrain spanning that map, square; its layers or single layer follow.
    static TiXmlElement* AppendTerrain(TiXmlElement* world, const TerrainSamples::MapSize& map, float side,
                                       float height);
    static void AppendTerrainLayer(TiXmlElement* layers, TerrainSamples::MaskKind mask,
                                   const TerrainSamples::MapSize& map, const std::string& tile,
                                   float stretch);

    // The sample sky box's five faces; returns the box for a cloud plane.
    static TiXmlElement* AppendSkybox(TiXmlElement* parent);
    static void AppendCloudPlane(TiXmlElement* box, float height, float speed);
    // A sun with the sample disc; colours are red, green, blue.
    struct Sun
    {
        float position;
        float axisTilt;
        float scale;
        float directional[3];
        float ambient[3];
    };
    static TiXmlElement* AppendSun(TiXmlElement* parent, const Sun& sun);
    // A flare layer: its picture under the billboard folder, its length along the flare and its scale.
    struct Flare
    {
        const char* picture;
        float length;
        float scale;
    };
    static void AppendFlares(TiXmlElement* sun, const std::vector<Flare>& flares);

    // A vehicle as the vehicle screen lists it.
    static void BuildVehicleListing(TiXmlDocument& document, const std::string& record,
                                    const std::string& picture);

    // Writes the document under the root, making every folder on the way: a fresh root holds none.
    static bool Write(const std::string& root, const std::string& relative, const TiXmlDocument& document);
};
