#pragma once

#include "engine/scene/kaEntity.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <string>
#include <vector>

class kaEntityAttacher;
class kaEntityBillBoard;
class kaLight;
class kaModel;
class kaParticleEmitterMgr;
struct kaBone;

// An entity shown by one model instance: a prop, a venue, a vehicle body. It loads the model from a KMF
// file or an XML model descriptor, places it (optionally on the ground), keeps the model's lights in the
// world's light list, dresses the model's subsets from init data, draws it, and answers the world's
// questions about bounds, matrix, meshes and bones. The model manager owns the instance; the entity hands
// it back when done.
class kaEntityModel : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    // Shown in place of a model file that cannot be loaded; it keeps the requested name.
    static constexpr const char* kDefaultModelFile = "resources/models/cylinder/cylinder.kmf";
    static constexpr float kAxisLength = 5.0f;
    static constexpr uint32_t kAxisXColor = 0xFFFF0000;
    static constexpr uint32_t kAxisYColor = 0xFF00FF00;
    static constexpr uint32_t kAxisZColor = 0xFF0000FF;
    // A "billboard" without sizes or anchor fractions.
    static constexpr float kDefaultBillboardScale = 1.0f;
    static constexpr float kDefaultBillboardAnchor = 0.5f;
    // A placement within this share of its size of the one read stands where its block put it: far finer
    // than any move in the editor, far coarser than a float's step through the physics' turn and back.
    static constexpr float kPlacementTolerance = 1.0e-4f;

    kaEntityModel();
    ~kaEntityModel() override;

    // After the base block: "kmfFilename" (only while there is no model), "snapToTerrain", "noSortAlpha",
    // "rotation", "position" and, with a model, every "texture", "emitter" and "billboard". A position
    // beyond kPlacementBound is a malformed value.
    void ReadXml(const TiXmlElement* element) override;
    // A position or rotation kept as read is written so until the entity is moved or turned off it; the
    // block's "noSortAlpha" is written back as it was given.
    void WriteXml(TiXmlElement* element) const override;
    // Puts the emitters into the world, makes the model's lights and registers them with the world.
    void Initialize() override;
    void Render() override;
    // The billboards on the bones get their render states back after a device reset.
    void CreateDeviceObjects() override;
    kaMesh* GetNextMesh(bool& more) override;
    kaBoundingBox* GetBoundingBox() override;
    bool GetWorldMatrix(platform::Matrix& matrix) const override;

    kaModel* GetModel() const { return m_pModel; }
    // Hands the current model back; a new one gives its source name to the model file.
    virtual void SetModel(kaModel* model);
    // Placement: the model, the quad-tree filing and the lights follow. Without a model only the placement
    // is kept, to be written.
    virtual void SetPositionRotation(const platform::Vector3& position, const platform::Quaternion& rotation);
    virtual void SetPosition(const platform::Vector3& position);
    virtual void SetRotation(const platform::Quaternion& rotation);
    // A move of the running world (a spin, the physics): everything follows as with SetPositionRotation,
    // but the placement a save writes stays where the file or the editor put the entity.
    void AnimatePositionRotation(const platform::Vector3& position, const platform::Quaternion& rotation);
    // The last placement given, as a save writes it; the model's own placement while none was given.
    platform::Vector3 GetPlacedPosition() const;
    platform::Quaternion GetPlacedRotation() const;
    virtual bool HasBone(const std::string& name) const;
    virtual int32_t GetBoneIndex(const std::string& name) const;
    virtual const kaBone* FindBone(const std::string& name) const;

    // Zeros without a model.
    platform::Vector3 GetPosition() const;
    platform::Quaternion GetRotation() const;
    // An identity matrix without a model.
    const platform::Matrix& GetWorldMatrixPtr() const;
    // The bone in world space; zeros for a negative index, a missing bone or no model.
    platform::Vector3 GetBoneWorldPosition(int32_t index) const;
    platform::Quaternion GetBoneWorldRotation(int32_t index) const;
    platform::Vector3 GetBonePositionByName(const std::string& name) const;
    // Places the model by a whole matrix (rotation and translation), as the physics and attachers do. An
    // attacher passes the entity that moved it, so that the move is not handed back to that one.
    void SetTransformFromMatrix(const platform::Matrix& matrix, kaEntityModel* mover = nullptr);
    void AddAttachment(kaEntityAttacher* attacher);
    void RemoveAttachment(kaEntityAttacher* attacher);
    const std::vector<kaEntityAttacher*>& GetAttachments() const { return m_Attachments; }
    // Null until the XML names billboards or emitters.
    kaEntityBillBoard* GetBillboardEntity() const { return m_pBillboard; }
    kaParticleEmitterMgr* GetEmitterManager() const { return m_pEmitterManager; }
    // Made on first use, carried by this entity.
    kaEntityBillBoard* MakeBillboardEntity();
    kaParticleEmitterMgr* MakeEmitterManager();

    const std::string& GetModelFile() const { return m_ModelFile; }
    bool GetSnapToTerrain() const { return m_SnapToTerrain; }
    void SetSnapToTerrain(bool snap) { m_SnapToTerrain = snap; }
    bool GetDebugAxes() const { return m_DebugAxes; }
    void SetDebugAxes(bool show) { m_DebugAxes = show; }
    bool GetNoSortAlpha() const { return m_NoSortAlpha; }
    const std::vector<kaLight*>& GetLights() const { return m_Lights; }

