// World files: loading, saving and the XML of the world, its environment and its entities.
#include "engine/scene/kaWorld.h"

#include "engine/core/kaApp.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelManager.h"
#include "engine/render/kaCamera.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaEntityEditorModel.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaQuadTree.h"
#include "engine/scene/kaSkyBoxBase.h"
#include "engine/scene/kaSunBase.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWaterPlaneBase.h"
#include "engine/scene/kaXmlRotation.h"

#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iterator>
#include <map>

namespace
{

// A malformed world value keeps what the world had, with a debugger line naming this reader.
const char* const kReader = "kaWorld::ReadXml";

// The top-level keys of "World" that the world reads and writes itself.
const std::vector<std::string> kOwnKeys = {"arena",      "name",          "preview",  "description",
                                           "startpoint", "startrotation", "Terrain",  "WaterPlane",
                                           "Skybox",     "Sun",           "Entities", "EntitiesStates"};

// Empty text reads as 0, an id the world's own entities hold: a block that gives no digits gives no id.
bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

bool HasBlankIdentifier(const TiXmlElement* block)
{
    const TiXmlElement* given = block->FirstChildElement("entityID");
    return given && IsBlank(GetElementText(given));
}

// An element no reader takes, as a designer finds it: its name, the type, name and id it gives, its row.
std::string DescribeElement(const TiXmlElement& element)
{
    std::string text = "<" + element.ValueStr() + ">";
    const std::string type = GetChildElementText("type", &element);
    const std::string name = GetChildElementText("name", &element);
    if (!type.empty())
        text += " " + type;
    if (!name.empty())
        text += " \"" + name + "\"";
    if (const TiXmlElement* id = element.FirstChildElement("entityID"))
        text += " (id " + GetElementText(id) + ")";
    if (element.Row() > 0)
        text += " at row " + std::to_string(element.Row());
    return text;
}

// An "entityID" as the base block reads it; false when it is not a number.
bool ParseIdentifier(const TiXmlElement* element, int32_t& id)
{
    try
    {
        id = GetElementInt(element);
        return true;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

// Sets the lock for a scope and puts back what it was, so that nested passes do not unlock early.
class LockScope
{
public:
    explicit LockScope(bool& locked) : m_Locked(locked), m_Was(locked) { m_Locked = true; }
    ~LockScope() { m_Locked = m_Was; }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

private:
    bool& m_Locked;
    bool m_Was;
};

} // namespace

bool kaWorld::ReadFile(const std::string& fileName, TiXmlDocument& document, std::string& why)
{
    std::string unread;
    if (!_ReadDocument(fileName, document, why, unread))
        return false;
    if (unread.empty())
        return true;
    // A save writes what was read: the part of the file the reader never reached would be lost.
    why = unread + ", where the reader stops";
    platform::OutputDebugString("kaWorld::LoadFile - " + fileName + " is not a readable world file: " + why +
                                ".\n");
    document.Clear();
    return false;
}

bool kaWorld::_ReadDocument(const std::string& fileName, TiXmlDocument& document, std::string& why,
                            std::string& unread)
{
    const std::string found = ResolvePath(fileName);
    platform::ReadRefusal refusal = platform::ReadRefusal::Missing;
    FILE* file = found.empty() ? nullptr : OpenFile(found, "rb", platform::kMaxDataFileBytes, &refusal);
    if (!file)
    {
        const std::string said = platform::DescribeRefusal(refusal, platform::kMaxDataFileBytes);
        platform::OutputDebugString("kaWorld::LoadFile - " + fileName +
                                    (refusal == platform::ReadRefusal::Missing ? " not found" : " " + said) +
                                    ".\n");
        why = "the file " + said;
        return false;
    }
    const bool loaded = LoadXmlDocument(document, file, fileName, why, &unread);
    std::fclose(file);
    if (loaded && document.FirstChildElement(kRootElement) != nullptr)
        return true;
    if (loaded)
    {
        const TiXmlElement* other = document.RootElement();
        why = other == nullptr ? "the file holds no element"
                               : "the root element is \"" + other->ValueStr() + "\", not \"" + kRootElement +
                                     "\" at row " + std::to_string(other->Row()) + ", column " +
                                     std::to_string(other->Column());
    }
    platform::OutputDebugString("kaWorld::LoadFile - " + fileName + " is not a readable world file: " + why +
                                ".\n");
    return false;
}

bool kaWorld::LoadFile(const std::string& fileName, bool restoreStates)
{
    TiXmlDocument document;
    std::string why;
    std::string unread;
    if (!_ReadDocument(fileName, document, why, unread))
        return false;
    if (!unread.empty())
    {
        // A run plays what was read and says where the reading stopped.
        const std::string line =
            "kaWorld::LoadFile - " + fileName + " holds " + unread + "; the rest is not read.\n";
        _Say(line);
    }
    ReadXml(document.FirstChildElement(kRootElement), restoreStates);
    return true;
}

bool kaWorld::SaveFile(const std::string& fileName, bool saveStates)
{
    if (m_pTerrain)
        m_pTerrain->PrepareSave(fileName);
    TiXmlDocument document;
    m_KeptBlocks.WriteBeforeRoot(&document);
    TiXmlElement* root = AppendElement(&document, kRootElement);
    WriteXml(root, saveStates);
    m_KeptBlocks.WriteRepeats(root);
    m_KeptBlocks.WriteInRoot(root);
    m_KeptBlocks.WriteAfterRoot(&document);
    if (SaveXmlDocument(document, fileName))
        return true;
    platform::OutputDebugString("kaWorld::SaveFile - " + fileName +
                                " could not be written; the old file is kept.\n");
    return false;
}

void kaWorld::ReadXml(const TiXmlElement* element, bool restoreStates)
{
    if (!element)
        return;
    m_MalformedValues.clear();
    m_BlockFirstNote = 0;
    m_KeptBlocks.Clear();
    m_UnreadBlocks.clear();
    m_KeptValues.Clear();
    m_KeptStart.Clear();
    _KeepBesideRoot(element, true);
    _KeepRepeats(element);
    _KeepRootText(element);
    _KeepUnreadKeys(element);
    _ReadCourseRules(element);
    SetName(kaXmlValues::TextOrEmpty(element, "name"));
    m_Preview = kaXmlValues::TextOrEmpty(element, "preview");
    m_Description = kaXmlValues::TextOrEmpty(element, "description");
    _ReadStart(element);
    if (const TiXmlElement* arena = element->FirstChildElement("arena"))
    {
        const std::string venue = GetElementText(arena);
        // Without its venue the course still names it: a save writes the name back as the designer wrote it.
        if (!LoadVenue(venue, false))
            KeepCourseValue(*arena, g_pInitDataBase && g_pInitDataBase->Find(kVenueDataType, venue)
                                        ? "its model does not load"
                                        : "no venue of that name");
    }
    _ReadEnvironment(element);
    ReadEntities(element);
    _KeepBesideRoot(element, false);
    // Not read here, but a run reads them: a save without states writes them back as they stand.
    if (const TiXmlElement* states = element->FirstChildElement("EntitiesStates"); states && !restoreStates)
        m_KeptBlocks.KeepStates(*states);

    LockScope lock(m_Locked);
    ResetEntityStates();
    for (size_t i = 0; i < m_Entities.size(); ++i)
    {
        kaEntity* entity = m_Entities[i];
        if (!entity->GetInitUniqueID().empty())
            entity->ApplyInitData(entity->GetInitUniqueID());
    }
    if (restoreStates)
    {
        RestoreEntityStates(element);
        ResolveEntityLinks();
        if (m_pCamera)
            m_pCamera->OnWorldLoaded();
    }
}

void kaWorld::_ReadCourseRules(const TiXmlElement*) {}

void kaWorld::_ReadStart(const TiXmlElement* element)
{
    if (const TiXmlElement* start = element->FirstChildElement("startpoint"))
    {
        // An absent or empty coordinate reads 0.
        m_StartX = 0.0f;
        m_StartZ = 0.0f;
        for (const auto& [axis, value] : {std::make_pair("x", &m_StartX), std::make_pair("z", &m_StartZ)})
        {
            const TiXmlElement* component = start->FirstChildElement(axis);
            if (!component || GetElementText(component).empty() ||
                kaXmlValues::TryReadFloat(start, axis, *value))
                continue;
            m_KeptStart.KeepElement(*component);
            _NoteCourseValue(std::string("startpoint ") + axis, GetElementText(component), "");
        }
    }
    if (const TiXmlElement* rotation = element->FirstChildElement("startrotation"))
    {
        platform::Quaternion start = m_StartRotation;
        try
        {
            kaXmlRotation::Read(rotation, start, kaXmlValues::OnMalformed::Throw, kReader);
        }
        catch (const std::exception&)
        {
            // The components that read are in use; the block goes back whole, as the rotation it is.
            start = m_StartRotation;
            kaXmlRotation::Read(rotation, start, kaXmlValues::OnMalformed::KeepWithDebugLine, kReader);
            KeepCourseValue(*rotation);
        }
        m_StartRotation = start;
    }
}

void kaWorld::_WriteStart(TiXmlElement* element) const
{
    TiXmlElement* start = AppendElement(element, "startpoint");
    if (!m_KeptStart.Write(start, "x"))
        AppendFloatElement(start, "x", m_StartX);
    if (!m_KeptStart.Write(start, "z"))
        AppendFloatElement(start, "z", m_StartZ);
    if (m_KeptValues.Write(element, "startrotation"))
        return;
    TiXmlElement* quaternion = AppendElement(AppendElement(element, "startrotation"), "quaternion");
    AppendFloatElement(quaternion, "w", m_StartRotation.w);
    AppendFloatElement(quaternion, "x", m_StartRotation.x);
    AppendFloatElement(quaternion, "y", m_StartRotation.y);
    AppendFloatElement(quaternion, "z", m_StartRotation.z);
}

void kaWorld::KeepCourseValue(const TiXmlElement& key, const std::string& reason)
{
    m_KeptValues.KeepElement(key);
    _NoteCourseValue(key.ValueStr() == "arena" ? "venue" : key.ValueStr(), kaEntity::KeyText(&key), reason);
}

bool kaWorld::WriteKeptCourseValue(TiXmlElement* parent, const std::string& key) const
{
    return m_KeptValues.Write(parent, key);
}

void kaWorld::_NoteCourseValue(const std::string& key, const std::string& text, const std::string& reason)
{
    MalformedValue value;
    value.key = key;
    value.text = text;
    value.reason = reason;
    m_MalformedValues.push_back(value);
    _Say("kaWorld::ReadXml - " +
         (reason.empty() ? "bad value for " + key + " (\"" + text + "\"), default in use"
                         : key + " \"" + text + "\": " + reason) +
         ".\n");
}

void kaWorld::_KeepUnreadKeys(const TiXmlElement* element)
{
    m_KeptKeys.KeepAllBut(element, kOwnKeys);
}

void kaWorld::_KeepRepeats(const TiXmlElement* element)
{
    // Every reader takes the first key of its name. A later entity list is kept with the entities; the keys
    // this world does not read are kept by name, all of them, with the unread keys.
    for (const TiXmlElement* key = element->FirstChildElement(); key; key = key->NextSiblingElement())
    {
        if (key->ValueStr() == "Entities" || element->FirstChildElement(key->ValueStr()) == key)
            continue;
        if (std::find(kOwnKeys.begin(), kOwnKeys.end(), key->ValueStr()) != kOwnKeys.end())
            m_KeptBlocks.KeepRepeat(*key);
        _KeepUnread(*key, ", given again after the one read");
    }
}

void kaWorld::_KeepRootText(const TiXmlElement* element)
{
    std::string after;
    for (const TiXmlNode* node = element->FirstChild(); node; node = node->NextSibling())
    {
        if (const TiXmlElement* key = node->ToElement())
            after = key->ValueStr();
        else if (const TiXmlText* text = node->ToText())
        {
            m_KeptBlocks.KeepInRoot(*text, after);
            _KeepUnreadText(*text, ", among the world's keys");
        }
    }
}

void kaWorld::_KeepBesideRoot(const TiXmlElement* element, bool before)
{
    const TiXmlNode* document = element->Parent();
    if (!document || !document->ToDocument())
        return;
    const TiXmlElement* first = before ? document->FirstChildElement() : element->NextSiblingElement();
    const TiXmlElement* end = before ? element : nullptr;
    for (const TiXmlElement* other = first; other != end; other = other->NextSiblingElement())
    {
        if (before)
            m_KeptBlocks.KeepBeforeRoot(*other);
        else
            m_KeptBlocks.KeepAfterRoot(*other);
        _KeepUnread(*other, before ? ", before the root" : ", after the root");
    }
}

void kaWorld::_KeepUnread(const TiXmlElement& element, const std::string& where)
{
    m_UnreadBlocks.push_back(DescribeElement(element) + where);
    const std::string line = "kaWorld::ReadXml - element not read: " + m_UnreadBlocks.back() + ".\n";
    // A run goes on without it: said where a player or tester sees it.
    _Say(line);
}

void kaWorld::_KeepUnreadText(const TiXmlText& text, const std::string& where)
{
    m_UnreadBlocks.push_back(std::string(text.CDATA() ? "CDATA" : "text") + " \"" + text.ValueStr() +
                             "\" at row " + std::to_string(text.Row()) + where);
    _Say("kaWorld::ReadXml - element not read: " + m_UnreadBlocks.back() + ".\n");
}

void kaWorld::_Say(const std::string& line) const
{
    if (IsEdited())
        platform::OutputDebugString(line);
    else
        platform::OutputNotice(line);
}

void kaWorld::_WriteKeptKeys(TiXmlElement* element) const
{
    // A key the derived world wrote holds its current value: the copy read with the file is stale.
    std::vector<std::string> written;
    for (const TiXmlElement* key = element->FirstChildElement(); key; key = key->NextSiblingElement())
        written.push_back(key->ValueStr());
    // Only the copy of the key the reader took: one given again after it goes back after it.
    std::map<std::string, int> skipped;
    m_KeptKeys.WriteAll(
        element, [&written, &skipped](const std::string& name)
        { return std::find(written.begin(), written.end(), name) != written.end() && skipped[name]++ == 0; });
}

void kaWorld::_ReadEnvironment(const TiXmlElement* element)
{
    // Each object reads its own block; one that meets a malformed value is dropped, the world kept.
    const auto read = [this](kaEntity* object, const TiXmlElement* block, const char* name)
    {
        if (!object)
        {
            // No maker installed: the program was linked without the terrain library.
            platform::OutputDebugString(std::string("kaWorld::ReadXml - nothing makes ") + name +
                                        " in this program, element skipped.\n");
            return false;
        }
        object->SetWorld(this);
        m_BlockFirstNote = m_MalformedValues.size();
        try
        {
            object->ReadXml(block);
            // Its values that were no number are in use as their defaults and kept as read.
            for (size_t i = m_BlockFirstNote; i < m_MalformedValues.size(); ++i)
            {
                MalformedValue& value = m_MalformedValues[i];
                value.entity = name;
                _Say(std::string("kaWorld::ReadXml - bad value for ") + name + " " + value.key + " (\"" +
                     value.text + "\"), default in use.\n");
            }
            return true;
        }
        catch (const std::exception&)
        {
            // What it noted went with it.
            m_MalformedValues.resize(m_BlockFirstNote);
            platform::OutputDebugString(std::string("kaWorld::ReadXml - bad value in ") + name +
                                        ", element skipped.\n");
            return false;
        }
    };
    if (const TiXmlElement* block = element->FirstChildElement("Terrain"))
    {
        SetTerrain(nullptr);
        kaTerrainBase* terrain = CreateTerrainObject();
        if (read(terrain, block, "Terrain"))
        {
            SetTerrain(terrain);
            if (m_pQuadTree)
                m_pQuadTree->Initialize(terrain->GetWidth(), terrain->GetLength(),
                                        terrain->GetWidth() * 0.125f);
        }
        else
            delete terrain;
    }
    if (const TiXmlElement* block = element->FirstChildElement("WaterPlane"))
    {
        SetWaterPlane(nullptr);
        kaWaterPlaneBase* plane = s_WaterPlaneCreator ? s_WaterPlaneCreator() : nullptr;
        if (read(plane, block, "WaterPlane"))
        {
            SetWaterPlane(plane);
            if (m_pTerrain)
                plane->Build(m_pTerrain->GetWidth(), m_pTerrain->GetLength());
            else
                plane->Build(kDefaultWaterSize, kDefaultWaterSize);
        }
        else
            delete plane;
    }
    if (const TiXmlElement* block = element->FirstChildElement("Skybox"))
    {
        SetSkyBox(nullptr);
        kaSkyBoxBase* skyBox = s_SkyBoxCreator ? s_SkyBoxCreator() : nullptr;
        if (read(skyBox, block, "Skybox"))
            SetSkyBox(skyBox);
        else
            delete skyBox;
    }
    if (const TiXmlElement* block = element->FirstChildElement("Sun"))
    {
        SetSun(nullptr);
        kaSunBase* sun = s_SunCreator ? s_SunCreator() : nullptr;
        if (read(sun, block, "Sun"))
            SetSun(sun);
        else
            delete sun;
    }
}

void kaWorld::ReadEntities(const TiXmlElement* element)
{
    const TiXmlElement* entities = element ? element->FirstChildElement("Entities") : nullptr;
    if (!entities)
        return;
    const bool edited = IsEdited();
    // The ids the file's blocks give: an entity given a fresh one must not take one a later block holds.
    std::vector<int32_t> claimed;
    if (edited)
    {
        for (const TiXmlElement* block = entities->FirstChildElement("Entity"); block;
             block = block->NextSiblingElement("Entity"))
        {
            int32_t id = -1;
            const TiXmlElement* given = block->FirstChildElement("entityID");
            if (given && !HasBlankIdentifier(block) && ParseIdentifier(given, id) && id >= 0)
                claimed.push_back(id);
        }
        std::sort(claimed.begin(), claimed.end());
    }
    // The block each id came from, named as a repeat of it names it.
    std::map<int32_t, std::string> holders;
    // Fresh ids rise through the file: the search for the next goes on from the last.
    int32_t nextFree = 0;
    int32_t place = 0;
    for (const TiXmlNode* node = entities->FirstChild(); node; node = node->NextSibling())
    {
        // Text typed between the entities goes back where it stood; comments are not kept.
        if (const TiXmlText* text = node->ToText())
        {
            m_KeptBlocks.KeepInList(*text);
            _KeepUnreadText(*text, ", among the entities");
            continue;
        }
        const TiXmlElement* block = node->ToElement();
        if (!block)
            continue;
        if (block->ValueStr() != "Entity")
        {
            m_KeptBlocks.KeepInList(*block);
            _KeepUnread(*block, "");
            continue;
        }
        ++place;
        const TiXmlElement* given = block->FirstChildElement("entityID");
        const bool blank = HasBlankIdentifier(block);
        kaEntity* entity = _ReadEntity(block, place);
        if (!entity)
            continue;
        if (blank)
            entity->SetEntityID(-1);
        // An id an entity the world made itself holds (the venue's) is no other block's: not a repeat.
        const kaEntity* holder = entity->GetEntityID() >= 0 ? FindEntityById(entity->GetEntityID()) : nullptr;
        const bool worldsOwn = holder && !holder->IsSaved();
        if (edited && (entity->GetEntityID() < 0 || worldsOwn))
        {
            // No id a run takes: the editor keeps the entity under a fresh one, which the next save writes,
            // and names the id it could not use.
            nextFree = _UnclaimedIdentifier(claimed, nextFree);
            entity->SetEntityID(nextFree);
            NoteMalformedValue("entityID", given ? GetElementText(given) : std::string());
            for (size_t i = m_BlockFirstNote; i < m_MalformedValues.size(); ++i)
            {
                m_MalformedValues[i].entity = _DescribeBlock(block, place);
                if (m_MalformedValues[i].key == "entityID")
                    m_MalformedValues[i].newId = nextFree;
            }
        }
        if (AddEntity(entity, entity->IsVisible(), false))
        {
            holders[entity->GetEntityID()] = _NameBlock(block, place);
            m_KeptBlocks.NoteListEntity(entity->GetEntityID());
            continue;
        }
        // Refused: nothing else holds it.
        const int32_t id = entity->GetEntityID();
        delete entity;
        const auto repeated = holders.find(id);
        const std::string holderName = repeated != holders.end() ? repeated->second : std::string();
        std::string reason = "entityID " + std::to_string(id) + " already in use";
        if (!given)
            reason = "no entityID";
        else if (blank)
            reason = "an empty entityID";
        else if (id < 0)
            reason = "a negative entityID";
        else if (worldsOwn)
            reason += holder == m_pVenueEntity ? " by the venue" : " by an entity the world made";
        else if (!holderName.empty())
            reason += " by " + holderName;
        _NoteLeftOut(block, place, "entityID", given ? GetElementText(given) : std::string(), reason,
                     holderName);
    }
    // Entities pasted with their list: left as they stand for the designer to bring into the first.
    for (const TiXmlElement* later = entities->NextSiblingElement("Entities"); later;
         later = later->NextSiblingElement("Entities"))
    {
        m_KeptBlocks.KeepLaterList(*later);
        const std::string where = ", in a later Entities at row " + std::to_string(later->Row());
        for (const TiXmlElement* block = later->FirstChildElement(); block;
             block = block->NextSiblingElement())
            _KeepUnread(*block, where);
    }
}

std::string kaWorld::_DescribeBlock(const TiXmlElement* element, int32_t place)
{
    // Named from the block: a reader may stop before the entity knows its name. A block without an id is
    // found by its place among the file's entities.
    const std::string type = GetChildElementText("type", element);
    const std::string name = GetChildElementText("name", element);
    const std::string where =
        element->FirstChildElement("entityID") != nullptr && !HasBlankIdentifier(element)
            ? "id " + GetChildElementText("entityID", element)
            : "entity " + std::to_string(place) + " of the file";
    return (type.empty() ? std::string("untyped entity") : type) + (name.empty() ? "" : " \"" + name + "\"") +
           " (" + where + ")";
}

std::string kaWorld::_NameBlock(const TiXmlElement* element, int32_t place)
{
    const std::string type = GetChildElementText("type", element);
    const std::string name = GetChildElementText("name", element);
    return (type.empty() ? std::string("untyped entity") : type) +
           (name.empty() ? " (entity " + std::to_string(place) + " of the file)" : " \"" + name + "\"");
}

void kaWorld::_NoteLeftOut(const TiXmlElement* element, int32_t place, const std::string& key,
                           const std::string& text, const std::string& reason, const std::string& holder)
{
    MalformedValue value;
    value.entity = _DescribeBlock(element, place);
    value.key = key;
    value.text = text;
    value.dropped = true;
    value.holder = holder;
    m_MalformedValues.push_back(value);
    const std::string line =
        "kaWorld::ReadEntities - " + reason + ": " + value.entity + ", entity dropped.\n";
    // A run leaves out what the designer may not know is broken: said where a player or tester sees it.
    _Say(line);
}

int32_t kaWorld::_UnclaimedIdentifier(const std::vector<int32_t>& claimed, int32_t from) const
{
    int32_t id = from;
    while (std::binary_search(m_Identifiers.begin(), m_Identifiers.end(), id) ||
           std::binary_search(claimed.begin(), claimed.end(), id))
        ++id;
    return id;
}

kaEntity* kaWorld::_ReadEntity(const TiXmlElement* element, int32_t place)
{
    const std::string type = GetChildElementText("type", element);
    std::unique_ptr<kaEntity> entity = CreateEntity(type);
    // Unknown classes are skipped, except in the editor, where a placeholder keeps them for saving.
    const bool editor = IsEdited();
    m_BlockFirstNote = m_MalformedValues.size();
    if (!entity && editor)
        entity = std::make_unique<kaEntityEditorModel>(type);
    if (!entity)
    {
        _NoteLeftOut(element, place, "type", type, type.empty() ? "no type" : "no class of that type");
        return nullptr;
    }
    entity->SetWorld(this);
    const size_t noted = m_MalformedValues.size();
    const std::string described = _DescribeBlock(element, place);
    try
    {
        // Entities its block makes wait in the queue and number after the file's own.
        LockScope lock(m_Locked);
        entity->ReadXml(element);
    }
    catch (const std::exception&)
    {
        // Outside the editor a noted key throws at once and is the cause. In the editor noted keys are kept,
        // so a throw is one no reader noted, said as it is.
        if (editor || m_MalformedValues.size() == noted)
            m_MalformedValues.push_back(MalformedValue());
        MalformedValue& last = m_MalformedValues.back();
        last.dropped = true;
        for (size_t i = noted; i < m_MalformedValues.size(); ++i)
            m_MalformedValues[i].entity = described;
        const std::string key =
            last.key.empty() ? std::string("a value") : last.key + " (\"" + last.text + "\")";
        const std::string line =
            "kaWorld::ReadEntities - bad value for " + key + ": " + described + ", entity dropped.\n";
        _Say(line);
        entity->SetWorld(nullptr);
        return nullptr;
    }
    for (size_t i = noted; i < m_MalformedValues.size(); ++i)
        m_MalformedValues[i].entity = described;
    for (const TiXmlNode* key : entity->KeepUnwrittenKeys(*element))
    {
        if (const TiXmlText* text = key->ToText())
            _KeepUnreadText(*text, ", in the block of " + described);
        else
            _KeepUnread(*key->ToElement(), ", in the block of " + described);
    }
    return entity.release();
}

kaWorld::LoadPolicy kaWorld::GetLoadPolicy() const
{
    if (m_LoadPolicySet)
        return m_LoadPolicy;
    const kaApp* app = kaApp::GetSingleton();
    return app && app->IsEditor() ? LoadPolicy::kEdit : LoadPolicy::kRun;
}

void kaWorld::NoteMalformedValue(const std::string& key, const std::string& text)
{
    // Listed once per block: the world names an id its reader could not read as well.
    for (size_t i = std::min(m_BlockFirstNote, m_MalformedValues.size()); i < m_MalformedValues.size(); ++i)
        if (m_MalformedValues[i].key == key && m_MalformedValues[i].text == text)
            return;
    MalformedValue value;
    value.key = key;
    value.text = text;
    m_MalformedValues.push_back(value);
}

void kaWorld::RestoreEntityStates(const TiXmlElement* element)
{
    const TiXmlElement* states = element ? element->FirstChildElement("EntitiesStates") : nullptr;
    if (!states)
        return;
    for (const TiXmlElement* state = states->FirstChildElement("Entity"); state;
         state = state->NextSiblingElement("Entity"))
    {
        const TiXmlElement* idElement = state->FirstChildElement("entityID");
        if (!idElement)
            continue;
        int32_t id = -1;
        try
        {
            id = GetElementInt(idElement);
        }
        catch (const std::exception&)
        {
            continue;
        }
        for (size_t i = 0; i < m_Entities.size(); ++i)
        {
            if (m_Entities[i]->GetEntityID() != id)
                continue;
            try
            {
                m_Entities[i]->ReadState(state);
            }
            catch (const std::exception&)
            {
                platform::OutputDebugString(
                    "kaWorld::RestoreEntityStates - bad value in the state of entity " + std::to_string(id) +
                    ", rest of it skipped.\n");
            }
        }
    }
}

void kaWorld::WriteXml(TiXmlElement* element, bool saveStates) const
{
    if (!element)
        return;
    _WriteKeptKeys(element);
    if (!m_VenueName.empty())
        AppendTextElement(element, "arena", m_VenueName);
    else
        m_KeptValues.Write(element, "arena");
    AppendTextElement(element, "name", GetName());
    AppendTextElement(element, "preview", m_Preview);
    AppendTextElement(element, "description", m_Description);
    _WriteStart(element);
    if (m_pTerrain)
        m_pTerrain->WriteXml(AppendElement(element, "Terrain"));
    if (m_pWaterPlane)
        m_pWaterPlane->WriteXml(AppendElement(element, "WaterPlane"));
    if (m_pSkyBox)
        m_pSkyBox->WriteXml(AppendElement(element, "Skybox"));
    if (m_pSun)
        m_pSun->WriteXml(AppendElement(element, "Sun"));
    WriteEntities(element);
    if (saveStates)
        SaveEntityStates(element);
    else
        m_KeptBlocks.WriteStates(element);
}

void kaWorld::WriteEntities(TiXmlElement* element) const
{
    TiXmlElement* entities = AppendElement(element, "Entities");
    std::vector<const kaEntity*> saved;
    std::vector<int32_t> ids;
    for (const kaEntity* entity : m_Entities)
    {
        if (!entity->IsSaved())
            continue;
        saved.push_back(entity);
        ids.push_back(entity->GetEntityID());
    }
    m_KeptBlocks.WriteList(entities, ids,
                           [&saved, entities](size_t i)
                           {
                               TiXmlElement* block = AppendElement(entities, "Entity");
                               saved[i]->WriteXml(block);
                               saved[i]->WriteUnwrittenKeys(block);
                           });
    m_KeptBlocks.WriteLaterLists(element);
}

void kaWorld::SaveEntityStates(TiXmlElement* element) const
{
    TiXmlElement* states = AppendElement(element, "EntitiesStates");
    for (const kaEntity* entity : m_Entities)
    {
        if (entity->IsSaved())
            entity->WriteState(AppendElement(states, "Entity"));
    }
}

bool kaWorld::LoadVenue(const std::string& venueName, bool initialize)
{
    if (!g_pInitDataBase || !g_pModelManager || !g_pInitDataBase->Find(kVenueDataType, venueName))
        return false;
    // The model file as the record's data applies: its own value, else the last include that has one.
    std::string modelFile;
    g_pInitDataBase->Apply(kVenueDataType, venueName,
                           [&modelFile](TiXmlElement* data)
                           {
                               if (const TiXmlElement* file =
                                       data ? data->FirstChildElement("kmfFilename") : nullptr)
                                   modelFile = GetElementText(file);
                           });
    const bool descriptor = modelFile.find(".xml") != std::string::npos;
    kaModel* model = descriptor ? g_pModelManager->LoadModelDescriptor(modelFile)
                                : g_pModelManager->CreateModel(modelFile);
    if (model)
        model->UpdateBounds();
    const kaBoundingBox* box = model ? model->GetBoundingBox() : nullptr;
    if (!box || !model->GetMesh() || model->GetMesh()->GetSubsetCount() == 0)
    {
        if (model)
            g_pModelManager->ReleaseModel(model);
        platform::OutputDebugString("kaWorld::LoadVenue - venue " + venueName + " has no model (" +
                                    modelFile + ").\n");
        return false;
    }
    const platform::Vector3 min = box->m_Min;
    const platform::Vector3 max = box->m_Max;
    g_pModelManager->ReleaseModel(model);
    const float width = max.x - min.x;
    const float length = max.z - min.z;
    if (m_pQuadTree)
        m_pQuadTree->Initialize(width, length, std::min(width, length) * 0.125f);

    kaEntityModel* arena = CreateArenaEntity();
    if (!arena)
        return false;
    // Made again from "arena" at every load: saved in the entity list it would come back twice.
    arena->SetSaved(false);
    // While locked the world queues it and numbers it at the next update.
    if (!AddEntity(arena, true, true) && !m_Locked)
    {
        delete arena;
        return false;
    }
    m_pVenueEntity = arena;
    g_pInitDataBase->Apply(kVenueDataType, venueName, [arena](TiXmlElement* data) { arena->ReadXml(data); });
    arena->SetPosition(platform::Vector3(-(min.x + max.x) * 0.5f, 0.0f, -(min.z + max.z) * 0.5f));
    if (initialize)
        arena->Initialize();
    m_VenueName = venueName;
    m_KeptValues.Forget("arena");
    return true;
}

kaTerrainBase* kaWorld::CreateTerrainObject()
{
    return s_TerrainCreator ? s_TerrainCreator() : nullptr;
}

kaEntityModel* kaWorld::CreateArenaEntity()
{
    return new kaEntityModel();
}
