#pragma once

#include "engine/core/kaCountedPtr.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/ka3DObject.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class KM_Light;
class TiXmlElement;
class kaAnimation;
class kaAnimationChannel;
class kaAnimationFade;
class kaCollisionPrimitive;
class kaMesh;
class kaMeshSubset;
class kaModelAttachment;
class kaSkeleton;
struct kaBone;

// One placed instance of a shared mesh: its own matrix and scale, an optional skeleton posed by blended
// animations and skinned on the CPU, child models attached at bones, named boxes, and textures put onto
// the mesh's decal regions. Made and released only by the model manager.
class kaModel : public ka3DObject
{
public:
    // A named box given by a model descriptor, in model space.
    struct Box
    {
        platform::Vector3 min;
        platform::Vector3 max;
        std::string name;
    };

    static constexpr uint32_t kClassId[4] = {0x4F566443, 0x11D5A138, 0x0100F69C, 0x10553E02};
    static constexpr const char* kNameSuffix = " Model";
    static constexpr uint32_t kSkeletonColor = 0xFFFFFFFF;
    // Below this, a fade that is fading out or faded out is removed.
    static constexpr float kDeadWeight = 0.001f;

    explicit kaModel(kaMesh* mesh);
    ~kaModel() override;

    // ka3DObject slots.
    uint8_t* GetClassId(uint8_t* buffer) const override;
    void Render(uint32_t flag) override;
    void SetTransform(const platform::Matrix& matrix) override;
    kaBoundingBox* GetBoundingBox() override;
    void UpdateTransform() override;
    virtual bool IsMesh() const { return true; }
    virtual void SetSkeleton(kaSkeleton* skeleton);
    virtual void SetAnimationSpeed(float speed);
    // The saved animation state: children "animData" and "altBounds" of the element.
    virtual void ReadState(const TiXmlElement* element);
    virtual void WriteState(TiXmlElement* element) const;

    // Model-space bounds: the alternative ones when they are in use, else the mesh's.
    void GetBounds(platform::Vector3& min, platform::Vector3& max) const;
    void ResetAltBounds();
    void UpdateBounds();
    void UpdateHierarchy();

    kaMeshSubset* FindSubset(const std::string& name) const;
    // Blended subsets of the mesh and the skinned mesh are drawn at once instead of being queued.
    void SetNoSortAlpha();
    // Puts the texture onto the mesh's decal region of that name, drawn after the mesh where it lies
    // exactly on the surface; false when the mesh has no such region. The instance draws its own copy
    // of the region, so other instances of the mesh do not show it.
    bool SetSubsetRenderState(const std::string& region, const std::string& textureFile);
    kaCollisionPrimitive* GetPrimitive(int index) const;
    int GetPrimitiveCount() const;
    KM_Light* GetLightNode(int index) const;
    int GetLightNodeCount() const;

    // Null when the child is null, this instance has no skeleton, or either bone is missing.
    kaModelAttachment* AttachModel(kaModel* child, const std::string& childBone,
                                   const std::string& parentBone);
    const std::vector<std::unique_ptr<kaModelAttachment>>& GetAttachments() const { return m_Attachments; }

    const Box* FindBox(const std::string& name) const;
    void AddBox(std::unique_ptr<Box> box);
    void AddAnimation(kaAnimation* animation);

    // The instance's mesh, then its children's depth-first, one per call; more is false with the last.
    kaMesh* GetNextMesh(bool& more);
    // The world matrix of the instance whose mesh the walk returned last.
    const platform::Matrix& GetCurrentMatrix() const;
    void DrawNormals();

    // Where the segment first meets a triangle of this instance or its children, with the triangle's
    // normal turned towards the segment's start.
    bool IntersectSegment(const platform::Vector3& from, const platform::Vector3& to,
                          platform::Vector3* point, platform::Vector3* normal) const;

