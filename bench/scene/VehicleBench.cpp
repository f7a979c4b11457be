// The car (a body on four wheels hung on hinge-2 joints, the front ones steered and the rear ones driven)
// driven at full throttle for 500 frames of 0.016 s through the entities: the physics world steps it, the
// vehicle turns the held key into its wheel speed target and drives its joints' motors after every pass,
// the wheels read their contacts and feed their surface. Beside it raw ODE steps the same bodies, geoms and
// joints with the same world settings, passes, contact surface and motor settings. "ratio" is entity time
// over raw time; "contacts" and "rawContacts" count the wheels' contacts on each side and "travel" and
// "rawTravel" how far each car went, so that both sides are seen to do the same work.

#include "engine/core/DirectInputManager.h"
#include "engine/model/KM_Skeleton.h"
#include "engine/model/kaBoxPrimitive.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaSkeleton.h"
#include "engine/scene/kaHinge2Joint.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "engine/scene/kaVehicle.h"
#include "engine/scene/kaWheel.h"
#include "platform/input/ScriptedDevice.h"
#include "platform/input/ScriptedDirectInput.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

// The bodies sit in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace
{

constexpr int kFrames = 500;
constexpr float kFrame = 0.016f;
// The body: 1.8 wide, 1.1 high from 0.2 above the ground, 4 long, of mass 2.
constexpr float kWidth = 1.8f, kHeight = 1.1f, kLength = 4.0f, kFloor = 0.2f, kMass = 2.0f;
constexpr float kWheelRadius = 0.35f;
struct Hub
{
    const char* name;
    float x, z;
    bool front;
};
const Hub kHubs[] = {{"FL", -0.85f, -1.3f, true},
                     {"FR", 0.85f, -1.3f, true},
                     {"RL", -0.85f, 1.3f, false},
                     {"RR", 0.85f, 1.3f, false}};
constexpr float kSuspensionERP = 0.4f;
constexpr float kSuspensionCFM = 0.01f;

long g_EntityContacts = 0;

// A wheel that counts the contacts it reads.
class CountingWheel : public kaWheel
{
public:
    void ProcessCollisionForces() override
    {
        g_EntityContacts += GetContactRecordCount();
        kaWheel::ProcessCollisionForces();
    }
};

kaSkeleton* Skeleton(const std::vector<std::pair<std::string, platform::Vector3>>& bones)
{
    KM_Skeleton file;
    for (size_t i = 0; i < bones.size(); ++i)
    {
        KM_Skeleton::Bone bone;
        bone.name = bones[i].first;
        bone.parentName = i == 0 ? "" : bones[0].first;
        bone.orientation[3][0] = -bones[i].second.x;
        bone.orientation[3][1] = -bones[i].second.y;
        bone.orientation[3][2] = -bones[i].second.z;
        file.m_Bones[static_cast<uint32_t>(i)] = bone;
    }
    file.m_BoneCount = static_cast<uint32_t>(bones.size());
    auto* skeleton = new kaSkeleton;
    skeleton->Build(file, "bones.kmf", nullptr);
    return skeleton;
}

// The car's and the wheel's models: the body's box and hub bones; the wheel's height and its hub.
struct CarModels
{
    CarModels()
    {
        auto* body = new kaMesh;
        auto box = std::make_unique<kaBoxPrimitive>();
        box->m_Width = kWidth;
        box->m_Length = kHeight;
        box->m_Height = kLength;
        box->m_Position = platform::Vector3(0.0f, kFloor, 0.0f);
        box->m_Name = "PRIM_Body";
        body->AddPrimitive(std::move(box));
        std::vector<std::pair<std::string, platform::Vector3>> bones{{"Body", {}}};
        for (const Hub& hub : kHubs)
            bones.push_back({hub.name, platform::Vector3(hub.x, kWheelRadius, hub.z)});
        carSkeleton.reset(Skeleton(bones));
        wheelSkeleton.reset(Skeleton({{"Hub", {}}}));
        car = std::make_unique<kaModel>(body);
        car->SetSkeleton(carSkeleton.get());
        for (int i = 0; i < 4; ++i)
        {
            wheels.push_back(std::make_unique<kaModel>(new kaMesh));
            wheels.back()->SetSkeleton(wheelSkeleton.get());
            wheels.back()->m_UseAltBounds = true;
            wheels.back()->m_AltMin = platform::Vector3(-0.125f, -kWheelRadius, -kWheelRadius);
            wheels.back()->m_AltMax = platform::Vector3(0.125f, kWheelRadius, kWheelRadius);
        }
    }
    std::unique_ptr<kaSkeleton> carSkeleton;
    std::unique_ptr<kaSkeleton> wheelSkeleton;
    std::unique_ptr<kaModel> car;
    std::vector<std::unique_ptr<kaModel>> wheels;
};

// A keyboard whose W, bound to the throttle as the game binds it, is held throughout.
struct HeldThrottle
{
    HeldThrottle()
    {
        keyboard->AddButton("W");
        keyboard->PushReading({1});
        const std::vector<std::shared_ptr<platform::ScriptedDevice>> scripts{keyboard};
        previous = platform::SetDirectInputFactory(
            [scripts]
            { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(scripts)); });
        input.Init();
        input.AddBinding(kaVehicle::kThrottleAction, 0, input.FindDeviceControlByName(0, "W"),
                         InputManager::kRangeNegative, 0);
        input.Update();
    }
    ~HeldThrottle() { platform::SetDirectInputFactory(previous); }
    std::shared_ptr<platform::ScriptedDevice> keyboard =
        std::make_shared<platform::ScriptedDevice>("Keyboard", platform::kDi8DevTypeKeyboard, 1);
    platform::DirectInputFactory previous;
    DirectInputManager input;
};

