#pragma once

#include "engine/scene/kaEntityPhysical.h"

#include <memory>
#include <string>

class kaWheelSurfaceEmitters;

// One vehicle wheel: a body on a sphere sized from its model, hung on the vehicle by a hinge-2 that the
// vehicle's physics description makes. It also raises the particles of the surface it rolls on: a roll
// and a slip emitter chosen by the touched material, fed with its spin and slip, placed at a bone of the
// vehicle's model.
class kaWheel : public kaEntityPhysical
{
    KA_ENTITY_CLASS_RECORD()

public:
    // Steps a contact keeps the surface after the last touch.
    static constexpr int32_t kContactSteps = 4;
    static constexpr float kTwoPi = 6.2831855f;
    // Below this speed sideways sliding is not told from standing.
    static constexpr float kSlideSpeed = 1.0f;
    // Spin beyond the ground speed by more than this slips.
    static constexpr float kSpinSlipMargin = 0.1f;
    // Sliding across the heading counts from this share of a quarter turn.
    static constexpr float kSideSlipMin = 0.1f;
    static constexpr float kTwoOverPi = 0.63661975f;

    kaWheel();
    ~kaWheel() override;

    // The physical entity's keys, then "wheelMaterial".
    void ReadXml(const TiXmlElement* element) override;
    // The tyre's material on the first geom, the emitters' world and the vehicle the wheel hangs on.
    void Initialize() override;
    // The surface effects, then the physical entity's update.
    void Update(float dt) override;
    // The physical entity's body and geoms, then a sphere of half the model's height at its centre
    // carrying the mass.
    void SetModel(kaModel* model) override;
    // The surface becomes what was touched.
    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;
    void ProcessCollisionForces() override;

    kaWheelSurfaceEmitters* GetSurfaceEmitters() const { return m_pSurfaceEmitters.get(); }
    const std::string& GetWheelMaterialName() const { return m_WheelMaterialName; }
    int32_t GetContactCounter() const { return m_ContactCounter; }
    float GetCircumference() const { return m_Circumference; }
    float GetRadius() const { return m_Circumference / kTwoPi; }
    kaEntityPhysical* GetVehicle() const { return m_pVehicle; }
    // The slip the last update gave the slip emitter.
    float GetLastSlip() const { return m_LastSlip; }

protected:
    // The slip of this step: spin beyond the ground speed, or sliding across the heading when moving.
    float _Slip(float spin, float dt) const;

    std::string m_WheelMaterialName;
    std::unique_ptr<kaWheelSurfaceEmitters> m_pSurfaceEmitters;
    int32_t m_ContactCounter = kContactSteps;
    float m_Circumference = 0.0f;
    kaEntityPhysical* m_pVehicle = nullptr;
    float m_LastSlip = 0.0f;
};
