#pragma once

#include "engine/render/kaWorldBase.h"
#include "engine/scene/kaBlockKeys.h"
#include "engine/scene/kaKeptBlocks.h"
#include "engine/scene/kaPropertyList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;
class TiXmlText;
class ka3DAlphaSorter;
class kaCamera;
class kaCollideInfo;
class kaColor;
class kaEntity;
class kaEntityModel;
class kaLight;
class kaQuadTree;
class kaSkyBoxBase;
class kaSunBase;
class kaTerrainBase;
class kaWaterPlaneBase;

// The scene of one course. It owns its entities outright, gives each a unique identifier, keeps them in
// the entity list, the update list and the quad tree, and drives their passes; it owns the environment
// objects (terrain, water plane, sky box, sun), its own camera, the alpha sorter and the path grid.
// Entities add and remove entities while the world walks its lists, so every list change asked for
// while it is locked is queued and applied at the start of the next update.
class kaWorld : public kaWorldBase
{
public:
    static constexpr const char* kPathManagerName = "AStarPathManager";

    // Editor rows of the world, matched exactly.
    static constexpr const char* kNameLabel = "Name:";
    static constexpr const char* kDescriptionLabel = "Description:";
    static constexpr const char* kPreviewLabel = "Preview:";
    static constexpr const char* kStartXLabel = "StartPoint X:";
    static constexpr const char* kStartZLabel = "StartPoint Z:";

    // Debug display modes: 1 draws the model entities' axes.
    static constexpr int32_t kDebugAxes = 1;

    // Makes the path grid a new world owns. The terrain library installs it during static construction;
    // without one a world has no path grid.
    using PathManagerCreator = kaEntity* (*)();
    static void SetPathManagerCreator(PathManagerCreator creator);
    // Rebuilds a path grid with no type bytes; installed with the grid that has one.
    using PathGridReset = void (*)(kaEntity& manager);
    static void SetPathGridReset(PathGridReset reset);
    // Makers of the environment objects a world file names. The terrain library installs them during
    // static construction; without one, that element of a world file is skipped.
    using TerrainCreator = kaTerrainBase* (*)();
    using WaterPlaneCreator = kaWaterPlaneBase* (*)();
    using SkyBoxCreator = kaSkyBoxBase* (*)();
    using SunCreator = kaSunBase* (*)();
    static void SetTerrainCreator(TerrainCreator creator);
    static void SetWaterPlaneCreator(WaterPlaneCreator creator);
    static void SetSkyBoxCreator(SkyBoxCreator creator);
    static void SetSunCreator(SunCreator creator);

    static constexpr const char* kRootElement = "World";
    static constexpr const char* kVenueDataType = "Venue";
    // Water plane extent without a terrain.
    static constexpr float kDefaultWaterSize = 1024.0f;

    // Pick flags.
    static constexpr uint32_t kPickTerrain = 1;
    static constexpr uint32_t kPickSpheres = 2;
    static constexpr uint32_t kPickBoxes = 4;
    static constexpr uint32_t kPickMeshes = 8;
    static constexpr uint32_t kPickInvisible = 16;
    static constexpr uint32_t kPickVenueOnly = 32;
    // The pick-ray display's segment length and its flags (terrain and meshes).
    static constexpr float kPickRayLength = 1000.0f;
    static constexpr uint32_t kPickRayFlags = kPickTerrain | kPickMeshes;

    // Where the mouse is, in client pixels; false when unknown. The interface installs it.
    using CursorSource = bool (*)(int32_t& x, int32_t& y);
    static void SetCursorSource(CursorSource source);
    // The cursor as the pick-ray display reads it; false without a source or a position.
    static bool ReadCursor(int32_t& x, int32_t& y);

    kaWorld();
    ~kaWorld() override;

    // The camera's transforms, the environment in its fixed order, the venue, the entities the quad tree
    // finds in view, the transparent draws and the sun's flare.
    void Render(uint32_t flag) override;
    // False, outputs untouched, without a camera; otherwise the camera's position and the unit direction
    // through the screen point (pixels).
    bool GetPickRay(float x, float y, platform::Vector3& origin, platform::Vector3& direction) const;
    // The first thing the segment hits, chosen by the pick flags; false for a null result or no hit.
    bool Pick(const platform::Vector3& start, const platform::Vector3& end, kaCollideInfo* result,
              uint32_t flags);
    // The quad tree's rectangle query; false without a quad tree.
    bool FindEntitiesInRect(const kaEntity* excluded, float x1, float z1, float x2, float z2,
                            std::vector<kaEntity*>* out, uint32_t flags) const;

