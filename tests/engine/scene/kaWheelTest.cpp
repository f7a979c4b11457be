#include "engine/scene/kaWheel.h"

#include "engine/core/kaInitDataBase.h"
#include "engine/model/kaBoxPrimitive.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaHinge2Joint.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaWheelEmitter.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/scene/PhysicsScene.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

// The sphere sits in a geom transform, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using physicstest::Scene;
using platform::Vector3;

namespace
{

std::unique_ptr<kaMaterial> Material(const std::string& keys)
{
    auto material = std::make_unique<kaMaterial>();
    TiXmlDocument document;
    document.Parse(("<m>" + keys + "</m>").c_str());
    material->ReadXml(document.RootElement());
    return material;
}

// Wheels on code-built models of a given box of bounds, in a physics world with the records of the
// particles they raise: two wheel emitters for each of two surfaces, none of which names its entity.
class WheelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string records;
        for (const char* id : {"DustRoll", "DustSlip", "GritRoll", "GritSlip"})
            records += std::string("<initData><uniqueID>") + id +
                       "</uniqueID><data><classType>kaWheelEmitter</classType><emitRate>30</emitRate>"
                       "<rollThresholdMin>1</rollThresholdMin><rollThresholdMax>11</rollThresholdMax>"
                       "</data></initData>";
        records += "<initData><uniqueID>Smoke</uniqueID><data><classType>kaParticleEmitter</classType>"
                   "</data></initData>"
                   "<initData><uniqueID>Rubber</uniqueID><dataType>Material</dataType><data>"
                   "<friction>0.7</friction></data></initData>";
        m_Data.Write("InitData/wheels.xml", "<root>" + records + "</root>");
        ASSERT_TRUE(m_Base.LoadInitData(m_Data.File("InitData")));
        m_Dirt = Material("<rollParticle>DustRoll</rollParticle><slipParticle>DustSlip</slipParticle>");
        m_Tarmac = Material("<rollParticle>GritRoll</rollParticle><slipParticle>GritSlip</slipParticle>");
        m_Plain = Material("");
    }

    kaModel* Model(const Vector3& min, const Vector3& max)
    {
        kaModel* model = m_Scene.Model({{"Hub", "", {0, 0, 0}}}, false);
        model->m_UseAltBounds = true;
        model->m_AltMin = min;
        model->m_AltMax = max;
        return model;
    }

    kaWheel* Wheel(const Vector3& at, float height = 0.6f)
    {
        auto* wheel = new kaWheel;
        m_Scene.world.AddEntity(wheel, true, true);
        wheel->SetPosition(at);
        wheel->SetModel(
            Model(Vector3(-0.1f, -height / 2, -height / 2), Vector3(0.1f, height / 2, height / 2)));
        return wheel;
    }

    // A pinned slab whose top lies at y = 0, of the given material.
    kaEntityPhysical* Ground(std::unique_ptr<kaMaterial> material)
    {
        auto* mesh = new kaMesh;
        auto box = std::make_unique<kaBoxPrimitive>();
        box->m_Width = 40.0f;
        box->m_Length = 1.0f;
        box->m_Height = 40.0f;
        box->m_Position = Vector3(0.0f, -1.0f, 0.0f);
        box->m_Name = "PRIM_Ground";
        mesh->AddPrimitive(std::move(box));
        m_Scene.models.push_back(std::make_unique<kaModel>(mesh));
        auto* ground = new kaEntityPhysical;
        m_Scene.world.AddEntity(ground, true, true);
        ground->SetModel(m_Scene.models.back().get());
        ground->Initialize();
        ground->SetPinned(true);
        ground->GetGeomData().front()->SetMaterial(std::move(material));
        return ground;
    }

    size_t EntityCount() const { return static_cast<size_t>(m_Scene.world.GetEntityCount()); }

    testsupport::TempDir m_Data;
    kaInitDataBase m_Base;
    Scene m_Scene;
    std::unique_ptr<kaMaterial> m_Dirt;
    std::unique_ptr<kaMaterial> m_Tarmac;
    std::unique_ptr<kaMaterial> m_Plain;
};