double RunEntities(double& travel)
{
    HeldThrottle throttle;
    CarModels models;
    double elapsed = 0.0;
    {
        kaPhysicsWorld world;
        dGeomID ground = dCreateBox(world.GetSpace(), 1000, 1, 1000);
        dGeomSetPosition(ground, 0, -0.5, 0);
        auto* car = new kaVehicle;
        world.AddEntity(car, true, true);
        car->SetModel(models.car.get());
        // The body sits on its mass centre; the model's origin, and so the wheels' feet, on the ground.
        car->SetPosition(car->GetCOGOffset());
        std::string keys = "<e><mass>" + std::to_string(kMass) + "</mass>";
        for (size_t i = 0; i < 4; ++i)
        {
            auto* wheel = new CountingWheel;
            world.AddEntity(wheel, true, true);
            wheel->SetModel(models.wheels[i].get());
            auto* joint = new kaHinge2Joint;
            joint->SetWorld(&world);
            joint->CreateJoint(&world);
            world.AddEntity(joint, true, true);
            joint->SetName(kHubs[i].name);
            joint->Connect(car, kHubs[i].name, wheel, "Hub");
            joint->SetParam(dParamSuspensionERP, kSuspensionERP);
            joint->SetParam(dParamSuspensionCFM, kSuspensionCFM);
            if (!kHubs[i].front)
            {
                joint->SetParam(dParamLoStop, 0.0f);
                joint->SetParam(dParamHiStop, 0.0f);
            }
            wheel->Initialize();
            keys += std::string(kHubs[i].front ? "<steering>" : "<power>") + "<joint>" + kHubs[i].name +
                    "</joint>" + (kHubs[i].front ? "</steering>" : "</power>");
        }
        TiXmlDocument document;
        document.Parse((keys + "</e>").c_str());
        car->ReadXml(document.RootElement());
        car->Initialize();
        world.AddDynamicEntity(car);
        for (kaWheel* wheel : car->GetWheels())
            world.AddDynamicEntity(wheel);
        world.SetSelectedEntity(car);
        car->SetBodyEnabled(true);
        const float startZ = car->GetBodyPosition().z;
        const auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < kFrames; ++frame)
            world.Update(kFrame);
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        travel = startZ - car->GetBodyPosition().z;
        world.Clear();
        dGeomDestroy(ground);
    }
    return elapsed;
}

struct Raw
{
    dWorldID world;
    dSpaceID space;
    dJointGroupID contacts;
    long made = 0;
};

