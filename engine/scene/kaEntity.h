#pragma once

#include "engine/core/IRefCountable.h"
#include "engine/core/kaClassInfo.h"
#include "engine/scene/kaBlockKeys.h"
#include "engine/scene/kaPropertyList.h"

#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TiXmlElement;
class TiXmlNode;
class kaBoundingBox;
class kaCollideInfo;
class kaMesh;
class kaWorld;

namespace platform
{
struct Matrix;
}

// Inside the body of an entity class: its static class record and the three operations that answer it.
// The source defines them with KA_ENTITY_CLASS_RECORD_DEFINITION.
#define KA_ENTITY_CLASS_RECORD()                                                                             \
public:                                                                                                      \
    static const kaClassInfo& StaticClassInfo();                                                             \
    const std::string& GetClassName() const override;                                                        \
    uint32_t GetClassId() const override;                                                                    \
    const kaClassInfo& GetClassInfo() const override;

// Records carry id 0 and no parent: the name keys the entity factory, and is-a tests use dynamic_cast.
#define KA_ENTITY_CLASS_RECORD_DEFINITION(Class, name)                                                       \
    const kaClassInfo& Class::StaticClassInfo()                                                              \
    {                                                                                                        \
        static const kaClassInfo record(name, 0, nullptr);                                                   \
        return record;                                                                                       \
    }                                                                                                        \
    const std::string& Class::GetClassName() const                                                           \
    {                                                                                                        \
        return StaticClassInfo().GetName();                                                                  \
    }                                                                                                        \
    uint32_t Class::GetClassId() const                                                                       \
    {                                                                                                        \
        return StaticClassInfo().GetId();                                                                    \
    }                                                                                                        \
    const kaClassInfo& Class::GetClassInfo() const                                                           \
    {                                                                                                        \
        return StaticClassInfo();                                                                            \
    }

// The root of everything that lives in a world. It holds what every entity has (identifiers, name, the
// flags the world, the picker and the editor read, the editor rows), reads and writes its own block of
// entity XML and applies init-data records to itself. The world owns its entities outright and
// destroys them through the virtual destructor; the reference count stays 0.
class kaEntity : public IRefCountable
{
public:
    static constexpr const char* kInitDataType = "Entity";

    // Editor row labels of the base class, matched exactly.
    static constexpr const char* kNameLabel = "Name:";
    static constexpr const char* kCollidableLabel = "Collidable:";
    static constexpr const char* kVisibleLabel = "Visible:";
    static constexpr const char* kSelectableLabel = "Selectable:";

    // Pick flags: stop at the bounding-sphere test; test the bounding box instead of the meshes.
    static constexpr uint8_t kPickSphereOnly = 2;
    static constexpr uint8_t kPickBoxOnly = 4;

    // No venue reaches this far from the origin along any axis; ODE cannot file a body or geom placed some
    // 1e9 away and ends the program.
    static constexpr float kPlacementBound = 1.0e6f;
    // Every value finite and no farther from the origin than the bound.
    static bool IsWithinPlacementBound(const platform::Vector3& position);
    // Each value brought within the bound; one that is not finite counts 0.
    static platform::Vector3 BoundedPlacement(const platform::Vector3& position);

    // The key's text as a note names it: its own, else its values' in the file's order, blank-separated.
    static std::string KeyText(const TiXmlElement* key);

    kaEntity();
    ~kaEntity() override;
    kaEntity(const kaEntity&) = delete;
    kaEntity& operator=(const kaEntity&) = delete;

    static const kaClassInfo& StaticClassInfo();
    virtual const std::string& GetClassName() const;
    virtual uint32_t GetClassId() const;
    virtual const kaClassInfo& GetClassInfo() const;

