#include "engine/scene/kaEntity.h"

#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaPropertyRecord.h"
#include "engine/scene/kaWorld.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <map>

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

// Takes a flag row whose key the block may keep as read; true when the flag changed or the designer set
// the row over a kept text, which then gives way.
bool TakeKeptBool(const kaPropertyRecord& row, bool& flag, kaBlockKeys& kept, const char* key)
{
    if (!TakeBool(row.m_Value, flag) && !(row.m_Set && kept.Has(key)))
        return false;
    kept.Forget(key);
    return true;
}

// The leaves' texts under the element, in document order.
void AppendLeafTexts(const TiXmlElement* element, std::string& text)
{
    const TiXmlElement* child = element->FirstChildElement();
    if (!child)
    {
        text += (text.empty() ? "" : " ") + GetElementText(element);
        return;
    }
    for (; child; child = child->NextSiblingElement())
        AppendLeafTexts(child, text);
}

// A component of a placement key; an absent one leaves the value.
void ReadComponent(const TiXmlElement* key, const char* axis, float& value)
{
    if (const TiXmlElement* component = key->FirstChildElement(axis))
        value = GetElementFloat(component);
}

} // namespace

bool kaEntity::IsWithinPlacementBound(const platform::Vector3& position)
{
    for (const float value : {position.x, position.y, position.z})
        if (!(std::fabs(value) <= kPlacementBound))
            return false;
    return true;
}

platform::Vector3 kaEntity::BoundedPlacement(const platform::Vector3& position)
{
    // Each value on its own, so that the others stay as the designer gave them.
    const auto bounded = [](float value)
    { return std::isfinite(value) ? std::clamp(value, -kPlacementBound, kPlacementBound) : 0.0f; };
    return platform::Vector3(bounded(position.x), bounded(position.y), bounded(position.z));
}

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
    // Not kept as read: the world gives an edited world's entity a fresh id, which the save writes.
    const TiXmlElement* id = element->FirstChildElement("entityID");
    if (id && !ReadKeyOf(id, "entityID", [this, id] { m_EntityID = GetElementInt(id); }))
        m_EntityID = -1;
    ReadKey(element, "visible", m_Visible);
    m_Selectable = true;
    ReadKey(element, "selectable", m_Selectable);
}

bool kaEntity::IsInEditedWorld() const
{
    return m_pWorld && m_pWorld->IsEdited();
}

std::string kaEntity::KeyText(const TiXmlElement* key)
{
    std::string text;
    if (key)
        AppendLeafTexts(key, text);
    return text;
}

bool kaEntity::ReadKeyOf(const TiXmlElement* child, const std::string& key, const std::function<void()>& read,
                         KeepText keep)
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
            m_pWorld->NoteMalformedValue(key, KeyText(child));
        if (!IsInEditedWorld())
            throw;
        if (keep == KeepText::kYes)
            m_BlockKeys.KeepElement(*child);
        return false;
    }
}

template <typename Value> bool kaEntity::ReadKey(const TiXmlElement* block, const char* key, Value& field)
{
    const TiXmlElement* child = block ? block->FirstChildElement(key) : nullptr;
    Value value = field;
    const auto read = [&value, child]
    {
        const std::string text = GetElementText(child);
        value = text.empty() ? Value() : ka::lexical_cast<Value>(text);
    };
    if (!ReadKeyOf(child, key, read, KeepText::kYes))
        return false;
    field = value;
    return true;
}

template bool kaEntity::ReadKey<float>(const TiXmlElement*, const char*, float&);
template bool kaEntity::ReadKey<int32_t>(const TiXmlElement*, const char*, int32_t&);
template bool kaEntity::ReadKey<bool>(const TiXmlElement*, const char*, bool&);

bool kaEntity::ReadPlacementKey(const TiXmlElement* block, const char* key, platform::Vector3& value,
                                bool readY)
{
    const TiXmlElement* child = block ? block->FirstChildElement(key) : nullptr;
    platform::Vector3 read = value;
    const auto readAll = [child, readY, &read]
    {
        ReadComponent(child, "x", read.x);
        ReadComponent(child, "z", read.z);
        if (readY)
            ReadComponent(child, "y", read.y);
        // Taken as a value no reader can use: a run drops the entity instead of ODE ending the program.
        if (!IsWithinPlacementBound(read))
            throw ka::bad_lexical_cast();
    };
    if (ReadKeyOf(child, key, readAll, KeepText::kYes))
    {
        value = read;
        return true;
    }
    if (!child)
        return false;
    // What reads of it, within the bound.
    read = value;
    kaXmlValues::ReadFloatOrKeepSilently(child, "x", read.x);
    kaXmlValues::ReadFloatOrKeepSilently(child, "z", read.z);
    if (readY)
        kaXmlValues::ReadFloatOrKeepSilently(child, "y", read.y);
    value = BoundedPlacement(read);
    return false;
}

namespace
{

// How many children of the element carry the name.
size_t CountNamed(const TiXmlElement& element, const std::string& name)
{
    size_t count = 0;
    for (const TiXmlElement* child = element.FirstChildElement(name); child;
         child = child->NextSiblingElement(name))
        ++count;
    return count;
}

} // namespace

std::vector<const TiXmlNode*> kaEntity::KeepUnwrittenKeys(const TiXmlElement& block)
{
    m_UnwrittenKeys.clear();
    std::vector<const TiXmlNode*> kept;
    TiXmlElement written("Entity");
    WriteXml(&written);
    std::map<std::string, size_t> seen;
    for (const TiXmlNode* node = block.FirstChild(); node; node = node->NextSibling())
    {
        const TiXmlElement* key = node->ToElement();
        if (!key && !node->ToText())
            continue;
        const size_t place = key ? seen[key->ValueStr()]++ : 0;
        if (key && place < CountNamed(written, key->ValueStr()))
            continue;
        m_UnwrittenKeys.emplace_back(place, std::unique_ptr<TiXmlNode>(node->Clone()));
        kept.push_back(node);
    }
    return kept;
}

void kaEntity::WriteUnwrittenKeys(TiXmlElement* element) const
{
    if (!element)
        return;
    for (const auto& [place, node] : m_UnwrittenKeys)
        if (node->ToText() || CountNamed(*element, node->ValueStr()) <= place)
            element->InsertEndChild(*node);
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
    if (!m_BlockKeys.Write(element, "visible"))
        AppendBoolElement(element, "visible", m_Visible);
    if (!m_BlockKeys.Write(element, "selectable"))
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
            changed |= TakeKeptBool(*row, m_Visible, m_BlockKeys, "visible");
        else if (label == kSelectableLabel)
            changed |= TakeKeptBool(*row, m_Selectable, m_BlockKeys, "selectable");
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