    // Applies the queued list changes, then runs the lights, the update list, the selected entity and the
    // environment objects. Nothing while the application is paused.
    void Update(float dt) override;
    void ReleaseDeviceObjects() override;
    void CreateDeviceObjects() override;

    virtual void HandleInput();
    // False for a null entity, while locked (the entity is queued and gets a new identifier at the next
    // update) and when its identifier is refused (the caller keeps the entity).
    virtual bool AddEntity(kaEntity* entity, bool visible, bool newIdentifier);
    // Takes the entity off the lists without destroying it; its identifier stays in use. While locked it
    // is queued. False when it was not in the world.
    virtual bool RemoveEntity(kaEntity* entity);
    // Releases every entity of that name (queued as deletes while locked); their identifiers stay in use.
    virtual int32_t RemoveEntitiesByName(const std::string& name);
    // Initialize on every entity present when the pass starts, in list order.
    virtual void InitializeEntities();
    // Shows or hides the model entities' axes by the debug display mode.
    virtual void CycleDebugDisplay();
    // Destroys every entity and environment object and forgets every identifier and queued change, so
    // that another world can be loaded into this one.
    virtual void Clear();
    virtual void BuildPropertyList();
    virtual void ResetEntityStates();
    virtual void ResolveEntityLinks();
    // Re-files an entity that has moved in the quad tree.
    virtual void OnEntityMoved(kaEntity* entity);
    virtual const kaPropertyList& GetPropertyList();
    // Takes the values of the five world rows; true when one changed. A coordinate that is not a number
    // throws ka::bad_lexical_cast.
    virtual bool SetPropertyList(const kaPropertyList& list);

    // Reads a world file into the document without touching any world. False when the file is missing,
    // is not well-formed XML, nests past the depth guard, has a root other than "World" or goes on past where
    // the XML reader stops without an error (text outside the elements, a NUL byte), so that a save of what
    // was read would lose the rest; `why` then says so in words a designer reads, with the row and column
    // where the XML reader stopped.
    static bool ReadFile(const std::string& fileName, TiXmlDocument& document, std::string& why);
    // World files. Loading reads the root "World" of the file into this world without clearing it first;
    // a file ReadFile refuses reads nothing and answers false, but for one that goes on past where the XML
    // reader stops: what was read is loaded, and a run says on stderr where the reading stopped.
    bool LoadFile(const std::string& fileName, bool restoreStates);
    // Writes through a temporary file renamed over the old one, the elements the last load kept beside the
    // root before and after it; false, the old file kept, when the file could not be written.
    bool SaveFile(const std::string& fileName, bool saveStates);
    // A null element reads nothing. A malformed world value keeps what the world had. An entity whose
    // block holds a malformed value, or a placement beyond kaEntity::kPlacementBound, is kept by an edited
    // world's load, the key's default in use (a placement brought within the bound) and its text written back
    // as read; a run's load drops it, with a line on stderr naming it and the key. Either way the value is
    // noted. An edited world keeps an entity without a usable id (none, empty, negative, not a number, or one
    // an entity the world made itself holds) under one no block of the file holds, which the save writes; a
    // run leaves it out. An id another block holds leaves the entity out. Top-level keys the world does not
    // read (a game's course rules) are kept as they were and written back first, each unless the writer of a
    // derived world has already written a key of its name. Elements no reader takes (a child of "Entities"
    // that is not an "Entity", an entity list after the first, an element beside the root) are kept as read
    // and written back where they stood; each is noted, and a run names it on stderr.
    virtual void ReadXml(const TiXmlElement* element, bool restoreStates);
    virtual void WriteXml(TiXmlElement* element, bool saveStates) const;
    virtual void ReadEntities(const TiXmlElement* element);
    virtual void RestoreEntityStates(const TiXmlElement* element);
    virtual void SaveEntityStates(TiXmlElement* element) const;
    void WriteEntities(TiXmlElement* element) const;
    // Makes the arena entity from the "Venue" init-data record of that name, centred on the origin, and
    // fits the quad tree to it. False, with nothing changed, when the record or its model is missing.
    bool LoadVenue(const std::string& venueName, bool initialize);
    virtual kaTerrainBase* CreateTerrainObject();
    virtual kaEntityModel* CreateArenaEntity();

