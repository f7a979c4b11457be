#include "tools/worldgen/StuntYard.h"

#include "engine/core/kaXmlHelpers.h"
#include "tools/worldgen/GameSurfaces.h"
#include "tools/worldgen/InitDataRecords.h"
#include "tools/worldgen/SampleWorld.h"
#include "tools/worldgen/VenueEnvironment.h"
#include "tools/worldgen/WorldKeys.h"

#include <tinyxml.h>

#include <algorithm>

namespace
{

const char* const kModels = InitDataRecords::kModelFolder;
const char* const kGrateIntro = "Resources/Sounds/Game/Grate/intro.wav";
const char* const kGrateLoop = "Resources/Sounds/Game/Grate/loop.wav";
const char* const kGrateOutro = "Resources/Sounds/Game/Grate/outro.wav";
constexpr int kSpawnPointId = 1;

void AppendHum(TiXmlElement* data)
{
    TiXmlElement* sequence = AppendElement(data, "damageSequence");
    AppendTextElement(sequence, "intro", kGrateIntro);
    AppendTextElement(sequence, "loop", kGrateLoop);
    AppendTextElement(sequence, "outro", kGrateOutro);
}

void AppendMaterial(TiXmlElement* root, const char* id, float friction, float damagePerSecond,
                    const char* particle)
{
    TiXmlElement* data = InitDataRecords::AppendRecord(root, id, "Material");
    AppendFloatElement(data, "friction", friction);
    if (damagePerSecond > 0.0f)
        AppendFloatElement(data, "damagePerSecond", damagePerSecond);
    if (particle)
    {
        AppendTextElement(data, "rollParticle", particle);
        AppendTextElement(data, "slipParticle", particle);
    }
}

// The motorcycle on two cycle wheels, its rider held at the seat, and the rag doll that replaces the rider:
// a pelvis body with a limb hung at each other bone by a ball joint, each limb moving its bone.
void AppendMotorcycleRecords(TiXmlElement* root)
{
    InitDataRecords::AppendWheelRecord(root, "BikeWheel", "tvCycleWheel");
    InitDataRecords::AppendNamedJoint(root, "BikeJointFront", "CarFrontJoint", "Front");
    InitDataRecords::AppendNamedJoint(root, "BikeJointRear", "CarRearJoint", "Rear");

    TiXmlElement* bike = InitDataRecords::AppendModelRecord(root, StuntYard::kMotorcycleRecord, "MotorCycle",
                                                            "motorcycle/motorcycle.xml");
    AppendFloatElement(bike, "mass", 3.0f);
    AppendFloatElement(bike, "maxSpeed", 40.0f);
    const struct
    {
        const char* joint;
        const char* bone;
        const char* record;
    } wheels[] = {{"Front", "HubFront", "BikeJointFront"}, {"Rear", "HubRear", "BikeJointRear"}};
    for (const auto& w : wheels)
        InitDataRecords::AppendWheelJoint(bike, "tvCycleWheel", "BikeWheel", w.bone, w.record);
    AppendTextElement(AppendElement(bike, "steering"), "joint", "Front");
    AppendTextElement(AppendElement(bike, "power"), "joint", "Rear");
    AppendTextElement(bike, "startSound", "Resources/Sounds/Game/Engine/start.wav");
    AppendTextElement(bike, "loopSound", "Resources/Sounds/Game/Engine/loop.wav");
    AppendTextElement(bike, "stopSound", "Resources/Sounds/Game/Engine/stop.wav");
    AppendFloatElement(bike, "rollSpeed", 4.0f);
    AppendFloatElement(bike, "topSpeed", 40.0f);
    AppendFloatElement(bike, "drivingTorqueRate", 40.0f);
    AppendTextElement(bike, "forkModel", std::string(kModels) + "motorcycle/fork.xml");
    AppendTextElement(bike, "forkBone", "forkBone");
    AppendTextElement(bike, "wheelModel", std::string(kModels) + "car/wheel.xml");
    AppendTextElement(bike, "wheelBone", "wheelBone");
    AppendTextElement(AppendElement(bike, "rider"), "kmfFilename",
                      std::string(kModels) + "motorcycle/rider.xml");
    AppendTextElement(bike, "parentBone", "parentBone");
    AppendTextElement(bike, "childBone", "Saddle");
    AppendTextElement(bike, "ragdollInitID", StuntYard::kRagdollRecord);
    // A launch plate throws the bike as it throws the car.
    InitDataRecords::AppendLookup(bike, SampleWorld::kLaunchMaterial, "PRIM_Launch");

    TiXmlElement* limb = InitDataRecords::AppendRecord(root, "RagdollLimb", "Entity");
    AppendTextElement(limb, "kmfFilename", std::string(kModels) + "ragdoll/limb.xml");
    AppendFloatElement(limb, "mass", 0.3f);
    // The rag doll's record names its own model: the bike's "kmfFilename" is the bike's.
    TiXmlElement* doll = InitDataRecords::AppendRecord(root, StuntYard::kRagdollRecord, "Entity");
    AppendTextElement(doll, "kmfFilename", std::string(kModels) + "ragdoll/ragdoll.xml");
    AppendFloatElement(doll, "mass", 1.0f);
    const char* const limbs[] = {"Spine", "Head", "L Thigh", "L Calf", "R Thigh", "R Calf"};
    for (const char* name : limbs)
    {
        const std::string bone = std::string("Bip01 ") + name;
        std::string id = std::string("RagdollJoint") + name;
        id.erase(std::remove(id.begin(), id.end(), ' '), id.end());
        TiXmlElement* record = InitDataRecords::AppendRecord(root, id, "Entity");
        AppendTextElement(record, "name", bone);
        TiXmlElement* joint = AppendElement(doll, "joint");
        AppendTextElement(joint, "jointClass", "kaBallJoint");
        AppendTextElement(joint, "childClass", "kaEntityPhysical");
        AppendTextElement(joint, "childInitID", "RagdollLimb");
        AppendTextElement(joint, "parentBone", bone);
        AppendTextElement(joint, "childBone", "Limb");
        AppendBoolElement(joint, "hideModel", true);
        AppendTextElement(joint, "jointInitID", id);
    }
    for (const char* name : limbs)
    {
        const std::string bone = std::string("Bip01 ") + name;
        TiXmlElement* control = AppendElement(doll, "boneControl");
        AppendTextElement(control, "boneName", bone);
        AppendTextElement(control, "jointName", bone);
    }
}

void AppendPowerUp(TiXmlElement* root, const char* id, int kind, int value, int hideTime)
{
    TiXmlElement* data = InitDataRecords::AppendModelRecord(root, id, "PowerUp", "powerup/powerup.kmf");
    AppendIntElement(data, "powerupType", kind);
    if (value > 0)
        AppendIntElement(data, "value", value);
    AppendIntElement(data, "hideTime", hideTime);
}

} // namespace