TEST_F(WheelTest, TheSphereTakesHalfTheModelsHeightAndItsCentreCarriesTheMass)
{
    struct Case
    {
        Vector3 min, max;
        float radius;
    };
    // The second model lies off its origin: ODE would abort on a mass set there before centring.
    const Case cases[] = {{Vector3(-0.1f, -0.3f, -0.3f), Vector3(0.1f, 0.3f, 0.3f), 0.3f},
                          {Vector3(0.0f, 0.1f, 0.2f), Vector3(0.4f, 0.9f, 0.6f), 0.4f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.radius);
        auto* wheel = new kaWheel;
        m_Scene.world.AddEntity(wheel, true, true);
        wheel->SetPosition(Vector3(1.0f, 2.0f, 3.0f));
        wheel->SetModel(Model(c.min, c.max));
        ASSERT_NE(wheel->GetBody(), nullptr);
        EXPECT_NEAR(wheel->GetRadius(), c.radius, 1e-6f);
        EXPECT_NEAR(wheel->GetCircumference(), c.radius * 6.2831855f, 1e-5f);
        ASSERT_EQ(wheel->GetGeomData().size(), 1u);
        dGeomID sphere = dGeomTransformGetGeom(wheel->GetGeomData().front()->GetGeom());
        EXPECT_NEAR(dGeomSphereGetRadius(sphere), c.radius, 1e-6);
        // Density 1, on the body origin, which is the model's centre.
        dMass mass;
        dBodyGetMass(wheel->GetBody(), &mass);
        EXPECT_NEAR(mass.mass, 4.0 / 3.0 * M_PI * std::pow(c.radius, 3.0), 1e-5);
        EXPECT_NEAR(mass.c[0], 0.0, 1e-9);
        EXPECT_NEAR(mass.c[1], 0.0, 1e-9);
        physicstest::ExpectNear(physicstest::ToVector(dGeomGetPosition(sphere)), Vector3());
        physicstest::ExpectNear(wheel->GetBodyPosition(), wheel->GetPosition() + (c.min + c.max) * 0.5f);
        EXPECT_FALSE(dBodyIsEnabled(wheel->GetBody()));
        EXPECT_TRUE(wheel->GetProcessCollisionForce());
    }
    EXPECT_NEAR(Wheel(Vector3())->GetCircumference(), 1.885f, 1e-3f);
    // A model without height makes no sphere and no fault.
    EXPECT_TRUE(Wheel(Vector3(), 0.0f)->GetGeomData().empty());
}

TEST_F(WheelTest, TheTyreMaterialComesFromItsRecordOrIsPlain)
{
    kaWheel* named = Wheel(Vector3());
    TiXmlDocument document;
    document.Parse("<e><wheelMaterial>Rubber</wheelMaterial></e>");
    named->ReadXml(document.RootElement());
    named->Initialize();
    kaWheel* unknown = Wheel(Vector3(3, 0, 0));
    unknown->Initialize();
    EXPECT_EQ(named->GetWheelMaterialName(), "Rubber");
    EXPECT_NEAR(named->GetGeomData().front()->GetMaterial()->GetFriction(), 0.7f, 1e-6f);
    EXPECT_EQ(unknown->GetGeomData().front()->GetMaterial()->GetFriction(), 1.0f);
    EXPECT_EQ(named->GetSurfaceEmitters()->GetWorld(), &m_Scene.world);
}

TEST_F(WheelTest, ARestingWheelKeepsItsSurfaceAndALiftedOneLetsItGo)
{
    Ground(std::move(m_Dirt));
    // Dropped a little onto the slab, whose top the centred body puts at y = 0.5.
    kaWheel* wheel = Wheel(Vector3(0.0f, 0.85f, 0.0f));
    wheel->Initialize();
    // Awake as on a vehicle that never sleeps: a sleeping wheel touches nothing.
    dBodySetAutoDisableFlag(wheel->GetBody(), 0);
    wheel->SetBodyEnabled(true);
    kaWheelSurfaceEmitters& surface = *wheel->GetSurfaceEmitters();
    for (int frame = 0; frame < 30; ++frame)
    {
        m_Scene.world.Update(0.016f);
        if (frame >= 5)
        {
            EXPECT_GE(wheel->GetContactCounter(), 3) << frame;
        }
    }
    ASSERT_NE(surface.GetRollEmitter(), nullptr);
    ASSERT_NE(surface.GetSlipEmitter(), nullptr);
    kaWheelEmitter* roll = surface.GetRollEmitter();
    // Spinning fast on the spot, its roll emitter runs at the full rate.
    dBodySetAngularVel(wheel->GetBody(), 20.0, 0.0, 0.0);
    wheel->Update(0.016f);
    EXPECT_EQ(roll->GetEmitRate(), 30.0f);
    // Out of touch after a last contact, the counter runs down and the particles stop when it reaches 0.
    wheel->SetVisible(false);
    wheel->OnCollide(nullptr, nullptr, surface.GetMaterial());
    for (int32_t left = 3; left > 0; --left)
    {
        wheel->Update(0.016f);
        EXPECT_EQ(wheel->GetContactCounter(), left);
        EXPECT_EQ(surface.GetRollEmitter(), roll);
    }
    wheel->Update(0.016f);
    EXPECT_EQ(surface.GetRollEmitter(), nullptr);
    EXPECT_EQ(surface.GetMaterial(), nullptr);
    EXPECT_EQ(roll->GetEmitRate(), 0.0f);
    wheel->Update(0.016f);
    EXPECT_EQ(wheel->GetContactCounter(), 0);
}