    // The base block: "initUniqueID", "name", "entityID", "visible" and "selectable". An absent key
    // leaves its field as it was, except "selectable", which then becomes true. A malformed number or
    // boolean goes as the readers below say; an id that does not read leaves -1 for the world to replace.
    virtual void ReadXml(const TiXmlElement* element);
    // Appends the base block in its fixed order; "initUniqueID" only when set, "type" the class name, a
    // flag kept as read in place of its value.
    virtual void WriteXml(TiXmlElement* element) const;
    // Keys of the entity's block that its writer does not give back, found by writing the entity as it was
    // read (a key no reader of its class takes, a key given twice), and text typed between them: kept as
    // read, and appended after the entity's own keys while its writer gives fewer of the name (text always),
    // so that a save loses none of them. Answers what was kept, in the block's order.
    std::vector<const TiXmlNode*> KeepUnwrittenKeys(const TiXmlElement& block);
    void WriteUnwrittenKeys(TiXmlElement* element) const;
    virtual void ResetState();
    virtual void ReadState(const TiXmlElement* element);
    // Appends "entityID".
    virtual void WriteState(TiXmlElement* element) const;
    virtual void ResolveLinks();
    // Called once, after the world has loaded.
    virtual void Initialize();
    virtual void Render();
    virtual void Update(float dt);
    // The next mesh of the entity's model; more becomes false with the last. The base has none.
    virtual kaMesh* GetNextMesh(bool& more);
    virtual kaBoundingBox* GetBoundingBox();
    // False when the entity has no world matrix.
    virtual bool GetWorldMatrix(platform::Matrix& matrix) const;
    virtual void SetVisible(bool visible);
    // Rebuilds the rows, then returns them.
    virtual const kaPropertyList& GetPropertyList();
    // Keeps a copy of the edited rows and takes the values of the rows it knows; true when a field
    // changed, whose value the block kept as read then gives way, as it does to a row the designer set
    // whatever its value. A boolean row that is not "1" or "0" throws ka::bad_lexical_cast.
    virtual bool SetPropertyList(const kaPropertyList& list);
    virtual void CreateDeviceObjects();
    virtual void ReleaseDeviceObjects();
    // Called each frame on the world's selected entity.
    virtual void UpdateControl(float dt);
    // pick is the editor's pick record, or null; the base keeps only the flag.
    virtual void SetSelected(bool selected, const kaCollideInfo* pick);
    virtual bool IsSelected() const;
    // Empties the rows and appends "Name:", "Collidable:", "Visible:" and "Selectable:".
    virtual void BuildPropertyList();

    // Applies the "Entity" init-data record of that id, its includes first, depth first; afterwards
    // initUniqueID is the given id whatever the records held. Nothing more without such a record.
    void ApplyInitData(const std::string& uniqueId);
    // The "classType" of an "Entity" record as its data would apply: the record's own, else the last
    // of its includes, depth first, that has one. Empty when the record or every classType is missing.
    static std::string GetClassType(const std::string& uniqueId);
    // A new entity of the record's class with the record applied; null when the record is missing or
    // its class has no creator. Without a world the caller owns it; with one, the world takes it (a new
    // identifier, visible) and the entity is initialised at once.
    static kaEntity* CreateFromInitData(const std::string& uniqueId, kaWorld* world = nullptr);

    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    const std::string& GetInitUniqueID() const { return m_InitUniqueID; }
    int32_t GetEntityID() const { return m_EntityID; }
    void SetEntityID(int32_t id) { m_EntityID = id; }
    kaWorld* GetWorld() const { return m_pWorld; }
    void SetWorld(kaWorld* world) { m_pWorld = world; }

    bool IsCollidable() const { return m_Collidable; }
    void SetCollidable(bool collidable) { m_Collidable = collidable; }
    bool IsSaved() const { return m_Saved; }
    void SetSaved(bool saved) { m_Saved = saved; }
    bool IsVisible() const { return m_Visible; }
    bool IsSelectable() const { return m_Selectable; }
    void SetSelectable(bool selectable) { m_Selectable = selectable; }
    uint8_t GetPickFlags() const { return m_PickFlags; }
    void SetPickFlags(uint8_t flags) { m_PickFlags = flags; }