const std::vector<StuntYard::Placed>& StuntYard::Entities()
{
    // The car starts south of the middle and a little west of it, facing north (-z); the points token and
    // the launch plate lie on that straight ahead of it, and the thrown vehicle comes down on the same
    // lane well short of the north wall. The surfaces line the west side, the hard gear the east, the
    // tokens and the props the far corners; nothing stands on the lane or between it and the camera.
    static const std::vector<Placed> entities = {
        {"LaunchPlate", "LaunchPlate", "launchplate/launchplate.kmf", kStartX, 0.1f, kPlateZ},
        {"PointsToken", "PowerUp", "powerup/powerup.kmf", kStartX, 1.5f, kPlateZ + 4.0f},
        {"MudPit", "MudPit", "mudpad/mudpad.kmf", -10.0f, 0.025f, 10.0f},
        {"OilSlick", "OilSlick", "oilpad/oilpad.kmf", -10.0f, 0.025f, 0.0f},
        {"PowerGrate", "PowerGrate", "gratepad/gratepad.kmf", -10.0f, 0.025f, -10.0f},
        {"ExplosiveBarrel", "ExplosiveGear", "barrel/barrel.kmf", 10.0f, 0.6f, 10.0f},
        {"ExplosiveBarrel", "ExplosiveGear", "barrel/barrel.kmf", 11.5f, 0.6f, 10.0f},
        {"SpikeBar", "StuntGear", "crate/crate.kmf", 10.0f, 0.5f, 0.0f},
        {"TurboToken", "PowerUp", "powerup/powerup.kmf", -20.0f, 1.5f, -15.0f},
        {"MegaTurboToken", "PowerUp", "powerup/powerup.kmf", -24.0f, 1.5f, -15.0f},
        {"RepairToken", "PowerUp", "powerup/powerup.kmf", 20.0f, 1.5f, -15.0f},
        {"JumpToken", "PowerUp", "powerup/powerup.kmf", 24.0f, 1.5f, -15.0f},
        {"BallProp", "Ball", "ball/ball.kmf", 20.0f, 0.5f, 12.0f},
        {"BoxProp", "Box", "crate/crate.kmf", 23.0f, 0.5f, 12.0f},
        {"CylinderProp", "Cylinder", "cylinder/cylinder.kmf", 26.0f, 0.5f, 12.0f},
        // Held above the ground at the end of a clear run: the wheels pass under it, the bike and its rider
        // run into it.
        {"RagdollBar", "kaEntityPhysical", "crate/crate.kmf", 20.0f, 1.5f, -6.0f},
        // A lane of returning tokens east of the plate, clear of the hard gear: a run down it and back
        // pays more each time the tokens have come back.
        {"LapToken", "PowerUp", "powerup/powerup.kmf", 4.0f, 1.0f, 4.0f},
        {"LapToken", "PowerUp", "powerup/powerup.kmf", 4.0f, 1.0f, -3.0f},
        {"LapToken", "PowerUp", "powerup/powerup.kmf", 4.0f, 1.0f, -10.0f},
        {"LapToken", "PowerUp", "powerup/powerup.kmf", 4.0f, 1.0f, -17.0f},
    };
    return entities;
}