    void PlayAnimation(const std::string& name, bool looping, float fadeTime, float weight, int32_t channel);
    void StopAnimation(const std::string& name, float fadeTime, int32_t channel);
    void CrossFadeAnimation(const std::string& name, bool looping, float fadeTime, float weight,
                            int32_t channel);
    void UpdateAnimation();
    void UpdateSkin();
    void TrackAnimationBounds();

    int32_t FindBoneIndex(const std::string& name) const;
    const kaBone* FindBone(const std::string& name) const;
    // The bone's current matrix in model space; null out of range.
    const platform::Matrix* GetBoneMatrix(int32_t index) const;
    int32_t GetBoneCount() const { return static_cast<int32_t>(m_BoneMatrices.size()); }
    const platform::Vector3* GetBonePosition(int32_t index) const;
    // A bone posed from outside (a rag doll's limb): written now and, while the rag-doll flag is set,
    // left alone by the animation. Nothing out of range.
    void SetBoneMatrix(int32_t index, const platform::Matrix& matrix);
    bool IsBoneControlled(int32_t index) const;
    const platform::Quaternion* GetBoneRotation(int32_t index) const;

    kaMesh* GetMesh() const { return m_pMesh; }
    kaMesh* GetSkinnedMesh() const { return m_pSkinnedMesh; }
    kaSkeleton* GetSkeleton() const { return m_pSkeleton; }
    bool IsSkinned() const { return m_Skinned; }
    const std::vector<kaAnimation*>& GetAnimations() const { return m_Animations; }
    const std::vector<std::unique_ptr<kaAnimationChannel>>& GetChannels() const { return m_Channels; }
    float GetCurrentAnimationTime() const { return m_CurrentAnimTime; }
    float GetAnimationSpeed() const { return m_AnimationSpeed; }
    const std::string& GetModelName() const { return m_ModelName; }
    const std::string& GetSourceName() const { return m_SourceName; }
    void SetSourceName(const std::string& name) { m_SourceName = name; }
    size_t GetDecalSubsetCount() const { return m_DecalSubsets.size(); }

    bool m_Hold = false;
    float m_Scale = 1.0f;
    bool m_ShowSkeleton = false;
    bool m_AutoTrackBounds = false;
    bool m_UseAltBounds = false;
    platform::Vector3 m_AltMin;
    platform::Vector3 m_AltMax;
    // Read by the physics, the animation and the world: the body is driven as a rag doll (animation
    // leaves the bones written from outside), the instance is hidden.
    bool m_RagDoll = false;
    bool m_Hidden = false;

private:
    kaAnimationChannel* _GetChannel(int32_t number);
    kaAnimation* _FindAnimation(const std::string& name) const;
    // The world matrix, scaled about the instance's position.
    platform::Matrix _DrawMatrix() const;
    void _DrawSkeleton() const;
    void _PoseBones();
    // The radius from the world box alone: half its diagonal.
    void _RadiusFromWorldBox();
    bool _IntersectOwn(const platform::Vector3& from, const platform::Vector3& to, float& nearest,
                       platform::Vector3& point, platform::Vector3& normal) const;

    float m_AnimationSpeed = 1.0f;
    kaSkeleton* m_pSkeleton = nullptr;
    kaMesh* m_pMesh;
    kaBoundingBox m_WorldBox;
    std::vector<std::unique_ptr<kaModelAttachment>> m_Attachments;
    std::vector<platform::Matrix> m_BoneMatrices;
    std::vector<platform::Vector3> m_BonePositions;
    std::vector<platform::Quaternion> m_BoneRotations;
    // One flag per bone: written from outside.
    std::vector<uint8_t> m_ControlledBones;
    uint32_t m_WalkCursor = 0;
    kaMesh* m_pSkinnedMesh = nullptr;
    bool m_Skinned = false;
    float m_CurrentAnimTime = 0.0f;
    std::vector<std::unique_ptr<Box>> m_Boxes;
    std::vector<kaCountedPtr<kaMeshSubset>> m_DecalSubsets;
    std::vector<kaAnimation*> m_Animations;
    std::vector<std::unique_ptr<kaAnimationChannel>> m_Channels;
    std::string m_ModelName;
    std::string m_SourceName;
};
