#include "engine/scene/kaEntity.h"

#include "engine/core/kaApp.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaWorld.h"

#include <tinyxml.h>

KA_ENTITY_CLASS_RECORD_DEFINITION(kaEntity, "Entity")

namespace
{

const EntityFactory::Registration s_Registration(kaEntity::StaticClassInfo(),
                                                 &EntityFactory::Create<kaEntity>);

std::string BoolText(bool value)
{
    return ka::lexical_cast<std::string>(value);
}

// Takes a boolean row's value into the flag; true when the flag changed.
bool TakeBool(const std::string& value, bool& flag)
{
    const bool parsed = ka::lexical_cast<bool>(value);
    if (parsed == flag)
        return false;
    flag = parsed;
    return true;
}

} // namespace

kaEntity::kaEntity() = default;

kaEntity::~kaEntity() = default;

void kaEntity::ReadXml(const TiXmlElement* element)
{
    if (!element)
        return;
    if (const TiXmlElement* child = element->FirstChildElement("initUniqueID"))
        m_InitUniqueID = GetElementText(child);
    if (const TiXmlElement* child = element->FirstChildElement("name"))
        m_Name = GetElementText(child);
    if (const TiXmlElement* child = element->FirstChildElement("entityID"))
        m_EntityID = GetElementInt(child);
    if (const TiXmlElement* child = element->FirstChildElement("visible"))
        m_Visible = GetElementBool(child);
    const TiXmlElement* selectable = element->FirstChildElement("selectable");
    m_Selectable = selectable ? GetElementBool(selectable) : true;
}

bool kaEntity::ReadKeyOf(const TiXmlElement* child, const std::string& key, const std::function<void()>& read)
{
    if (!child)
        return false;
    try
    {
        read();
        return true;
    }
    catch (const ka::bad_lexical_cast&)
    {
        // A record is the game's own data and comes back at each load: only the file's block is the
        // designer's to mend.
        if (m_ReadingInitData)
            throw;
        if (m_pWorld)
            m_pWorld->NoteMalformedValue(key, GetElementText(child));
        const kaApp* app = kaApp::GetSingleton();
        if (!app || !app->IsEditor())
            throw;
        return false;
    }
}

bool kaEntity::ReadFloatKey(const TiXmlElement* block, const char* key, float& field)
{
    const TiXmlElement* child = block ? block->FirstChildElement(key) : nullptr;
    float value = field;
    if (!ReadKeyOf(child, key, [&value, child] { value = GetElementFloat(child); }))
        return false;
    field = value;
    return true;
}

bool kaEntity::ReadIntKey(const TiXmlElement* block, const char* key, int32_t& field)
{
    const TiXmlElement* child = block ? block->FirstChildElement(key) : nullptr;
    int32_t value = field;
    if (!ReadKeyOf(child, key, [&value, child] { value = GetElementInt(child); }))
        return false;
    field = value;
    return true;
}

bool kaEntity::ReadBoolKey(const TiXmlElement* block, const char* key, bool& field)
{
    const TiXmlElement* child = block ? block->FirstChildElement(key) : nullptr;
    bool value = field;
    if (!ReadKeyOf(child, key, [&value, child] { value = GetElementBool(child); }))
        return false;
    field = value;
    return true;
}

void kaEntity::WriteXml(TiXmlElement* element) const
{
    if (!element)
        return;
    if (!m_InitUniqueID.empty())
        AppendTextElement(element, "initUniqueID", m_InitUniqueID);
    AppendTextElement(element, "name", m_Name);
    AppendTextElement(element, "type", GetClassName());
    AppendIntElement(element, "entityID", m_EntityID);
    AppendBoolElement(element, "visible", m_Visible);
    AppendBoolElement(element, "selectable", m_Selectable);
}

void kaEntity::ResetState() {}

void kaEntity::ReadState(const TiXmlElement*) {}

void kaEntity::WriteState(TiXmlElement* element) const
{
    AppendIntElement(element, "entityID", m_EntityID);
}

void kaEntity::ResolveLinks() {}

void kaEntity::Initialize() {}

void kaEntity::Render() {}

void kaEntity::Update(float) {}