    // What a load does with a value it cannot take. A run's world leaves the entity out and applies every
    // key; an edited world keeps every entity it can stand for, with the key's default in use, and writes the
    // value back as it was read. Entity readers ask their world.
    enum class LoadPolicy
    {
        kRun,
        kEdit,
    };
    void SetLoadPolicy(LoadPolicy policy)
    {
        m_LoadPolicy = policy;
        m_LoadPolicySet = true;
    }
    // The policy set, else kEdit while the application runs its editor.
    LoadPolicy GetLoadPolicy() const;
    bool IsEdited() const { return GetLoadPolicy() == LoadPolicy::kEdit; }

    // A malformed value met in an entity's block by the last load.
    struct MalformedValue
    {
        // The entity's type, name and identifier, as a designer finds it.
        std::string entity;
        // The key, "" when the entity's reader did not say.
        std::string key;
        // The text as the file holds it.
        std::string text;
        // The entity was left out of the world: every block the load does not keep has one such entry.
        bool dropped = false;
        // The id an entity is kept and saved under in place of the one its block gives; -1 when none.
        int32_t newId = -1;
        // The entity whose block holds the id this one repeats, as a designer finds it; "" when none.
        std::string holder;
        // What is wrong with a value that reads, said as a designer reads it ("no venue of that name");
        // "" for a value that does not read.
        std::string reason;
    };
    // Called by an entity's reader while the world reads the entity's block, which names the entity. A key
    // and text noted already for the block are not noted again.
    void NoteMalformedValue(const std::string& key, const std::string& text);
    // What the last load met, in the file's order; ReadXml starts the list afresh.
    const std::vector<MalformedValue>& GetMalformedValues() const { return m_MalformedValues; }
    // The elements the last load kept without reading, in the file's order, each as a designer finds it: its
    // name, the type, name and id it gives, its row and where it stood.
    const std::vector<std::string>& GetUnreadBlocks() const { return m_UnreadBlocks; }

    // Editor operations on the environment; each does nothing when its object is absent.
    // Replaces the terrain by one built from the height map, and fits the quad tree to it.
    virtual void NewTerrain(const std::string& heightMap, float width, float height, float length,
                            bool vertexLighting);
    void AddTerrainLayer(const std::string& texturePath, const std::string& maskPath, float stretch);
    void RemoveTerrainLayer(int32_t index);
    void RebuildTerrain();
    void AddSunFlareLayer(const std::string& texture, float length, float scale);
    void RemoveSunFlareLayer(int32_t index);
    void CreateSun(const std::string& texture, float position, float axisTilt, float scale,
                   const kaColor& directional, const kaColor& ambient);
    void CreateSkyBox(const std::string& left, const std::string& right, const std::string& forward,
                      const std::string& back, const std::string& top);
    void CreateCloudPlane(const std::string& texture, float height, float speed);
    virtual void ResetPathGrid();

    // Destroys the entity now, dropping its identifier, or, while locked or when deferred, at the next
    // update, keeping its identifier in use.
    void DeleteEntity(kaEntity* entity, bool defer);
    // Refuses a negative identifier or one in use, with a debugger line; otherwise keeps it in order.
    bool _StoreUniqueEntityIdentifier(int32_t id);
    // Gives the entity the identifier after the run of consecutive ones that starts at the smallest.
    bool NewEntityIdentifier(kaEntity* entity);
    kaEntity* FindEntityById(int32_t id) const;
    kaEntity* FindEntityByName(const std::string& name) const;
    int32_t GetEntityCount() const { return static_cast<int32_t>(m_Entities.size()); }
    const std::vector<kaEntity*>& GetEntities() const { return m_Entities; }
    const std::vector<int32_t>& GetIdentifiers() const { return m_Identifiers; }
    const std::vector<kaEntity*>& GetUpdateList() const { return m_UpdateList; }

    void AddToUpdateList(kaEntity* entity);
    void RemoveFromUpdateList(kaEntity* entity);
    void AddLight(kaLight* light);
    void RemoveLight(kaLight* light);
    const std::vector<kaLight*>& GetLights() const { return m_Lights; }
    void AddToAlphaSorter(ka3DObject* item);
    void RemoveFromAlphaSorter(ka3DObject* item);