const std::vector<StuntYard::Item>& StuntYard::ShopItems()
{
    static const std::vector<Item> items = {
        {"stunt_yard.xml", "Stunt Yard", StuntYard::kVenue, 20, "ui/stuntshop/previews/stunt_yard.bmp"},
        {"explosive_barrel.xml", "Explosive Barrel", "ExplosiveBarrel", 15,
         "ui/stuntshop/previews/explosive_barrel.bmp"},
        {"box_prop.xml", "Loose Box", "BoxProp", 5, "ui/stuntshop/previews/box.bmp"},
        {"ball_prop.xml", "Loose Ball", "BallProp", 0, "ui/stuntshop/previews/ball.bmp"},
        {"motorcycle.xml", "Motorcycle", StuntYard::kMotorcycleRecord, 25,
         "ui/stuntshop/previews/motorcycle.bmp"},
    };
    return items;
}

void StuntYard::BuildRecords(TiXmlDocument& document)
{
    TiXmlElement* root = AppendElement(&document, "root");
    VenueEnvironment::Append(
        InitDataRecords::AppendVenue(root, kVenue, "arena/arena.kmf", "Stunt Yard", GameSurfaces::kTrack));

    // The track and mud throw the game's wheel particles; oil keeps little grip; the grate and the spikes
    // hurt.
    GameSurfaces::Append(root);
    AppendMaterial(root, "Oil", 0.3f, 0.0f, nullptr);
    AppendMaterial(root, "Grate", 1.0f, 2.0f, nullptr);
    AppendMaterial(root, "Spikes", 1.0f, 4.0f, nullptr);
    AppendMaterial(root, "Plate", 1.0f, 0.0f, nullptr);

    TiXmlElement* explosion = InitDataRecords::AppendRecord(root, "Explosion", "RenderState");
    AppendTextElement(explosion, "image", kExplosionTexture);
    AppendBoolElement(explosion, "alphaBlend", true);
    AppendTextElement(explosion, "blendMode", "Add");
    AppendBoolElement(explosion, "lighting", false);
    AppendBoolElement(explosion, "ZWrite", false);

    TiXmlElement* plate =
        InitDataRecords::AppendModelRecord(root, "LaunchPlate", "LaunchPlate", "launchplate/launchplate.kmf");
    AppendTextElement(plate, "launchPrim", "PRIM_LaunchPlate");
    AppendFloatElement(plate, "launchForce", kLaunchForce);
    AppendBoolElement(plate, "pinned", true);
    InitDataRecords::AppendLookup(plate, "Plate", "PRIM_LaunchPlate");

    TiXmlElement* barrel =
        InitDataRecords::AppendModelRecord(root, "ExplosiveBarrel", "ExplosiveGear", "barrel/barrel.kmf");
    AppendFloatElement(barrel, "explosionScale", 4.0f);
    AppendFloatElement(barrel, "explosionRadius", 3.0f);
    AppendFloatElement(barrel, "explosionDamage", 10.0f);
    AppendFloatElement(barrel, "explosionForce", 3000.0f);
    AppendFloatElement(barrel, "explosionThreshold", 2300.0f);
    AppendTextElement(barrel, "collisionSound", "Explosion");

    TiXmlElement* spikes =
        InitDataRecords::AppendModelRecord(root, "SpikeBar", "StuntGear", "crate/crate.kmf");
    AppendBoolElement(spikes, "pinned", true);
    InitDataRecords::AppendLookup(spikes, "Spikes", "PRIM_Crate");
    AppendHum(spikes);

    const struct
    {
        const char* id;
        const char* classType;
        const char* model;
        const char* material;
        const char* primitive;
        bool hums;
    } pads[] = {{"MudPit", "MudPit", "mudpad/mudpad.kmf", "Mud", "PRIM_MudPad", false},
                {"OilSlick", "OilSlick", "oilpad/oilpad.kmf", "Oil", "PRIM_OilPad", false},
                {"PowerGrate", "PowerGrate", "gratepad/gratepad.kmf", "Grate", "PRIM_GratePad", true}};
    for (const auto& pad : pads)
    {
        TiXmlElement* data = InitDataRecords::AppendModelRecord(root, pad.id, pad.classType, pad.model);
        AppendBoolElement(data, "pinned", true);
        InitDataRecords::AppendLookup(data, pad.material, pad.primitive);
        if (pad.hums)
            AppendHum(data);
    }

    AppendPowerUp(root, "PointsToken", 1, 100, 0);
    AppendPowerUp(root, kLapToken, 1, kLapTokenValue, kLapTokenReturn);
    AppendPowerUp(root, "TurboToken", 2, 0, 10);
    AppendPowerUp(root, "MegaTurboToken", 3, 0, 15);
    AppendPowerUp(root, "RepairToken", 4, 0, 20);
    AppendPowerUp(root, "JumpToken", 5, 0, 10);

    // A bar that throws a motorcycle's rider off.
    AppendMaterial(root, StuntYard::kSwitchMaterial, 1.0f, 0.0f, nullptr);
    TiXmlElement* bar =
        InitDataRecords::AppendModelRecord(root, "RagdollBar", "kaEntityPhysical", "crate/crate.kmf");
    AppendBoolElement(bar, "pinned", true);
    InitDataRecords::AppendLookup(bar, StuntYard::kSwitchMaterial, "PRIM_Crate");
    AppendMotorcycleRecords(root);

    InitDataRecords::AppendModelRecord(root, "BallProp", "Ball", "ball/ball.kmf");
    InitDataRecords::AppendModelRecord(root, "BoxProp", "Box", "crate/crate.kmf");
    InitDataRecords::AppendModelRecord(root, "CylinderProp", "Cylinder", "cylinder/cylinder.kmf");
}

