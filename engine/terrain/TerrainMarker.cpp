#include "engine/terrain/TerrainMarker.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/terrain/kaDraggableDecalManager.h"

#include <tinyxml.h>

KA_ENTITY_CLASS_RECORD_DEFINITION(TerrainMarker, "TerrainMarker")

namespace
{

const EntityFactory::Registration s_Registration(TerrainMarker::StaticClassInfo(),
                                                 &EntityFactory::Create<TerrainMarker>);

} // namespace

TerrainMarker::TerrainMarker()
{
    SetName(StaticClassInfo().GetName());
    m_PathType = 1;
    m_Texture = kTexturePath;
    m_HandleTexture = kHandlePath;
    m_WidthScale = 0.25f;
    m_LengthScale = 0.25f;
    if (kaDraggableDecalManager* manager = kaDraggableDecalManager::GetSingleton())
        manager->Register(kaDraggableDecalManager::kMarkerKey, this);
}

TerrainMarker::~TerrainMarker()
{
    if (kaDraggableDecalManager* manager = kaDraggableDecalManager::GetSingleton())
        manager->Unregister(kaDraggableDecalManager::kMarkerKey, this);
}

int32_t TerrainMarker::TypeOf(const std::string& name)
{
    for (int32_t i = 0; i < 8; ++i)
        if (name == kTypeNames[i])
            return i + 1;
    return 0;
}

bool TerrainMarker::SetTerrainType(const std::string& name)
{
    m_TerrainType = TypeOf(name);
    m_TerrainTypeName = name;
    return true;
}

void TerrainMarker::ReadXml(const TiXmlElement* element)
{
    kaDraggableDecal::ReadXml(element);
    m_TerrainTypeName = GetChildElementText("terrainType", element);
    if (!m_TerrainTypeName.empty())
        SetTerrainType(m_TerrainTypeName);
}

void TerrainMarker::WriteXml(TiXmlElement* element) const
{
    kaDraggableDecal::WriteXml(element);
    if (element)
        AppendTextElement(element, "terrainType", m_TerrainTypeName);
}

void TerrainMarker::BuildPropertyList()
{
    kaDraggableDecal::BuildPropertyList();
    kaPropertyRecord& row = kaPropertyRecord::Append(m_PropertyList, kTypeLabel, m_TerrainTypeName);
    row.m_Kind = kaPropertyRecord::kFromListFile;
    row.m_ListFile = kTypeListFile;
}

bool TerrainMarker::SetPropertyList(const kaPropertyList& list)
{
    const bool decalChanged = kaDraggableDecal::SetPropertyList(list);
    bool typeChanged = false;
    for (const kaCountedPtr<kaPropertyRecord>& row : list)
        if (row && row->m_Label == kTypeLabel && row->m_Value != m_TerrainTypeName)
            typeChanged = SetTerrainType(row->m_Value) || typeChanged;
    if (typeChanged)
    {
        ApplyTextureLimits();
        Rebuild();
    }
    return decalChanged || typeChanged;
}