void RawCallback(void* data, dGeomID o1, dGeomID o2)
{
    Raw& raw = *static_cast<Raw*>(data);
    if (dGeomIsSpace(o1) || dGeomIsSpace(o2))
    {
        dSpaceCollide2(o1, o2, data, &RawCallback);
        return;
    }
    dBodyID b1 = dGeomGetBody(o1);
    dBodyID b2 = dGeomGetBody(o2);
    if (b1 == b2 || (dGeomGetSpace(o1) == dGeomGetSpace(o2) && dGeomGetSpace(o1) != raw.space) ||
        (b1 && b2 && dAreConnected(b1, b2)))
        return;
    dContact contact[kaPhysicsWorld::kMaxContacts];
    const int count = dCollide(o1, o2, kaPhysicsWorld::kMaxContacts, &contact[0].geom, sizeof(dContact));
    for (int i = 0; i < count; ++i)
    {
        contact[i].surface.mode = kaPhysicsWorld::kContactMode;
        contact[i].surface.mu = kaPhysicsWorld::kDefaultFrictionScale;
        contact[i].surface.bounce = kaPhysicsWorld::kContactBounce;
        contact[i].surface.soft_erp = kaPhysicsWorld::kContactSoftERP;
        contact[i].surface.soft_cfm = kaPhysicsWorld::kContactSoftCFM;
        contact[i].surface.slip1 = kaPhysicsWorld::kDefaultContactSlip;
        contact[i].surface.slip2 = kaPhysicsWorld::kDefaultContactSlip;
        dJointAttach(dJointCreateContact(raw.world, raw.contacts, &contact[i]), b1, b2);
        ++raw.made;
    }
}

// One body with its shape in a transform in the car's space.
dBodyID RawBody(Raw& raw, dSpaceID space, dGeomID shape, dMass& mass, const platform::Vector3& at)
{
    dBodyID body = dBodyCreate(raw.world);
    dBodySetMass(body, &mass);
    dBodySetPosition(body, at.x, at.y, at.z);
    dGeomID transform = dCreateGeomTransform(space);
    dGeomTransformSetGeom(transform, shape);
    dGeomTransformSetCleanup(transform, 1);
    dGeomSetBody(transform, body);
    return body;
}