    // Replaces and destroys the current water plane, taking the new one.
    void SetWaterPlane(kaWaterPlaneBase* plane);
    void SetTerrain(kaTerrainBase* terrain);
    void SetSkyBox(kaSkyBoxBase* skyBox);
    void SetSun(kaSunBase* sun);
    kaWaterPlaneBase* GetWaterPlane() const { return m_pWaterPlane; }
    kaTerrainBase* GetTerrain() const { return m_pTerrain; }
    kaSkyBoxBase* GetSkyBox() const { return m_pSkyBox; }
    kaSunBase* GetSun() const { return m_pSun; }
    kaEntity* GetPathManager() const { return m_pPathManager; }
    ka3DAlphaSorter* GetAlphaSorter() const { return m_pAlphaSorter; }
    kaQuadTree* GetQuadTree() const { return m_pQuadTree; }
    kaCamera* GetOwnCamera() const { return m_pOwnCamera; }
    // Ground height at a point: the terrain's, 0 without one.
    float GetGroundHeight(float x, float z) const;

    kaEntity* GetSelectedEntity() const { return m_pSelectedEntity; }
    void SetSelectedEntity(kaEntity* entity) { m_pSelectedEntity = entity; }
    kaEntity* GetVenueEntity() const { return m_pVenueEntity; }
    void SetVenueEntity(kaEntity* entity) { m_pVenueEntity = entity; }
    bool IsLocked() const { return m_Locked; }
    int32_t GetDebugDisplayMode() const { return m_DebugDisplayMode; }
    void SetDebugDisplayMode(int32_t mode) { m_DebugDisplayMode = mode; }
    bool GetShowPickRay() const { return m_ShowPickRay; }
    void SetShowPickRay(bool show) { m_ShowPickRay = show; }

    const std::string& GetDescription() const { return m_Description; }
    void SetDescription(const std::string& text) { m_Description = text; }
    const std::string& GetPreview() const { return m_Preview; }
    void SetPreview(const std::string& text) { m_Preview = text; }
    float GetStartX() const { return m_StartX; }
    float GetStartZ() const { return m_StartZ; }
    void SetStartPoint(float x, float z);
    const platform::Quaternion& GetStartRotation() const { return m_StartRotation; }
    void SetStartRotation(const platform::Quaternion& rotation);
    const std::string& GetVenueName() const { return m_VenueName; }
    void SetVenueName(const std::string& name) { m_VenueName = name; }

protected:
    // A value of the course itself (its venue, start point or rotation, a course rule) that the load could
    // not use: the key's element is kept as read and written back in its place until the designer sets the
    // value, and it is noted with no entity, with a line on the debugger output, also on stderr in a run.
    void KeepCourseValue(const TiXmlElement& key, const std::string& reason = "");
    // Appends the copy kept under the key's name; false when there is none.
    bool WriteKeptCourseValue(TiXmlElement* parent, const std::string& key) const;
    // The designer set the value: the text kept as read gives way.
    void ForgetCourseValue(const std::string& key) { m_KeptValues.Forget(key); }
    // Runs the environment objects' updates in their fixed order.
    void _UpdateEnvironment(float dt);
    // The queued changes, in their fixed order.
    void _ApplyPending();
    // Destroys an entity and forgets it in every queue, so that nothing reaches it afterwards.
    void _Destroy(kaEntity* entity);
    // While Clear destroys the entity list, deletes and removes of those entities do nothing.
    bool _IsBeingCleared(const kaEntity* entity) const;
    void _DropIdentifier(int32_t id);
    // Filing in the quad tree, when the world has one.
    void _FileInTree(kaEntity* entity);
    void _RemoveFromTree(kaEntity* entity);
    void _ReadEnvironment(const TiXmlElement* element);
    // The keys of a derived world's own, read first of all; the base reads none.
    virtual void _ReadCourseRules(const TiXmlElement* element);
    // The start point and rotation; a value they cannot use is kept as read.
    void _ReadStart(const TiXmlElement* element);
    void _WriteStart(TiXmlElement* element) const;
    // Notes a value of the course itself, with its line.
    void _NoteCourseValue(const std::string& key, const std::string& text, const std::string& reason);
    // Picks along the mouse ray and draws the ray and the hit's normal.
    void _ShowPickRay();
    // Reads one entity block; null when the type is unknown or the block holds a malformed value.
    // The entity of a block of "Entities", the place-th in the file; null, noted as left out, when it
    // cannot be read.
    kaEntity* _ReadEntity(const TiXmlElement* element, int32_t place);
    // The block's type, name and id (its place in the file when it has none), as a designer finds it.
    static std::string _DescribeBlock(const TiXmlElement* element, int32_t place);
    // The block's type and its name, else its place in the file, as a repeat of its id names it.
    static std::string _NameBlock(const TiXmlElement* element, int32_t place);
    // Notes a block the load leaves out, with its debugger line, also on stderr in a run.
    void _NoteLeftOut(const TiXmlElement* element, int32_t place, const std::string& key,
                      const std::string& text, const std::string& reason, const std::string& holder = "");
    // Notes text typed between elements, kept by the caller, as _KeepUnread notes an element.
    void _KeepUnreadText(const TiXmlText& text, const std::string& where);
    // A line on the debugger output about what the load met, also on stderr in a run.
    void _Say(const std::string& line) const;
    // Keeps an element no reader takes and notes it, with its debugger line, also on stderr in a run.
    void _KeepUnread(const TiXmlElement& element, const std::string& where);
    // The elements before (or after) the root of the element's document; none when it is not a root.
    void _KeepBesideRoot(const TiXmlElement* element, bool before);
    // Text typed among the root's keys: kept, and named as blocks not read.
    void _KeepRootText(const TiXmlElement* element);
    // Keys of the root given again after the one its reader takes: kept, and named as blocks not read.
    void _KeepRepeats(const TiXmlElement* element);
    // The file read as ReadFile reads it, but a text that goes on past where the XML reader stops is taken,
    // with `unread` saying where.
    static bool _ReadDocument(const std::string& fileName, TiXmlDocument& document, std::string& why,
                              std::string& unread);
    // An edited world's entity whose block gives no usable id: the smallest identifier from `from` on neither
    // in use nor given by a block of the file (`claimed`, sorted), so that the entity is kept and the save
    // writes an id a run takes.
    int32_t _UnclaimedIdentifier(const std::vector<int32_t>& claimed, int32_t from) const;
    void _KeepUnreadKeys(const TiXmlElement* element);
    void _WriteKeptKeys(TiXmlElement* element) const;