kaMesh* kaEntity::GetNextMesh(bool& more)
{
    more = false;
    return nullptr;
}

kaBoundingBox* kaEntity::GetBoundingBox()
{
    return nullptr;
}

bool kaEntity::GetWorldMatrix(platform::Matrix&) const
{
    return false;
}

void kaEntity::SetVisible(bool visible)
{
    m_Visible = visible;
}

const kaPropertyList& kaEntity::GetPropertyList()
{
    BuildPropertyList();
    return m_PropertyList;
}

bool kaEntity::SetPropertyList(const kaPropertyList& list)
{
    m_PropertyList = list;
    bool changed = false;
    for (const kaCountedPtr<kaPropertyRecord>& row : m_PropertyList)
    {
        if (!row)
            continue;
        const std::string& label = row->m_Label;
        if (label == kNameLabel)
        {
            if (row->m_Value != m_Name)
            {
                m_Name = row->m_Value;
                changed = true;
            }
        }
        else if (label == kCollidableLabel)
            changed |= TakeBool(row->m_Value, m_Collidable);
        else if (label == kVisibleLabel)
            changed |= TakeBool(row->m_Value, m_Visible);
        else if (label == kSelectableLabel)
            changed |= TakeBool(row->m_Value, m_Selectable);
    }
    return changed;
}

void kaEntity::CreateDeviceObjects() {}

void kaEntity::ReleaseDeviceObjects() {}

void kaEntity::UpdateControl(float) {}

void kaEntity::SetSelected(bool selected, const kaCollideInfo*)
{
    m_Selected = selected;
}

bool kaEntity::IsSelected() const
{
    return m_Selected;
}

void kaEntity::BuildPropertyList()
{
    m_PropertyList.clear();
    kaPropertyRecord::Append(m_PropertyList, kNameLabel, m_Name);
    kaPropertyRecord::Append(m_PropertyList, kCollidableLabel, BoolText(m_Collidable));
    kaPropertyRecord::Append(m_PropertyList, kVisibleLabel, BoolText(m_Visible));
    kaPropertyRecord::Append(m_PropertyList, kSelectableLabel, BoolText(m_Selectable));
}

void kaEntity::ApplyInitData(const std::string& uniqueId)
{
    m_InitUniqueID = uniqueId;
    if (g_pInitDataBase)
    {
        // Put back even when a record's value throws.
        struct Reading
        {
            bool& flag;
            bool was;
            ~Reading() { flag = was; }
        } reading{m_ReadingInitData, m_ReadingInitData};
        m_ReadingInitData = true;
        g_pInitDataBase->Apply(kInitDataType, uniqueId, [this](TiXmlElement* data) { ReadXml(data); });
    }
    m_InitUniqueID = uniqueId;
}

std::string kaEntity::GetClassType(const std::string& uniqueId)
{
    // Walked as the data applies, with the database's guards against include cycles: the last
    // record to name a class decides, as it would for any other key.
    std::string classType;
    if (g_pInitDataBase)
    {
        g_pInitDataBase->Apply(kInitDataType, uniqueId,
                               [&classType](TiXmlElement* data)
                               {
                                   if (const TiXmlElement* child = data->FirstChildElement("classType"))
                                       classType = GetElementText(child);
                               });
    }
    return classType;
}

kaEntity* kaEntity::CreateFromInitData(const std::string& uniqueId, kaWorld* world)
{
    if (!g_pInitDataBase || !g_pInitDataBase->Find(kInitDataType, uniqueId))
        return nullptr;
    std::unique_ptr<kaEntity> entity = CreateEntity(GetClassType(uniqueId));
    if (!entity)
        return nullptr;
    entity->ApplyInitData(uniqueId);
    if (!world)
        return entity.release();
    // A locked world queues the entity and still owns it.
    world->AddEntity(entity.get(), true, true);
    entity->SetWorld(world);
    entity->Initialize();
    return entity.release();
}

void kaEntity::SetWorldUpdate(bool update)
{
    if (update == m_WorldUpdate)
        return;
    m_WorldUpdate = update;
    if (!m_pWorld)
        return;
    if (update)
        m_pWorld->AddToUpdateList(this);
    else
        m_pWorld->RemoveFromUpdateList(this);
}