double RunRaw(long& made, double& travel)
{
    dInitODE2(0);
    Raw raw{dWorldCreate(), dHashSpaceCreate(nullptr), dJointGroupCreate(0)};
    dWorldSetGravity(raw.world, 0, kaPhysicsWorld::kGravityY, 0);
    dWorldSetERP(raw.world, kaPhysicsWorld::kERP);
    dWorldSetCFM(raw.world, kaPhysicsWorld::kCFM);
    dWorldSetAutoDisableFlag(raw.world, 1);
    dWorldSetAutoDisableLinearThreshold(raw.world, kaPhysicsWorld::kAutoDisableLinearThreshold);
    dWorldSetAutoDisableAngularThreshold(raw.world, kaPhysicsWorld::kAutoDisableAngularThreshold);
    dWorldSetAutoDisableSteps(raw.world, kaPhysicsWorld::kAutoDisableSteps);
    dWorldSetAutoDisableTime(raw.world, kaPhysicsWorld::kAutoDisableTime);
    dWorldSetContactMaxCorrectingVel(raw.world, kaPhysicsWorld::kContactMaxCorrectingVel);
    dHashSpaceSetLevels(raw.space, kaPhysicsWorld::kHashMinLevel, kaPhysicsWorld::kHashMaxLevel);
    dGeomID ground = dCreateBox(raw.space, 1000, 1, 1000);
    dGeomSetPosition(ground, 0, -0.5, 0);
    dSpaceID car = dSimpleSpaceCreate(raw.space);

    dMass mass;
    dMassSetBox(&mass, 1.0, kWidth, kHeight, kLength);
    dMassAdjust(&mass, kMass);
    dBodyID body = RawBody(raw, car, dCreateBox(nullptr, kWidth, kHeight, kLength), mass,
                           platform::Vector3(0.0f, kFloor + kHeight / 2, 0.0f));
    dBodySetAutoDisableFlag(body, 0);
    std::vector<dJointID> steering;
    std::vector<dJointID> power;
    for (const Hub& hub : kHubs)
    {
        dMass wheelMass;
        dMassSetSphere(&wheelMass, 1.0, kWheelRadius);
        dBodyID wheel = RawBody(raw, car, dCreateSphere(nullptr, kWheelRadius), wheelMass,
                                platform::Vector3(hub.x, kWheelRadius, hub.z));
        dBodySetFiniteRotationMode(wheel, 1);
        dJointID joint = dJointCreateHinge2(raw.world, nullptr);
        dJointAttach(joint, body, wheel);
        dJointSetHinge2Anchor(joint, hub.x, kWheelRadius, hub.z);
        const dReal up[3] = {0, 1, 0};
        const dReal across[3] = {1, 0, 0};
        dJointSetHinge2Axes(joint, up, across);
        dJointSetHinge2Param(joint, dParamSuspensionERP, kSuspensionERP);
        dJointSetHinge2Param(joint, dParamSuspensionCFM, kSuspensionCFM);
        if (!hub.front)
        {
            dJointSetHinge2Param(joint, dParamLoStop, 0.0);
            dJointSetHinge2Param(joint, dParamHiStop, 0.0);
        }
        (hub.front ? steering : power).push_back(joint);
    }
    const dReal startZ = dBodyGetPosition(body)[2];
    const dReal scaled = kFrame * kaPhysicsWorld::kTimeScale;
    const int passes = static_cast<int>(scaled / kaPhysicsWorld::kDefaultSubStepLength) + 1;
    const dReal limit = kaVehicle::kDefaultSteerAngle + kaVehicle::kSteerStopMargin;
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kFrames; ++frame)
        for (int pass = 0; pass < passes; ++pass)
        {
            dSpaceCollide(raw.space, &raw, &RawCallback);
            dWorldQuickStep(raw.world, scaled / passes);
            dJointGroupEmpty(raw.contacts);
            // Full throttle, wheels straight: the settings the vehicle gives its joints after each pass.
            for (dJointID joint : power)
            {
                dJointSetHinge2Param(joint, dParamVel2, kaVehicle::kDefaultMaxSpeed);
                dJointSetHinge2Param(joint, dParamFMax2, kaVehicle::kDefaultAcceleration);
                dJointSetHinge2Param(joint, dParamCFM, kaVehicle::kDriveCFM);
            }
            for (dJointID joint : steering)
            {
                const dReal step = std::clamp(-dJointGetHinge2Angle1(joint), dReal(-kaVehicle::kSteerStep),
                                              dReal(kaVehicle::kSteerStep));
                dJointSetHinge2Param(joint, dParamVel, step * kaVehicle::kSteerGain);
                dJointSetHinge2Param(joint, dParamFMax, kaVehicle::kSteerForce);
                dJointSetHinge2Param(joint, dParamLoStop, -limit);
                dJointSetHinge2Param(joint, dParamHiStop, limit);
                dJointSetHinge2Param(joint, dParamFudgeFactor, kaVehicle::kSteerFudge);
            }
        }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    made = raw.made;
    travel = startZ - dBodyGetPosition(body)[2];
    dJointGroupDestroy(raw.contacts);
    dSpaceDestroy(raw.space);
    dWorldDestroy(raw.world);
    dCloseODE();
    return elapsed;
}

// Both sides in each iteration.
void BM_VehicleDriveRatio(benchmark::State& state)
{
    double entities = 0.0, raw = 0.0, travel = 0.0, rawTravel = 0.0;
    long made = 0;
    g_EntityContacts = 0;
    long iterations = 0;
    for (auto _ : state)
    {
        entities += RunEntities(travel);
        raw += RunRaw(made, rawTravel);
        ++iterations;
    }
    state.counters["ratio"] = raw > 0.0 ? entities / raw : 0.0;
    state.counters["contacts"] = iterations > 0 ? static_cast<double>(g_EntityContacts) / iterations : 0.0;
    state.counters["rawContacts"] = static_cast<double>(made);
    state.counters["travel"] = travel;
    state.counters["rawTravel"] = rawTravel;
}

BENCHMARK(BM_VehicleDriveRatio)->Unit(benchmark::kMillisecond);

} // namespace
