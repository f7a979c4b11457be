#pragma once

#include <cstdint>
#include <string>
#include <vector>

class kaEntityModel;
class kaMaterial;
class kaWheelEmitter;
class kaWorld;

// The particles one wheel raises from what it touches: a roll emitter and a slip emitter chosen by the
// surface's material, made on first use in the world and kept for when the wheel comes back to that
// surface. The emitters belong to the world; this only remembers them.
class kaWheelSurfaceEmitters
{
public:
    enum Tag : int32_t
    {
        kRoll = 0,
        kSlip = 1
    };

    // An emitter made for this wheel, by the particle name it was made from: an emitter made from a
    // record carries no entity name of its own to be found by.
    struct Entry
    {
        kaWheelEmitter* emitter = nullptr;
        Tag tag = kRoll;
        std::string particle;
    };

    // The surface's emitters take over; none stops both. Nothing while a material is forced or when the
    // material is the current one.
    void SetMaterial(kaMaterial* material);
    // Contacts no longer change the material until it is forced again.
    void ForceMaterial(kaMaterial* material);
    // The emitters' places: at the bone of the vehicle's model when there is one, else at the wheel.
    void Place(const kaEntityModel* wheel) const;

    kaWheelEmitter* GetSlipEmitter() const { return m_pSlipEmitter; }
    kaWheelEmitter* GetRollEmitter() const { return m_pRollEmitter; }
    kaMaterial* GetMaterial() const { return m_pMaterial; }
    kaMaterial* GetForcedMaterial() const { return m_pForcedMaterial; }
    const std::vector<Entry>& GetEmitters() const { return m_Emitters; }
    int32_t GetBone() const { return m_Bone; }
    kaEntityModel* GetVehicle() const { return m_pVehicle; }
    void SetWorld(kaWorld* world) { m_pWorld = world; }
    kaWorld* GetWorld() const { return m_pWorld; }
    // The bone of the vehicle's model at which both emitters sit.
    void SetBone(kaEntityModel* vehicle, int32_t bone)
    {
        m_pVehicle = vehicle;
        m_Bone = bone;
    }

private:
    // The emitter of that tag made from that particle name, made now when there is none; null for an
    // empty name or a record that makes no wheel emitter.
    kaWheelEmitter* _Find(const std::string& particle, Tag tag);

    kaWheelEmitter* m_pSlipEmitter = nullptr;
    kaWheelEmitter* m_pRollEmitter = nullptr;
    int32_t m_Bone = -1;
    kaWorld* m_pWorld = nullptr;
    kaEntityModel* m_pVehicle = nullptr;
    kaMaterial* m_pMaterial = nullptr;
    kaMaterial* m_pForcedMaterial = nullptr;
    std::vector<Entry> m_Emitters;
};
