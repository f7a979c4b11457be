#include "game/props/Ball.h"
#include "game/props/Box.h"
#include "game/props/Cylinder.h"

#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"
#include "tests/support/engine/model/ModelTestSupport.h"
#include "tests/support/game/GearScene.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

using platform::Vector3;

// The fitted shapes sit in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace
{

// Counts the contacts that reach it and keeps the materials of the last.
class CountingBox : public Box
{
public:
    void OnCollide(kaEntityPhysical* other, kaMaterial* own, kaMaterial* otherMaterial) override
    {
        Box::OnCollide(other, own, otherMaterial);
        ++m_Contacts;
        m_pOwn = own;
    }
    int m_Contacts = 0;
    kaMaterial* m_pOwn = nullptr;
};

class PropTest : public geartest::GearScene
{
public:
    // A model whose bounds are (-1, 0, -2) to (1, 2, 2) and that carries no collision primitive.
    kaModel* Slab()
    {
        kaMesh* mesh = modeltest::PlainMesh({{-1, 0, -2}, {1, 2, 2}, {1, 0, 2}}, {0, 1, 2});
        m_Scene.models.push_back(std::make_unique<kaModel>(mesh));
        mesh->Release();
        return m_Scene.models.back().get();
    }

    template <typename Prop> Prop* Place(const Vector3& at, bool inWorld = true)
    {
        auto* prop = new Prop;
        if (inWorld)
            m_World.AddEntity(prop, true, true);
        prop->SetPosition(at);
        prop->SetModel(Slab());
        return prop;
    }
};

TEST_F(PropTest, EachPropFitsItsShapeToTheBoundsAndTakesItsMassCentred)
{
    struct Case
    {
        const char* name;
        std::function<tvProp*(PropTest&)> make;
        int geomClass;
        Vector3 at;
        double mass;
    } cases[] = {
        {"Box",
         [](PropTest& t) -> tvProp* {
             return t.Place<Box>({5, 0, 5});
         },
         dBoxClass,
         {0, 1, 0},
         16.0},
        {"Cylinder",
         [](PropTest& t) -> tvProp* {
             return t.Place<Cylinder>({5, 0, 5});
         },
         dCapsuleClass,
         {0, 1, -2},
         M_PI * 1.0 * 4.0 + 4.0 / 3.0 * M_PI},
        {"Ball",
         [](PropTest& t) -> tvProp* {
             return t.Place<Ball>({5, 0, 5});
         },
         dSphereClass,
         {0, 1, 0},
         4.0 / 3.0 * M_PI * 6.0 * std::sqrt(6.0)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        tvProp* prop = c.make(*this);
        kaGeomData* shape = prop->GetShapeData();
        ASSERT_NE(shape, nullptr);
        EXPECT_EQ(prop->GetGeomData().size(), 1u);
        dGeomID inner = dGeomTransformGetGeom(shape->GetGeom());
        ASSERT_EQ(dGeomGetClass(inner), c.geomClass);
        EXPECT_EQ(dGeomGetData(inner), shape);
        EXPECT_EQ(dGeomGetData(shape->GetGeom()), shape);
        EXPECT_EQ(dGeomGetBody(shape->GetGeom()), prop->GetBody());
        physicstest::ExpectNear(shape->m_Position, c.at);
        dMass mass;
        dBodyGetMass(prop->GetBody(), &mass);
        EXPECT_NEAR(mass.mass, c.mass, 1e-3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(mass.c[i], 0.0);
        // The body stays where the prop was placed, the model moves so that the shape's centre is on it;
        // it rests until something wakes it.
        physicstest::ExpectNear(prop->GetBodyPosition(), Vector3(5, 0, 5));
        physicstest::ExpectNear(prop->GetPosition(), Vector3(5, 0, 5) - c.at);
        EXPECT_FALSE(dBodyIsEnabled(prop->GetBody()));
    }
}

TEST_F(PropTest, TheBoxIsTheBoundsSizeAndTheCylinderRunsAlongZ)
{
    Box* box = Place<Box>({0, 0, 0});
    dVector3 size;
    dGeomBoxGetLengths(dGeomTransformGetGeom(box->GetShapeData()->GetGeom()), size);
    EXPECT_EQ(size[0], 2.0);
    EXPECT_EQ(size[1], 2.0);
    EXPECT_EQ(size[2], 4.0);
    Cylinder* cylinder = Place<Cylinder>({0, 0, 20});
    dReal radius = 0;
    dReal length = 0;
    dGeomCapsuleGetParams(dGeomTransformGetGeom(cylinder->GetShapeData()->GetGeom()), &radius, &length);
    EXPECT_EQ(radius, 1.0);
    EXPECT_EQ(length, 4.0);
}

TEST_F(PropTest, APropWithoutAWorldGetsNoBodyAndNoShape)
{
    std::unique_ptr<Box> loose(Place<Box>({0, 0, 0}, false));
    EXPECT_EQ(loose->GetBody(), nullptr);
    EXPECT_EQ(loose->GetShapeData(), nullptr);
    EXPECT_TRUE(loose->GetGeomData().empty());
}

TEST_F(PropTest, ContactsWithTheFittedShapeReachThePropWithTheDefaultFriction)
{
    auto* box = Place<CountingBox>({0, 0, 10});
    box->Initialize();
    ASSERT_NE(box->GetShapeData()->GetMaterial(), nullptr);
    EXPECT_EQ(box->GetShapeData()->GetMaterial()->GetFriction(), 1.0f);
    // A ball dropped on its top face.
    kaEntityPhysical* ball = Loose({0, 3, 10});
    ball->SetBodyEnabled(true);
    for (int step = 0; step < 50 && box->m_Contacts == 0; ++step)
        m_World.Update(0.02f);
    EXPECT_GT(box->m_Contacts, 0);
    EXPECT_EQ(box->m_pOwn, box->GetShapeData()->GetMaterial());
}

} // namespace