    std::string m_Description;
    std::string m_Preview;
    std::vector<kaEntity*> m_Entities;
    float m_StartX = 0.0f;
    float m_StartZ = 0.0f;
    platform::Quaternion m_StartRotation;
    std::vector<kaEntity*> m_PendingDeletes;
    std::vector<kaEntity*> m_PendingRemoves;
    std::vector<kaEntity*> m_PendingAdds;
    std::vector<kaEntity*> m_UpdateList;
    std::vector<kaEntity*> m_PendingUpdateRemoves;
    std::vector<kaEntity*> m_PendingUpdateAdds;
    kaCamera* m_pOwnCamera = nullptr;
    int32_t m_DebugDisplayMode = 0;
    bool m_ShowPickRay = false;
    bool m_Locked = false;
    kaEntity* m_pSelectedEntity = nullptr;
    std::vector<kaLight*> m_Lights;
    // Every identifier in use, ascending.
    std::vector<int32_t> m_Identifiers;
    kaSkyBoxBase* m_pSkyBox = nullptr;
    kaTerrainBase* m_pTerrain = nullptr;
    kaWaterPlaneBase* m_pWaterPlane = nullptr;
    kaSunBase* m_pSun = nullptr;
    ka3DAlphaSorter* m_pAlphaSorter = nullptr;
    kaQuadTree* m_pQuadTree = nullptr;
    kaEntity* m_pPathManager = nullptr;
    kaPropertyList m_PropertyList;
    kaEntity* m_pVenueEntity = nullptr;
    std::string m_VenueName;
    // The entities Clear is destroying, while it runs.
    std::vector<kaEntity*> m_Clearing;
    std::vector<MalformedValue> m_MalformedValues;
    // The first entry of the block being read.
    size_t m_BlockFirstNote = 0;
    // Copies of the last file's top-level keys that this world does not read, in the file's order.
    kaBlockKeys m_KeptKeys;
    // Values of the course itself kept as read where the load could not use them: root keys by name, the
    // start point's components by theirs.
    kaBlockKeys m_KeptValues;
    kaBlockKeys m_KeptStart;
    // Copies of the last file's elements no reader takes, and their notes.
    kaKeptBlocks m_KeptBlocks;
    std::vector<std::string> m_UnreadBlocks;
    LoadPolicy m_LoadPolicy = LoadPolicy::kRun;
    bool m_LoadPolicySet = false;

private:
    // What the other libraries installed; the world's files each read some of them.
    static PathManagerCreator s_PathManagerCreator;
    static TerrainCreator s_TerrainCreator;
    static WaterPlaneCreator s_WaterPlaneCreator;
    static SkyBoxCreator s_SkyBoxCreator;
    static SunCreator s_SunCreator;
    static CursorSource s_CursorSource;
    static PathGridReset s_PathGridReset;
};