TEST_F(WheelTest, SurfacesShowTheirOwnParticlesAndComingBackReusesTheFirstEmitters)
{
    kaWheel* wheel = Wheel(Vector3());
    wheel->Initialize();
    kaWheelSurfaceEmitters& surface = *wheel->GetSurfaceEmitters();
    const size_t before = EntityCount();
    wheel->OnCollide(nullptr, nullptr, m_Dirt.get());
    kaWheelEmitter* dustRoll = surface.GetRollEmitter();
    kaWheelEmitter* dustSlip = surface.GetSlipEmitter();
    ASSERT_NE(dustRoll, nullptr);
    ASSERT_NE(dustSlip, nullptr);
    EXPECT_NE(dustRoll, dustSlip);
    EXPECT_EQ(dustRoll->GetEmitRate(), 0.0f);
    EXPECT_EQ(EntityCount(), before + 2);
    wheel->OnCollide(nullptr, nullptr, m_Tarmac.get());
    kaWheelEmitter* gritRoll = surface.GetRollEmitter();
    EXPECT_NE(gritRoll, dustRoll);
    EXPECT_EQ(EntityCount(), before + 4);
    for (int round = 0; round < 3; ++round)
    {
        dustRoll->SetEmitRate(5.0f);
        wheel->OnCollide(nullptr, nullptr, m_Dirt.get());
        EXPECT_EQ(surface.GetRollEmitter(), dustRoll);
        EXPECT_EQ(surface.GetSlipEmitter(), dustSlip);
        // The surface left stops throwing.
        dustRoll->SetEmitRate(5.0f);
        wheel->OnCollide(nullptr, nullptr, m_Tarmac.get());
        EXPECT_EQ(surface.GetRollEmitter(), gritRoll);
        EXPECT_EQ(dustRoll->GetEmitRate(), 0.0f);
    }
    EXPECT_EQ(surface.GetEmitters().size(), 4u);
    EXPECT_EQ(EntityCount(), before + 4);
    // A surface that names no particles shows none and makes nothing.
    wheel->OnCollide(nullptr, nullptr, m_Plain.get());
    EXPECT_EQ(surface.GetRollEmitter(), nullptr);
    EXPECT_EQ(surface.GetSlipEmitter(), nullptr);
    EXPECT_EQ(surface.GetMaterial(), m_Plain.get());
    EXPECT_EQ(EntityCount(), before + 4);
    // A record of a plain particle emitter is no wheel emitter: nothing stays in the world.
    auto smoky = Material("<rollParticle>Smoke</rollParticle>");
    wheel->OnCollide(nullptr, nullptr, smoky.get());
    EXPECT_EQ(surface.GetRollEmitter(), nullptr);
    EXPECT_EQ(EntityCount(), before + 4);
}

TEST_F(WheelTest, AForcedSurfaceHoldsUntilForcedAgain)
{
    kaWheel* wheel = Wheel(Vector3());
    wheel->Initialize();
    kaWheelSurfaceEmitters& surface = *wheel->GetSurfaceEmitters();
    surface.ForceMaterial(m_Tarmac.get());
    wheel->OnCollide(nullptr, nullptr, m_Dirt.get());
    EXPECT_EQ(surface.GetMaterial(), m_Tarmac.get());
    for (int frame = 0; frame < 6; ++frame)
        wheel->Update(0.016f);
    EXPECT_EQ(surface.GetMaterial(), m_Tarmac.get());
    // Forcing none releases the surface: contacts choose again.
    surface.ForceMaterial(nullptr);
    EXPECT_EQ(surface.GetMaterial(), nullptr);
    EXPECT_EQ(surface.GetRollEmitter(), nullptr);
    wheel->OnCollide(nullptr, nullptr, m_Dirt.get());
    EXPECT_EQ(surface.GetMaterial(), m_Dirt.get());
}