protected:
    // A descriptor for a name containing ".xml", else a KMF file; the placeholder cylinder, named as
    // asked, when loading fails.
    void _LoadModel(const std::string& fileName);
    // The model has moved: keep the placement unless a run moved it, re-file, then move the lights.
    void _AfterPlacement();
    // Finite values only: a save must never write what no reader takes back.
    void _KeepPlacement(const platform::Vector3* position, const platform::Quaternion* rotation);
    void _PlaceLights();
    void _ReadRotation(const TiXmlElement* element);
    // A rotation of no length, taken as the identity: the editor names it to the designer.
    void _NoteRotationReplaced(const TiXmlElement* element) const;
    // The block's "position", which the entity takes.
    void _ReadPosition(const TiXmlElement* block);
    // The key ("position" or "rotation") is kept as read and the entity stands as it was read.
    bool _StandsAsRead(const char* key) const;
    void _ReadTextures(const TiXmlElement* element);
    // The entity's block, the model file and, with a model or a placement, the snap switch, rotation and
    // position (or position and rotation).
    void _WriteModelXml(TiXmlElement* element, bool positionFirst) const;
    // The "rotation" quaternion block, and the "position" block (without "y" when snapped to the terrain).
    void _AppendRotation(TiXmlElement* element) const;
    void _AppendPosition(TiXmlElement* element) const;
    void _ReadEmitters(const TiXmlElement* element);
    void _ReadBillboards(const TiXmlElement* element);
    // The model's indices of the "bone" children's names that it has.
    std::vector<int32_t> _ReadBones(const TiXmlElement* element) const;
    void _DrawAxes() const;

    kaModel* m_pModel = nullptr;
    std::string m_ModelFile;
    bool m_SnapToTerrain = false;
    bool m_DebugAxes = false;
    // One per light object of the model's mesh, owned and registered with the world.
    std::vector<kaLight*> m_Lights;
    // Attachers hanging other entities on this one.
    std::vector<kaEntityAttacher*> m_Attachments;
    bool m_NoSortAlpha = false;
    // Made on demand by the billboard and emitter keys.
    kaEntityBillBoard* m_pBillboard = nullptr;
    kaParticleEmitterMgr* m_pEmitterManager = nullptr;
    // Set while the model's matrix came whole from the caller.
    bool m_MatrixPlacement = false;
    // The entity whose attacher is moving this one, while it does.
    kaEntityModel* m_pMover = nullptr;
    // Where the file or the editor last put the entity, which a save writes; a run's moves leave it.
    platform::Vector3 m_PlacedPosition{0.0f, 0.0f, 0.0f};
    platform::Quaternion m_PlacedRotation{0.0f, 0.0f, 0.0f, 1.0f};
    bool m_Placed = false;
    // Set while AnimatePositionRotation moves the entity.
    bool m_Animating = false;
    // The last "position" the block gave, as the entity took it (snapped, brought within the bound), and
    // whether the last read had one.
    platform::Vector3 m_ReadPosition{0.0f, 0.0f, 0.0f};
    bool m_PositionRead = false;
    // Where the entity stood after a read that kept its position or rotation as read.
    platform::Vector3 m_PositionAsRead{0.0f, 0.0f, 0.0f};
    platform::Quaternion m_RotationAsRead{0.0f, 0.0f, 0.0f, 1.0f};
};
