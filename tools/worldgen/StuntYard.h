#pragma once

#include <string>
#include <vector>

class TiXmlDocument;

// Writes the course gear's and the motorcycle's init data (its materials, the explosion's render state and
// one record per gear, power-up kind and prop), the stunt yard course holding every one of them, and the
// stunt shop's items, the same bytes on every run.
class StuntYard
{
public:
    static constexpr const char* kInitDataFile = "InitData/StuntGear.xml";
    static constexpr const char* kCourseFile = "Worlds/stunt_yard.xml";
    static constexpr const char* kShopFolder = "data/stuntshop/";
    // The yard's own venue (the sample arena's model), so that the shop can lock it alone.
    static constexpr const char* kVenue = "StuntYard";
    static constexpr const char* kSwitchMaterial = "SwitchToRagdoll";
    // The motorcycle, its rag doll's record, its vehicle file and its picture (from imagetool's samples).
    static constexpr const char* kMotorcycleRecord = "Motorcycle";
    static constexpr const char* kRagdollRecord = "RiderRagdoll";
    static constexpr const char* kMotorcycleFile = "data/vehicles/motorcycle.xml";
    static constexpr const char* kMotorcyclePicture = "UI/vehicles/motorcycle.bmp";
    static constexpr const char* kExplosionTexture = "resources/particles/explosion.tga";
    // Upward acceleration for half a second: a car or the motorcycle hops about four metres and comes down
    // level. Harder, the bike lands hard enough that a few degrees of pitch throw its rider.
    static constexpr float kLaunchForce = 25.0f;
    // The shop's course, outside the career: a minute to try everything.
    static constexpr int kTimeLimit = 60;
    static constexpr int kScoreLimit = 100;
    static constexpr float kRepFactor = 0.2f;
    // On the sample arena's model (walls inside z = +-23): the chase camera, 16 m behind a start facing -z,
    // stands inside the south wall. The lane runs west of the middle, clear of the world's origin, where
    // the motorcycle's rag doll is made and waits hidden.
    static constexpr float kStartX = -4.0f;
    static constexpr float kStartZ = 5.0f;
    // The launch plate on the lane, near enough to the start that a vehicle thrown at full throttle comes
    // down with room to stop before the north wall.
    static constexpr float kPlateZ = -2.0f;
    // A points token that comes back a few seconds after it is taken, for courses driven in laps.
    static constexpr const char* kLapToken = "LapToken";
    static constexpr int kLapTokenValue = 50;
    static constexpr int kLapTokenReturn = 6;

    // A placed record of the course: record, class, model (under the models folder), place.
    struct Placed
    {
        const char* record;
        const char* type;
        const char* model;
        float x, y, z;
    };
    static const std::vector<Placed>& Entities();

    // A stunt shop item: its file (under the shop folder), name, the name it locks and its price.
    struct Item
    {
        const char* file;
        const char* name;
        const char* locked;
        int price;
        // The picture the shop shows of it, from the image generator.
        const char* preview;
    };
    static const std::vector<Item>& ShopItems();

    explicit StuntYard(const std::string& root) : m_Root(root) {}

    bool WriteAll();
    static void BuildRecords(TiXmlDocument& document);
    static void BuildCourse(TiXmlDocument& document);

private:
    bool _Write(const std::string& relative, const TiXmlDocument& document);

    std::string m_Root;
};
