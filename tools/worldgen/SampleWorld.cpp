#include "tools/worldgen/SampleWorld.h"

#include "engine/core/kaXmlHelpers.h"
#include "platform/files/Files.h"
#include "tools/terraingen/DecalContent.h"
#include "tools/terraingen/EnvironmentContent.h"
#include "tools/terraingen/TerrainSamples.h"
#include "tools/worldgen/GameSurfaces.h"
#include "tools/worldgen/InitDataRecords.h"
#include "tools/worldgen/StuntYard.h"
#include "tools/worldgen/VenueEnvironment.h"
#include "tools/worldgen/WorldKeys.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace
{

const char* const kModels = InitDataRecords::kModelFolder;

struct Record
{
    const char* id;
    const char* model;
    // Static geometry: pinned, it has no body.
    bool pinned;
    // The surface of its primitive, if any.
    const char* material = nullptr;
    const char* primitive = nullptr;
};
// Physical props: the records, applied over the course's blocks as the world loads, pin the ramp.
const char* const kPropClass = "kaEntityPhysical";
const Record kRecords[] = {{"Ramp", "ramp/ramp.kmf", true, "Tarmac", "PRIM_Ramp"},
                           {"Crate", "crate/crate.kmf", false},
                           {"Ball", "ball/ball.kmf", false}};

// The size and FNV-1a digest of each version of the sample course that earlier generators wrote to
// SampleWorld::kFormerCourseFile.
struct FormerCourse
{
    size_t size;
    uint64_t digest;
};
const FormerCourse kFormerCourses[] = {{2604, 0x4334716cabd007b8ull},
                                       {6109, 0x14bd2395f3ebe872ull},
                                       {6124, 0xcc4457d34c808274ull},
                                       {6139, 0x986a9a8773ee5236ull}};
// Larger than any of them.
const size_t kFormerCourseLimit = 65536;

bool IsFormerCourse(const std::string& bytes)
{
    uint64_t digest = 14695981039346656037ull;
    for (const char c : bytes)
    {
        digest ^= static_cast<unsigned char>(c);
        digest *= 1099511628211ull;
    }
    for (const FormerCourse& former : kFormerCourses)
        if (former.size == bytes.size() && former.digest == digest)
            return true;
    return false;
}

std::string Print(const TiXmlDocument& document)
{
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

// The block a model entity writes of itself: the base keys, its model, its rotation and place.
void AppendEntity(TiXmlElement* entities, const SampleWorld::Placed& placed)
{
    std::string model;
    for (const Record& record : kRecords)
    {
        if (placed.record == record.id)
            model = std::string(kModels) + record.model;
    }
    WorldKeys::AppendModel(entities, placed.record, placed.name, kPropClass, placed.id, model, placed.x,
                           placed.y, placed.z);
}

// The course's start: east of the props, facing west along the ball and the crate with the chase camera
// inside the arena's east wall. Scenery and a lamp post carrying a sign stand beside the props.
constexpr float kStartX = 12.0f;
constexpr float kStartZ = 6.0f;
constexpr float kLampX = 4.0f;
constexpr float kLampZ = -6.0f;
// Where the lamp post's bone sits above its foot.
constexpr float kLampHeight = 4.0f;

enum SceneryId
{
    kSpawnPointId = 4,
    kTreeId,
    kLampPostId,
    kSignId,
    kHangerId,
};

// The sparks the lamp post throws, the glow around its lamp, the post itself and the sign it carries.
void AppendSceneryRecords(TiXmlElement* root)
{
    const InitDataRecords::Particles sparks = {
        "kaParticleEmitter", 40, 1.2f, 20.0f, 1.5f, 2.0f, 0.08f, 0.03f, {255, 240, 160, 255},
        {255, 80, 20, 0}};
    InitDataRecords::AppendEmitter(root, "Sparks", sparks);

    TiXmlElement* glow = InitDataRecords::AppendRecord(root, "LampGlow", "RenderState");
    // Faded by the picture's alpha: its colour is the same all over.
    AppendTextElement(glow, "image", "resources/particles/spark.tga");

    TiXmlElement* post =
        InitDataRecords::AppendModelRecord(root, "LampPost", "EntityModel", "lamppost/lamppost.xml");
    TiXmlElement* emitter = AppendElement(post, "emitter");
    AppendTextElement(emitter, "emitterInitID", "Sparks");
    AppendTextElement(emitter, "bone", "Lamp");
    TiXmlElement* billboard = AppendElement(post, "billboard");
    AppendTextElement(billboard, "renderStateID", "LampGlow");
    AppendFloatElement(billboard, "scale", 1.2f);
    AppendTextElement(billboard, "bone", "Lamp");

    InitDataRecords::AppendModelRecord(root, "Sign", "EntityModel", "sign/sign.xml");
}

// The start, a tree, the lamp post with the sign hung on its lamp by an attacher; the attacher's link
// lives in the entity states, which the course keeps.
void AppendScenery(TiXmlElement* world)
{
    TiXmlElement* entities = world->FirstChildElement("Entities");
    WorldKeys::AppendModel(entities, "", "SpawnPoint", "kaSpawnPoint", kSpawnPointId,
                           std::string(kModels) + "cylinder/cylinder.kmf", kStartX, 0.0f, kStartZ,
                           SampleWorld::kFacingWest);
    TiXmlElement* tree = WorldKeys::AppendBase(entities, "", "Tree", "EntityTree", kTreeId);
    AppendTextElement(tree, "filename", "resources/trees/tree.tga");
    AppendFloatElement(tree, "scale", 0.05f);
    TiXmlElement* treePosition = AppendElement(tree, "position");
    AppendFloatElement(treePosition, "x", -8.0f);
    AppendFloatElement(treePosition, "z", 10.0f);
    WorldKeys::AppendModel(entities, "LampPost", "LampPost", "EntityModel", kLampPostId,
                           std::string(kModels) + "lamppost/lamppost.xml", kLampX, 0.0f, kLampZ);
    WorldKeys::AppendModel(entities, "Sign", "Sign", "EntityModel", kSignId,
                           std::string(kModels) + "sign/sign.xml", kLampX, kLampHeight, kLampZ);
    WorldKeys::AppendBase(entities, "", "SignHanger", "kaEntityAttacher", kHangerId);

    TiXmlElement* states = AppendElement(world, "EntitiesStates");
    for (const TiXmlElement* entity = entities->FirstChildElement("Entity"); entity;
         entity = entity->NextSiblingElement("Entity"))
    {
        const int id = GetChildElementInt("entityID", entity);
        TiXmlElement* state = AppendElement(states, "Entity");
        AppendIntElement(state, "entityID", id);
        if (id != kHangerId)
            continue;
        AppendIntElement(state, "entityID1", kLampPostId);
        AppendTextElement(state, "boneName1", "Lamp");
        AppendIntElement(state, "entityID2", kSignId);
        AppendTextElement(state, "boneName2", "Hook");
    }
}

// The launch surface reaches below the wheels to meet a plate they ride on: it reports its touches but
// holds nothing up.
void AppendLaunchPassThrough(TiXmlElement* root)
{
    TiXmlElement* record = root->LastChild("initData")->ToElement();
    AppendBoolElement(record->FirstChildElement("data"), "passThrough", true);
}

// A car record: four wheels of that record on the named joints, the front steered, the rear driven, the
// engine's sounds. Returns its data for more keys.
TiXmlElement* AppendCar(TiXmlElement* root, const char* id, const char* classType, const char* model,
                        const char* wheelClass, const char* wheelRecord, float mass)
{
    const struct
    {
        const char* joint;
        const char* bone;
        bool front;
    } wheels[] = {{"FrontLeft", "HubFL", true},
                  {"FrontRight", "HubFR", true},
                  {"RearLeft", "HubRL", false},
                  {"RearRight", "HubRR", false}};
    TiXmlElement* car = InitDataRecords::AppendModelRecord(root, id, classType, model);
    AppendFloatElement(car, "mass", mass);
    for (const auto& w : wheels)
        InitDataRecords::AppendWheelJoint(car, wheelClass, wheelRecord, w.bone,
                                          std::string("CarJoint") + w.joint);
    for (const auto& w : wheels)
        AppendTextElement(AppendElement(car, w.front ? "steering" : "power"), "joint", w.joint);
    for (const auto& w : wheels)
    {
        TiXmlElement* bone = AppendElement(car, "wheelEmitterBone");
        AppendTextElement(bone, "wheelName", w.joint);
        AppendTextElement(bone, "boneName", w.bone);
    }
    AppendTextElement(car, "startSound", SampleWorld::kEngineStartSound);
    AppendTextElement(car, "loopSound", SampleWorld::kEngineLoopSound);
    AppendTextElement(car, "stopSound", SampleWorld::kEngineStopSound);
    return car;
}

void AppendChargerRecords(TiXmlElement* root);

// The sample car: a body on four wheels, the front ones steered and the rear ones driven; its joints'
// suspension, its tyres, the surfaces it drives on and the particles they throw.
void AppendVehicleRecords(TiXmlElement* root)
{
    InitDataRecords::AppendWheelEmitter(root, "DirtDust", "kaWheelEmitter", 40.0f, 1.5f, 0.15f, 150, 120, 80);
    InitDataRecords::AppendWheelEmitter(root, "DirtSpray", "kaWheelEmitter", 30.0f, 2.5f, 0.1f, 120, 90, 60);
    InitDataRecords::AppendWheelEmitter(root, "TarmacGrit", "kaWheelEmitter", 10.0f, 0.5f, 0.05f, 90, 90, 90);
    InitDataRecords::AppendWheelEmitter(root, "TarmacSmoke", "kaWheelEmitter", 30.0f, 0.8f, 0.2f, 220, 220,
                                        220);
    InitDataRecords::AppendSurface(root, SampleWorld::kDirt, 1.0f, "DirtDust", "DirtSpray");
    InitDataRecords::AppendSurface(root, SampleWorld::kTarmac, 1.0f, "TarmacGrit", "TarmacSmoke");
    InitDataRecords::AppendSurface(root, "Tyre", 1.0f, nullptr, nullptr);

    // Suspension: stiff enough to carry the body within a few centimetres, soft enough not to bounce.
    TiXmlElement* front = InitDataRecords::AppendRecord(root, "CarFrontJoint", "Entity");
    AppendFloatElement(front, "suspensionERP", 0.4f);
    AppendFloatElement(front, "suspensionCFM", 0.01f);
    AppendFloatElement(front, "lowStop", -0.76f);
    AppendFloatElement(front, "highStop", 0.76f);
    TiXmlElement* rear = InitDataRecords::AppendRecord(root, "CarRearJoint", "Entity");
    AppendFloatElement(rear, "suspensionERP", 0.4f);
    AppendFloatElement(rear, "suspensionCFM", 0.01f);
    // The rear wheels do not steer.
    AppendFloatElement(rear, "lowStop", 0.0f);
    AppendFloatElement(rear, "highStop", 0.0f);

    InitDataRecords::AppendWheelRecord(root, SampleWorld::kWheelRecord, "kaWheel");
    AppendCar(root, SampleWorld::kCarRecord, "kaVehicle", "car/car.xml", "kaWheel", SampleWorld::kWheelRecord,
              2.0f);
    // The joints every car hangs its wheels on, by name.
    for (const char* joint : {"FrontLeft", "FrontRight", "RearLeft", "RearRight"})
        InitDataRecords::AppendNamedJoint(root, std::string("CarJoint") + joint,
                                          joint[0] == 'F' ? "CarFrontJoint" : "CarRearJoint", joint);
    AppendChargerRecords(root);
}

// An emitter the game's vehicle carries on a bone: exhaust fumes or damage smoke.
void AppendVehicleEmitter(TiXmlElement* root, const char* id, float rate, float speed, float size, int grey)
{
    const InitDataRecords::Particles particles = {
        "kaParticleEmitter",  80, 1.2f, rate, speed, 0.5f, size, size * 4.0f, {grey, grey, grey, 200},
        {grey, grey, grey, 0}};
    TiXmlElement* data = InitDataRecords::AppendEmitter(root, id, particles);
    InitDataRecords::AppendGravity(data, 0.0f, 0.5f, 0.0f);
}

// The default vehicle: the sample car as the game's vehicle on game wheels, with exhaust at its pipe,
// smoke at three places that damage lights, and a launch plate's surface under its floor.
void AppendChargerRecords(TiXmlElement* root)
{
    InitDataRecords::AppendSurface(root, SampleWorld::kLaunchMaterial, 1.0f, nullptr, nullptr);
    AppendLaunchPassThrough(root);
    AppendVehicleEmitter(root, SampleWorld::kChargerExhaust, 20.0f, 1.0f, 0.1f, 150);
    AppendVehicleEmitter(root, SampleWorld::kChargerSmoke, 40.0f, 2.0f, 0.3f, 50);
    InitDataRecords::AppendWheelRecord(root, SampleWorld::kChargerWheelRecord, "tvWheel");
    // Heavy enough that a hard knock passes the game's damage threshold, with the drive scaled to match.
    TiXmlElement* car = AppendCar(root, SampleWorld::kChargerRecord, "tvVehicle", "car/charger.xml",
                                  "tvWheel", SampleWorld::kChargerWheelRecord, 8.0f);
    AppendFloatElement(car, "acceleration", 13.0f);
    TiXmlElement* exhaust = AppendElement(car, "exhaustEmitter");
    AppendTextElement(exhaust, "emitterInitID", SampleWorld::kChargerExhaust);
    AppendTextElement(exhaust, "bone", "Exhaust");
    TiXmlElement* smoke = AppendElement(car, "damageEmitter");
    AppendTextElement(smoke, "emitterInitID", SampleWorld::kChargerSmoke);
    for (const char* bone : {"SmokeEngine", "SmokeCabin", "SmokeBoot"})
        AppendTextElement(smoke, "bone", bone);
    InitDataRecords::AppendLookup(car, SampleWorld::kLaunchMaterial, "PRIM_Launch");
}

// Water, sky box and sun, keyed in the order the world writes them.
void AppendEnvironment(TiXmlElement* world)
{
    TiXmlElement* water = AppendElement(world, "WaterPlane");
    AppendTextElement(water, "effect", "resources\\fx\\shaders\\water\\water_PS20_11.fx");
    AppendFloatElement(water, "level", SampleWorld::kWaterLevel);
    AppendFloatElement(water, "min_level", 10.0f);
    AppendFloatElement(water, "max_level", 60.0f);

    WorldKeys::AppendCloudPlane(WorldKeys::AppendSkybox(world), SampleWorld::kCloudHeight,
                                SampleWorld::kCloudSpeed);
    TiXmlElement* sun = WorldKeys::AppendSun(world, {SampleWorld::kSunPosition,
                                                     SampleWorld::kSunAxisTilt,
                                                     0.5f,
                                                     {1.0f, 0.95f, 0.85f},
                                                     {0.5f, 0.5f, 0.55f}});
    WorldKeys::AppendFlares(
        sun, {{EnvironmentContent::kFlareGlow, 2.0f, 1.5f}, {EnvironmentContent::kFlareRing, -1.0f, 1.5f}});
}

// A road along X, one along Z and a forest marker, keyed as the decals write themselves.
void AppendDecals(TiXmlElement* entities)
{
    const std::string folder = DecalContent::kDecalFolder;
    for (const SampleWorld::Decal& decal : SampleWorld::SampleDecals())
    {
        const bool road = decal.type.empty();
        TiXmlElement* entity = WorldKeys::AppendBase(entities, "", road ? "Road" : "TerrainMarker",
                                                     road ? "Road" : "TerrainMarker", decal.id);
        AppendTextElement(entity, "texture", folder + (road ? DecalContent::kRoad : DecalContent::kMarker));
        AppendTextElement(entity, "handleTexture",
                          folder + (road ? DecalContent::kHandle : DecalContent::kBlueHandle));
        TiXmlElement* start = AppendElement(entity, "startCorner");
        AppendIntElement(start, "x", decal.x1);
        AppendIntElement(start, "z", decal.z1);
        TiXmlElement* end = AppendElement(entity, "endCorner");
        AppendIntElement(end, "x", decal.x2);
        AppendIntElement(end, "z", decal.z2);
        AppendBoolElement(entity, "showDecal", true);
        AppendBoolElement(entity, "showHandles", false);
        AppendIntElement(entity, "rotation", decal.rotation);
        AppendFloatElement(entity, "widthScale", 0.25f);
        AppendFloatElement(entity, "lengthScale", 0.25f);
        if (!road)
            AppendTextElement(entity, "terrainType", decal.type);
    }
}

} // namespace

std::vector<SampleWorld::Decal> SampleWorld::SampleDecals()
{
    return {
        {1, 40, 100, 140, 104, 90, ""}, {2, 160, 30, 164, 130, 0, ""}, {3, 180, 160, 220, 200, 0, "Forest"}};
}

std::vector<SampleWorld::Placed> SampleWorld::SampleEntities()
{
    return {{"Ramp", "Ramp", 1, 0.0f, 0.0f, -2.0f},
            {"Crate", "Crate", 2, -6.0f, 0.5f, 6.0f},
            {"Ball", "Ball", 3, 6.0f, 0.5f, 6.0f}};
}

std::string SampleWorld::CourseText(const std::vector<Placed>& entities)
{
    TiXmlDocument document;
    BuildCourse(document, entities);
    return Print(document);
}

void SampleWorld::BuildCourse(TiXmlDocument& document, const std::vector<Placed>& entities)
{
    TiXmlElement* world = AppendElement(&document, "World");
    AppendTextElement(world, "arena", kVenue);
    AppendTextElement(world, "name", "Sample Course");
    AppendTextElement(world, "preview", "");
    AppendTextElement(world, "description", "A ramp, a crate and a ball in the sample arena.");
    WorldKeys::AppendStart(world, 0.0f, -16.0f);
    TiXmlElement* list = AppendElement(world, "Entities");
    for (const Placed& placed : entities)
        AppendEntity(list, placed);
}

void SampleWorld::BuildTerrainCourse(TiXmlDocument& document, bool layered)
{
    const TerrainSamples::MapSize& map = TerrainSamples::kMapSizes[0];
    TiXmlElement* world = AppendElement(&document, "World");
    AppendTextElement(world, "name", layered ? "Layered Terrain" : "Single Layer Terrain");
    AppendTextElement(world, "preview", "");
    AppendTextElement(world, "description",
                      layered ? "Hills under grass, rock and sand."
                              : "Hills under one picture in four colours.");
    WorldKeys::AppendStart(world, kTerrainSide * 0.5f, kTerrainSide * 0.5f);
    TiXmlElement* terrain = WorldKeys::AppendTerrain(world, map, kTerrainSide, kTerrainHeight);
    if (layered)
    {
        // Grass everywhere, rock rising along X over it, sand over the low half of the columns.
        const struct
        {
            TerrainSamples::MaskKind mask;
            const char* tile;
        } layers[] = {{TerrainSamples::MaskKind::Full, "grass"},
                      {TerrainSamples::MaskKind::Ramp, "rock"},
                      {TerrainSamples::MaskKind::Half, "sand"}};
        TiXmlElement* list = AppendElement(terrain, "terrainLayers");
        for (const auto& layer : layers)
            WorldKeys::AppendTerrainLayer(list, layer.mask, map, layer.tile, 8.0f);
        AppendTextElement(terrain, "edgePanels", "");
    }
    else
    {
        TiXmlElement* single = AppendElement(terrain, "singleLayer");
        AppendTextElement(single, "baseTexture", TerrainSamples::BasePath(256));
        AppendTextElement(single, "detailTexture", TerrainSamples::TilePath(TerrainSamples::kDetailName));
        AppendFloatElement(single, "detailTexStretch", 12.0f);
        AppendTextElement(terrain, "edgePanels", TerrainSamples::TilePath("rock"));
    }
    if (layered)
        AppendEnvironment(world);
    TiXmlElement* entities = AppendElement(world, "Entities");
    if (layered)
        AppendDecals(entities);
    // The start on the ground in the middle, after the decals' identifiers.
    const int spawnId = layered ? int(SampleDecals().size()) + 1 : 1;
    WorldKeys::AppendModel(entities, "", "SpawnPoint", "kaSpawnPoint", spawnId,
                           std::string(kModels) + "cylinder/cylinder.kmf", kTerrainSide * 0.5f,
                           CentreGroundHeight(map, kTerrainHeight), kTerrainSide * 0.5f);
}

float SampleWorld::CentreGroundHeight(const TerrainSamples::MapSize& map, float height)
{
    // The terrain lifts every sample by its floor; the middle sample of an odd-sided map lies under the
    // middle of the course.
    constexpr float kHeightFloor = 10.0f;
    const uint32_t middle = (map.side - 1) / 2;
    return kHeightFloor + float(TerrainSamples::HeightSample(middle, middle, map.side)) / 255.0f * height;
}

std::vector<std::string> SampleWorld::CareerLevels()
{
    // As the screens set level paths: the game's separators.
    // The stunt yard is the shop's: the career's last level is a course of its own on the open arena.
    return {"Worlds\\proving_ground.xml", "Worlds\\token_arena.xml", "Worlds\\gear_run.xml"};
}

void SampleWorld::BuildProvingGroundRecords(TiXmlDocument& document)
{
    TiXmlElement* root = AppendElement(&document, "root");
    TiXmlElement* venue = InitDataRecords::AppendVenue(
        root, kProvingGroundVenue, "provingground/provingground.kmf", "Proving Ground", GameSurfaces::kTrack);
    // A new course built on the proving ground takes its sky from here, as on every venue.
    VenueEnvironment::Append(venue);
    TiXmlElement* levels = InitDataRecords::AppendRecord(root, kCareerLevelsRecord, kCareerLevelsRecord);
    for (const std::string& level : CareerLevels())
        AppendTextElement(levels, "Level", level);
}

void SampleWorld::BuildProvingGround(TiXmlDocument& document)
{
    TiXmlElement* world = AppendCourseHeader(
        document, {kProvingGroundTimeLimit, kProvingGroundScoreLimit, "Proving Ground", kProvingGroundRepFactor,
                   kProvingGroundVenue, "A walled strip with an open end: drive off and start again.",
                   kProvingGroundStartZ});
    AppendDaylight(world);
    TiXmlElement* entities = AppendElement(world, "Entities");
    WorldKeys::AppendModel(entities, "", "SpawnPoint", "kaSpawnPoint", 1,
                           std::string(kModels) + "cylinder/cylinder.kmf", 0.0f, 0.0f, kProvingGroundStartZ);
    AppendProvingGroundGear(entities);
}

TiXmlElement* SampleWorld::AppendCourseHeader(TiXmlDocument& document, const CourseHeader& header)
{
    TiXmlElement* world = AppendElement(&document, "World");
    AppendIntElement(world, "timeLimit", header.timeLimit);
    AppendIntElement(world, "scoreLimit", header.scoreLimit);
    AppendTextElement(world, "levelName", header.name);
    AppendFloatElement(world, "repPointFactor", header.repFactor);
    // After the course's rules, where a course saved by the game holds it.
    AppendTextElement(world, "Designer", kDesigner);
    AppendTextElement(world, "arena", header.venue);
    AppendTextElement(world, "name", header.name);
    AppendTextElement(world, "preview", "");
    AppendTextElement(world, "description", header.description);
    WorldKeys::AppendStart(world, header.startX, header.startZ, header.startYaw);
    return world;
}

void SampleWorld::AppendDaylight(TiXmlElement* world)
{
    WorldKeys::AppendSkybox(world);
    WorldKeys::AppendSun(world, {0.3f, kSunAxisTilt, 0.5f, {1.0f, 0.95f, 0.85f}, {0.5f, 0.5f, 0.55f}});
}

void SampleWorld::AppendProvingGroundGear(TiXmlElement* entities)
{
    // The stunt gear's records: held straight on, the car takes the token and crosses the plate.
    WorldKeys::AppendModel(entities, "PointsToken", "PointsToken", "PowerUp", kProvingGroundTokenId,
                           std::string(kModels) + "powerup/powerup.kmf", 0.0f, kProvingGroundTokenY,
                           kProvingGroundTokenZ);
    WorldKeys::AppendModel(entities, "LaunchPlate", "LaunchPlate", "LaunchPlate", kProvingGroundPlateId,
                           std::string(kModels) + "launchplate/launchplate.kmf", 0.0f, 0.1f,
                           kProvingGroundPlateZ);
    // Past the plate's landing, returning tokens down to the open end: each lap, from the respawn at the
    // start, pays them again.
    int id = kProvingGroundPlateId;
    for (float z : kProvingGroundLapZ)
    {
        ++id;
        WorldKeys::AppendModel(entities, StuntYard::kLapToken, StuntYard::kLapToken + std::to_string(id),
                               "PowerUp", id, std::string(kModels) + "powerup/powerup.kmf", 0.0f,
                               kProvingGroundTokenY, z);
    }
}

void SampleWorld::BuildTokenArena(TiXmlDocument& document)
{
    TiXmlElement* world = AppendCourseHeader(
        document,
        {kTokenArenaTimeLimit, kTokenArenaScoreLimit, "Token Arena", kProvingGroundRepFactor, kVenue,
         "A lane of tokens down the arena and two more in the far corners: turn back for them.", 0.0f,
         kTokenArenaStartX, kFacingWest});
    AppendDaylight(world);
    TiXmlElement* entities = AppendElement(world, "Entities");
    int id = 1;
    WorldKeys::AppendModel(entities, "", "SpawnPoint", "kaSpawnPoint", id,
                           std::string(kModels) + "cylinder/cylinder.kmf", kTokenArenaStartX, 0.0f, 0.0f,
                           kFacingWest);
    const std::string token = std::string(kModels) + "powerup/powerup.kmf";
    for (float x : kTokenArenaLaneX)
    {
        ++id;
        WorldKeys::AppendModel(entities, StuntYard::kLapToken, StuntYard::kLapToken + std::to_string(id),
                               "PowerUp", id, token, x, kProvingGroundTokenY, 0.0f);
    }
    for (float z : {-kTokenArenaCornerZ, kTokenArenaCornerZ})
    {
        ++id;
        WorldKeys::AppendModel(entities, "PointsToken", "PointsToken" + std::to_string(id), "PowerUp", id,
                               token, kTokenArenaCornerX, kProvingGroundTokenY, z);
    }
}

bool SampleWorld::WriteAll()
{
    TiXmlDocument records;
    TiXmlElement* root = AppendElement(&records, "root");
    // The floor is dirt; the ramp, below, tarmac.
    VenueEnvironment::Append(InitDataRecords::AppendVenue(root, kVenue, "arena/arena.kmf", "Arena", kDirt));
    for (const Record& record : kRecords)
    {
        TiXmlElement* data = InitDataRecords::AppendModelRecord(root, record.id, kPropClass, record.model);
        if (record.pinned)
            AppendBoolElement(data, "pinned", true);
        if (record.material)
            InitDataRecords::AppendLookup(data, record.material, record.primitive);
    }
    AppendSceneryRecords(root);
    AppendVehicleRecords(root);
    TiXmlDocument course;
    BuildCourse(course, SampleEntities());
    AppendScenery(course.FirstChildElement("World"));
    TiXmlDocument layered;
    BuildTerrainCourse(layered, true);
    TiXmlDocument single;
    BuildTerrainCourse(single, false);
    // The default vehicle as the vehicle screen lists it.
    TiXmlDocument charger;
    WorldKeys::BuildVehicleListing(charger, kChargerRecord, kChargerPicture);
    TiXmlDocument proving;
    BuildProvingGround(proving);
    TiXmlDocument provingRecords;
    BuildProvingGroundRecords(provingRecords);
    TiXmlDocument tokenArena;
    BuildTokenArena(tokenArena);
    return _Write(kInitDataFile, records) && _Write(kCourseFile, course) && _Write(kChargerFile, charger) &&
           _Write(kLayeredCourseFile, layered) && _Write(kSingleLayerCourseFile, single) &&
           _Write(kProvingGroundFile, proving) && _Write(kProvingGroundRecords, provingRecords) &&
           _Write(kTokenArenaFile, tokenArena) && _RemoveFormerCourse();
}

bool SampleWorld::_RemoveFormerCourse() const
{
    // Anything else of that name, a link among them, is a course of the user's own.
    const std::filesystem::path former = std::filesystem::path(m_Root) / kFormerCourseFile;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(former, error);
    if (error || !std::filesystem::is_regular_file(status))
        return true;
    std::string bytes;
    if (!platform::ReadWholeFile(former.string(), bytes, kFormerCourseLimit) || !IsFormerCourse(bytes))
        return true;
    std::filesystem::remove(former, error);
    return !error;
}

bool SampleWorld::_Write(const std::string& relative, const TiXmlDocument& document)
{
    return WorldKeys::Write(m_Root, relative, document);
}