    // Filing in the world's quad tree.
    bool IsLateDraw() const { return m_LateDraw; }
    void SetLateDraw(bool lateDraw) { m_LateDraw = lateDraw; }
    int32_t GetQuadTreeNode() const { return m_QuadTreeNode; }
    void SetQuadTreeNode(int32_t node) { m_QuadTreeNode = node; }
    bool IsDrawn() const { return m_Drawn; }
    void SetDrawn(bool drawn) { m_Drawn = drawn; }

    // Whether the world calls Update each frame. A change puts the entity on its world's update list or
    // takes it off.
    bool GetWorldUpdate() const { return m_WorldUpdate; }
    void SetWorldUpdate(bool update);

protected:
    // True while ReadXml reads an init-data record rather than the entity's own block: what a record
    // gives comes back from the record at each load and is not the file's to keep.
    bool IsReadingInitData() const { return m_ReadingInitData; }

    // The entity's world is loaded for editing (kaWorld::LoadPolicy): a malformed value keeps its entity.
    bool IsInEditedWorld() const;

    // What a reader keeps of a key whose value it could not take.
    enum class KeepText
    {
        // The caller keeps the key itself (a list's element, a key kept whole as the block gave it).
        kNo,
        // The key's element, written back in place of the value until the value is set.
        kYes,
    };
    // Reads one key through `read`, which throws ka::bad_lexical_cast for a value it cannot take; true
    // when it read, false for an absent child. A malformed value of the entity's own block is noted with the
    // world under `key`, with the child's text; in an edited world the entity goes on without it (false), the
    // key's element kept as read when asked. Elsewhere, and in a record, the exception goes on to the loader.
    bool ReadKeyOf(const TiXmlElement* child, const std::string& key, const std::function<void()>& read,
                   KeepText keep = KeepText::kNo);
    // One number or boolean key of a block: an absent key leaves the field, an empty one reads 0 or false;
    // a malformed one leaves the field and is kept as read. Float, int32_t and bool.
    template <typename Value> bool ReadKey(const TiXmlElement* block, const char* key, Value& field);
    // A placement key of a block ("position"): its "x" and "z", and "y" with readY, over the value. A
    // component that does not read keeps its value, and a point beyond kPlacementBound (or not finite) is
    // brought within it; either is a malformed value, noted and kept as read, and the answer is false.
    bool ReadPlacementKey(const TiXmlElement* block, const char* key, platform::Vector3& value, bool readY);

    // Keys of the entity's own block kept as the file gave them, for every class of the entity: values it
    // could not take, and the keys of classes that write their blocks back as read.
    kaBlockKeys m_BlockKeys;
    // What KeepUnwrittenKeys kept, each with its place among the block's keys of its name.
    std::vector<std::pair<size_t, std::unique_ptr<TiXmlNode>>> m_UnwrittenKeys;
    // Drawn after the quad tree's frustum walk instead of during it.
    bool m_LateDraw = false;
    bool m_Selected = false;
    std::string m_InitUniqueID;
    bool m_ReadingInitData = false;
    std::string m_Name;
    kaWorld* m_pWorld = nullptr;
    bool m_Collidable = true;
    // Written into the world file's entity list.
    bool m_Saved = true;
    bool m_Visible = true;
    bool m_Selectable = true;
    kaPropertyList m_PropertyList;
    uint8_t m_PickFlags = 1;
    // Unique within a world; -1 until the world stores or assigns one.
    int32_t m_EntityID = -1;
    // The quad-tree node that holds the entity, -1 when none.
    int32_t m_QuadTreeNode = -1;
    // Passed the frustum test in the current frame.
    bool m_Drawn = false;
    bool m_WorldUpdate = true;
};
