#pragma once

#include "engine/scene/kaEntity.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>
#include <vector>

class kaBillboard;
class kaEntityModel;

// A set of camera-facing textured quads at listed positions or on the bones of a model entity, drawn
// through the world's alpha sorter. The entity owns its billboards; they leave the sorter when it dies.
class kaEntityBillBoard : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr int32_t kNoBone = -1;
    // Placement modes of AddBillboard.
    static constexpr int32_t kCentred = 0;
    static constexpr int32_t kFromBottom = 1;
    static constexpr int32_t kAnchored = 2;

    kaEntityBillBoard();
    ~kaEntityBillBoard() override;

    // The base block, "renderStateID", "scale", "setPosFromBottom", and one billboard for each "pos" of
    // "positions".
    void ReadXml(const TiXmlElement* element) override;
    // The base block and what ReadXml read from the entity's own block: the billboards added by code or
    // by an init-data record are not the file's.
    void WriteXml(TiXmlElement* element) const override;

    // A square billboard of that size on the bone; anchor (two fractions across and up) only in the
    // anchored mode.
    kaBillboard* AddBillboard(const std::string& renderStateId, int32_t bone, float size, int32_t mode,
                              float offset, const float* anchor);
    // Moves every billboard on a bone to the bone's world position.
    void PlaceBillboards();
    // For billboards made before the entity had a world: the world's alpha sorter takes them now.
    void JoinWorld(kaWorld* world);
    // A restored device gives the billboards bare quads: their render states are applied again.
    void CreateDeviceObjects() override;

    void SetOwner(kaEntityModel* owner) { m_pOwner = owner; }
    kaEntityModel* GetOwner() const { return m_pOwner; }
    const std::vector<kaBillboard*>& GetBillboards() const { return m_Billboards; }
    const std::vector<int32_t>& GetBones() const { return m_Bones; }

private:
    void _Append(kaBillboard* billboard, int32_t bone, const std::string& renderStateId);
    static void _ApplyRenderState(kaBillboard* billboard, const std::string& renderStateId);

    std::vector<kaBillboard*> m_Billboards;
    // Parallel to the billboards.
    std::vector<int32_t> m_Bones;
    kaEntityModel* m_pOwner = nullptr;
    // Parallel to the billboards, for a restored device.
    std::vector<std::string> m_RenderStateIds;
    // As read from the file, to be written back.
    std::string m_FileRenderStateId;
    float m_FileScale = 0.0f;
    bool m_FileFromBottom = false;
    std::vector<platform::Vector3> m_FilePositions;
};
