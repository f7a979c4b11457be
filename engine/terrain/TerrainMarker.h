#pragma once

#include "engine/terrain/kaDraggableDecal.h"

#include <string>

// A marked rectangle of cells carrying a named kind of ground chosen in the editor; marked 1 in the path
// grid whatever its kind.
class TerrainMarker : public kaDraggableDecal
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr const char* kTexturePath = "resources/worlds/decals/TerrainMarker.tga";
    static constexpr const char* kHandlePath = "resources/worlds/decals/handle_blue.bmp";
    static constexpr const char* kTypeLabel = "Terrain Type:";
    static constexpr const char* kTypeListFile = "InitData/TerrainTypes.xml";
    // The names in type order, from 1; any other name is type 0.
    static constexpr const char* kTypeNames[8] = {"Rough",   "Smooth",     "Forest",    "Paved",
                                                  "Blocked", "Landscaped", "Excavated", "Pipelaid"};

    TerrainMarker();
    ~TerrainMarker() override;

    // The decal's keys, then "terrainType".
    void ReadXml(const TiXmlElement* element) override;
    void WriteXml(TiXmlElement* element) const override;
    void Initialize() override {}
    // True when the decal's rows or the type changed.
    bool SetPropertyList(const kaPropertyList& list) override;
    void BuildPropertyList() override;

    virtual std::string GetTerrainDescription() const { return std::string(); }
    virtual bool CheckTerrainType(int32_t value) const { return CheckTerrainTypeFor(m_TerrainType, value); }
    virtual bool CheckTerrainTypeFor(int32_t, int32_t) const { return false; }
    // The type of the name, matched exactly (0 for another), and the name as given.
    virtual bool SetTerrainType(const std::string& name);

    static int32_t TypeOf(const std::string& name);
    int32_t GetTerrainType() const { return m_TerrainType; }
    const std::string& GetTerrainTypeName() const { return m_TerrainTypeName; }

private:
    int32_t m_TerrainType = 0;
    std::string m_TerrainTypeName;
};
