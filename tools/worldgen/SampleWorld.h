#pragma once

#include "tools/terraingen/TerrainSamples.h"

#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

// Writes the sample init data (the venue and the entity records) and the sample course under a root
// folder, the same bytes on every run. The course is written as the world saves it, so that loading
// and saving it again changes nothing.
class SampleWorld
{
public:
    static constexpr const char* kInitDataFile = "InitData/SampleWorld.xml";
    // With the editor's worlds: it has no rules to play by, so the game's course lists leave it out.
    static constexpr const char* kCourseFile = "Worlds/Editor/Sample Course.xml";
    // Where installs generated before kept it; a rerun takes that copy out of the course list, but only a
    // file whose bytes are what an earlier generator wrote there: anything else is a user's own course.
    static constexpr const char* kFormerCourseFile = "Worlds/Sample Course.xml";
    static constexpr const char* kVenue = "SampleArena";
    // Two courses of bare ground from the sample terrain content: three masked layers, and one base image
    // under a detail texture framed by edge panels.
    // Worlds for the editor, kept out of the game's course list with its opening course.
    static constexpr const char* kLayeredCourseFile = "Worlds/Editor/Layered Terrain.xml";
    static constexpr const char* kSingleLayerCourseFile = "Worlds/Editor/Single Layer Terrain.xml";
    static constexpr float kTerrainSide = 512.0f;
    // The proving ground: a timed course on a walled strip whose one open end drops into a respawn
    // trigger, with the career's course list beside it.
    static constexpr const char* kProvingGroundFile = "Worlds/proving_ground.xml";
    static constexpr const char* kProvingGroundRecords = "InitData/ProvingGround.xml";
    static constexpr const char* kProvingGroundVenue = "ProvingGround";
    static constexpr int kProvingGroundTimeLimit = 30;
    static constexpr int kProvingGroundScoreLimit = 100;
    static constexpr float kProvingGroundRepFactor = 0.1f;
    // The start, near the closed end, facing the open one (the cars' front is -z): far enough from the
    // end wall (inside z = 59) that the chase camera, 16 m behind, stands on the strip.
    static constexpr float kProvingGroundStartZ = 41.0f;
    // On the straight ahead of the spawn (the car faces -z): a points token, then a launch plate.
    static constexpr float kProvingGroundTokenZ = 33.0f;
    static constexpr float kProvingGroundTokenY = 1.0f;
    static constexpr float kProvingGroundPlateZ = 23.0f;
    static constexpr int kProvingGroundTokenId = 2;
    static constexpr int kProvingGroundPlateId = 3;
    static constexpr float kProvingGroundLapZ[] = {-4.0f, -19.0f, -34.0f, -49.0f};
    // The second career level, down the sample arena's long axis (its walls stand inside x = +-31 and
    // z = +-23): the start near the east wall facing west, a lane of returning tokens from there to the
    // far wall, and a one-off token in each far corner.
    static constexpr const char* kTokenArenaFile = "Worlds/token_arena.xml";
    static constexpr int kTokenArenaTimeLimit = 45;
    static constexpr int kTokenArenaScoreLimit = 150;
    static constexpr float kTokenArenaStartX = 12.0f;
    static constexpr float kTokenArenaLaneX[] = {4.0f, -4.0f, -12.0f, -20.0f};
    static constexpr float kTokenArenaCornerX = -24.0f;
    static constexpr float kTokenArenaCornerZ = 16.0f;
    // A start turned this far about +y faces west (-x).
    static constexpr float kFacingWest = 1.5707964f;
    static constexpr const char* kCareerLevelsRecord = "CareerLevels";
    // The studio, named as the designer of every course it ships.
    static constexpr const char* kDesigner = "Kalder Arts";
    static constexpr float kTerrainHeight = 100.0f;
    // The layered course's sky: a sun half-way up the sky over +X with two flare layers, one cloud plane,
    // and water over the lowest corner.
    static constexpr float kSunPosition = 0.375f;
    static constexpr float kSunAxisTilt = 0.5f;
    static constexpr float kCloudHeight = 90.0f;
    static constexpr float kCloudSpeed = 0.5f;
    static constexpr float kWaterLevel = 22.0f;
    static constexpr const char* kCarRecord = "SampleCar";
    static constexpr const char* kWheelRecord = "SampleWheel";
    // The default vehicle: its record, wheel, emitters, its launch plate's surface and its vehicle file.
    static constexpr const char* kChargerRecord = "Charger";
    static constexpr const char* kChargerWheelRecord = "ChargerWheel";
    static constexpr const char* kChargerExhaust = "ChargerExhaust";
    static constexpr const char* kChargerSmoke = "ChargerSmoke";
    static constexpr const char* kLaunchMaterial = "Launch";
    static constexpr const char* kChargerFile = "data/vehicles/charger.xml";
    // Written by imagetool's sample images.
    static constexpr const char* kChargerPicture = "UI/vehicles/charger.bmp";
    static constexpr const char* kDirt = "Dirt";
    static constexpr const char* kTarmac = "Tarmac";
    // The engine's three parts, written with the game's other sounds.
    static constexpr const char* kEngineStartSound = "Resources/Sounds/Game/Engine/start.wav";
    static constexpr const char* kEngineLoopSound = "Resources/Sounds/Game/Engine/loop.wav";
    static constexpr const char* kEngineStopSound = "Resources/Sounds/Game/Engine/stop.wav";

    // One model entity of the course: its init record, name, identifier and place.
    struct Placed
    {
        std::string record;
        std::string name;
        int id;
        float x, y, z;
    };

    // A road (no type) or terrain marker of the layered course: identifier, cells, texture rotation.
    struct Decal
    {
        int id;
        int x1, z1, x2, z2;
        int rotation;
        std::string type;
    };
    static std::vector<Decal> SampleDecals();

    explicit SampleWorld(const std::string& root) : m_Root(root) {}

    bool WriteAll();
    // A course on the sample venue holding these entities, as text.
    static std::string CourseText(const std::vector<Placed>& entities);
    static void BuildCourse(TiXmlDocument& document, const std::vector<Placed>& entities);
    // A course whose ground is the 257-sample map, layered or single-layer.
    static void BuildTerrainCourse(TiXmlDocument& document, bool layered);
    // The ground's height under the middle of a course whose terrain spans this map at that height.
    static float CentreGroundHeight(const TerrainSamples::MapSize& map, float height);
    // The ramp, the crate and the ball at their fixed spots.
    static std::vector<Placed> SampleEntities();
    static void BuildProvingGround(TiXmlDocument& document);
    static void BuildTokenArena(TiXmlDocument& document);
    // The sample sky box and a sun lighting an open course from high up, as a course's keys.
    static void AppendDaylight(TiXmlElement* world);
    // A timed course's keys, first in the file as the game's world writes them, and its start on the
    // venue's centre line; the world element they open.
    struct CourseHeader
    {
        int timeLimit;
        int scoreLimit;
        const char* name;
        float repFactor;
        const char* venue;
        const char* description;
        float startZ;
        float startX = 0.0f;
        float startYaw = 0.0f;
    };
    static TiXmlElement* AppendCourseHeader(TiXmlDocument& document, const CourseHeader& header);
    // The points token and the launch plate on the straight from the spawn.
    static void AppendProvingGroundGear(TiXmlElement* entities);
    // The venue record and the career's course paths, in career order.
    static void BuildProvingGroundRecords(TiXmlDocument& document);
    static std::vector<std::string> CareerLevels();

private:
    bool _Write(const std::string& relative, const TiXmlDocument& document);
    bool _RemoveFormerCourse() const;

    std::string m_Root;
};