// A wheel hung on an unturned body by a hinge-2, its surface throwing slip particles.
class WheelSlipTest : public WheelTest
{
protected:
    void SetUp() override
    {
        WheelTest::SetUp();
        m_Body = m_Scene.Add(Vector3(0, 2, 0));
        m_Wheel = Wheel(Vector3(0, 0, 0));
        auto* joint = m_Scene.Make<kaHinge2Joint>();
        joint->Connect(m_Body, "Bottom", m_Wheel, "Hub");
        m_Wheel->Initialize();
        m_Wheel->OnCollide(nullptr, nullptr, m_Dirt.get());
    }

    // The slip of one update with the wheel moving at that velocity and spinning at that rate.
    float Slip(const Vector3& velocity, float spin, float dt)
    {
        dBodySetLinearVel(m_Wheel->GetBody(), velocity.x, velocity.y, velocity.z);
        dBodySetAngularVel(m_Wheel->GetBody(), spin, 0.0, 0.0);
        m_Wheel->OnCollide(nullptr, nullptr, m_Dirt.get());
        m_Wheel->Update(dt);
        return m_Wheel->GetLastSlip();
    }

    kaEntityPhysical* m_Body = nullptr;
    kaWheel* m_Wheel = nullptr;
};

TEST_F(WheelSlipTest, SpinBeyondTheGroundSpeedSlipsAndSlidingCountsFromSpeedOne)
{
    ASSERT_EQ(m_Wheel->GetVehicle(), m_Body);
    ASSERT_NE(m_Wheel->GetSurfaceEmitters()->GetSlipEmitter(), nullptr);
    const float c = 0.3f * 6.2831855f;
    const float pi = 3.14159265f;
    struct Case
    {
        const char* what;
        Vector3 velocity;
        float spin;
        float dt;
        float slip;
    };
    const Case cases[] = {
        {"spinning on the spot", Vector3(), 10.0f, 0.1f, c},
        {"spinning slowly forward", Vector3(0, 0, -0.5f), 10.0f, 0.1f, c - 0.5f},
        {"spin within the margin", Vector3(0, 0, -0.5f), (0.55f) / (c * 0.1f), 0.1f, 0.0f},
        {"sliding slowly sideways", Vector3(0.9f, 0, 0), 0.0f, 0.1f, 0.0f},
        {"rolling ahead", Vector3(0, 0, -3.0f), 0.0f, 0.1f, 0.0f},
        {"sliding sideways", Vector3(2.0f, 0, 0), 0.0f, 0.1f, 1.0f},
        {"sliding backward", Vector3(0, 0, 2.0f), 0.0f, 0.1f, 1.0f},
        {"a little off the heading", Vector3(2.0f * std::sin(0.1f), 0, -2.0f * std::cos(0.1f)), 0.0f, 0.1f,
         0.0f},
        {"a third of a quarter turn off", Vector3(2.0f * std::sin(pi / 6), 0, -2.0f * std::cos(pi / 6)), 0.0f,
         0.1f, 1.0f / 3.0f},
        {"spin slip beyond the sideways slip", Vector3(2.0f, 0, 0), 20.0f, 0.1f, 2.0f * c - 2.0f},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.what);
        EXPECT_NEAR(Slip(k.velocity, k.spin, k.dt), k.slip, 1e-4f);
    }
}

TEST_F(WheelSlipTest, EmittersSitAtTheVehiclesBoneOrElseAtTheWheel)
{
    kaWheelSurfaceEmitters& surface = *m_Wheel->GetSurfaceEmitters();
    m_Wheel->SetPosition(Vector3(3.0f, 1.0f, 2.0f));
    m_Wheel->Update(0.016f);
    physicstest::ExpectNear(surface.GetRollEmitter()->GetPosition(), m_Wheel->GetPosition());
    surface.SetBone(m_Body, m_Body->GetBoneIndex("Top"));
    m_Wheel->OnCollide(nullptr, nullptr, m_Dirt.get());
    m_Wheel->Update(0.016f);
    physicstest::ExpectNear(surface.GetRollEmitter()->GetPosition(),
                            m_Body->GetBoneWorldPosition(m_Body->GetBoneIndex("Top")));
    physicstest::ExpectNear(surface.GetSlipEmitter()->GetPosition(),
                            m_Body->GetBoneWorldPosition(m_Body->GetBoneIndex("Top")));
}

} // namespace