void StuntYard::BuildCourse(TiXmlDocument& document)
{
    TiXmlElement* world = SampleWorld::AppendCourseHeader(
        document, {kTimeLimit, kScoreLimit, "Stunt Yard", kRepFactor, kVenue,
                   "Every piece of stunt gear, every power-up and every loose prop.", kStartZ, kStartX});
    // Lit as the proving ground is: without a sun the yard is all but black.
    SampleWorld::AppendDaylight(world);
    TiXmlElement* list = AppendElement(world, "Entities");

    auto append = [list](const std::string& record, const std::string& name, const std::string& type, int id,
                         const std::string& model, float x, float y, float z)
    { WorldKeys::AppendModel(list, record, name, type, id, std::string(kModels) + model, x, y, z); };
    append("", "SpawnPoint", "kaSpawnPoint", kSpawnPointId, "cylinder/cylinder.kmf", kStartX, 0.0f, kStartZ);
    int id = kSpawnPointId;
    for (const Placed& placed : Entities())
    {
        ++id;
        append(placed.record, std::string(placed.record) + std::to_string(id), placed.type, id, placed.model,
               placed.x, placed.y, placed.z);
    }
}

bool StuntYard::WriteAll()
{
    TiXmlDocument records;
    BuildRecords(records);
    TiXmlDocument course;
    BuildCourse(course);
    bool ok = _Write(kInitDataFile, records) && _Write(kCourseFile, course);
    // The motorcycle as the vehicle screen lists it.
    TiXmlDocument bike;
    WorldKeys::BuildVehicleListing(bike, kMotorcycleRecord, kMotorcyclePicture);
    ok = ok && _Write(kMotorcycleFile, bike);
    for (const Item& item : ShopItems())
    {
        TiXmlDocument document;
        TiXmlElement* root = AppendElement(&document, "ShopItem");
        AppendTextElement(root, "name", item.name);
        AppendTextElement(root, "preview_image", item.preview);
        AppendTextElement(root, "locked_entity", item.locked);
        AppendIntElement(root, "price", item.price);
        ok = ok && _Write(std::string(kShopFolder) + item.file, document);
    }
    return ok;
}

bool StuntYard::_Write(const std::string& relative, const TiXmlDocument& document)
{
    return WorldKeys::Write(m_Root, relative, document);
}
