#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class KM_Primitive;
class MeshKit;

// Writes the sample models, their textures, skeletons, animations and descriptors under a root
// folder, the same bytes on every run.
class SampleModels
{
public:
    // The lamp post's bone sits this high above its foot.
    static constexpr float kLampHeight = 4.0f;
    // The crate descriptor's hooks, this far above and below its centre.
    static constexpr const char* kCrateTopBone = "Top";
    static constexpr const char* kCrateBottomBone = "Bottom";
    static constexpr float kCrateHookDistance = 1.0f;

    // The car descriptor's bones: the root holding the mesh and one at each wheel hub, this high.
    static constexpr const char* kCarRootBone = "Body";
    static constexpr float kCarHubHeight = 0.35f;
    struct CarHub
    {
        const char* bone;
        float x, z;
    };
    // The front (towards -z) steers.
    static constexpr CarHub kCarHubs[] = {
        {"HubFL", -0.85f, -1.3f}, {"HubFR", 0.85f, -1.3f}, {"HubRL", -0.85f, 1.3f}, {"HubRR", 0.85f, 1.3f}};
    static constexpr float kCarWheelRadius = 0.35f;
    // Where the hood view looks out from: above the bonnet, just ahead of the windscreen.
    static constexpr const char* kHoodBone = "HoodLookBone";
    static constexpr float kCarHoodY = 1.15f;
    static constexpr float kCarHoodZ = -0.9f;
    // The charger: the car's body with bones where its exhaust and its damage smoke sit, and a launch
    // plate's primitive under its floor.
    struct ChargerBone
    {
        const char* bone;
        float x, y, z;
    };
    static constexpr ChargerBone kChargerBones[] = {{"Exhaust", 0.5f, 0.3f, 2.05f},
                                                    {"SmokeEngine", 0.0f, 0.85f, -1.5f},
                                                    {"SmokeCabin", 0.0f, 1.35f, 0.3f},
                                                    {"SmokeBoot", 0.0f, 0.85f, 1.6f}};
    static constexpr const char* kChargerLaunchPrimitive = "PRIM_Launch";
    // The launch box's base under the ground line, and its height up into the body.
    static constexpr float kChargerLaunchBase = -0.1f;
    static constexpr float kChargerLaunchLength = 0.45f;
    // The motorcycle's bones beside its root: the fork's and the front wheel's, the rider's seat, the
    // chase camera's mark, the two hubs its wheels hang on and the hood view's eye over the bars.
    struct MotorcycleBone
    {
        const char* bone;
        float x, y, z;
    };
    static constexpr MotorcycleBone kMotorcycleBones[] = {
        {"forkBone", 0.0f, 0.35f, -0.7f}, {"wheelBone", 0.0f, 0.35f, -0.7f}, {"parentBone", 0.0f, 0.8f, 0.1f},
        {"FollowBone", 0.0f, 1.5f, 2.5f}, {"HubFront", 0.0f, 0.35f, -0.7f},  {"HubRear", 0.0f, 0.35f, 0.7f},
        {kHoodBone, 0.0f, 1.45f, -0.45f}};
    // The rider's bone held to the bike's seat, this far below the hips.
    static constexpr const char* kRiderSaddleBone = "Saddle";
    static constexpr float kRiderSaddleHeight = 0.2f;
    // The rag doll: the rider's shape under these bone names (in the rider's bone order), its limbs'
    // bodies small boxes on one bone each.
    static constexpr const char* kRagdollBones[] = {"Bip01",         "Bip01 Spine",  "Bip01 Head",
                                                    "Bip01 L Thigh", "Bip01 L Calf", "Bip01 R Thigh",
                                                    "Bip01 R Calf"};
    static constexpr float kRagdollLimbSize = 0.2f;
    static constexpr const char* kRagdollLimbBone = "Limb";
    // The wheel descriptor's one bone, at its hub.
    static constexpr const char* kWheelHubBone = "Hub";
    // The proving ground: a floor this wide (x) and long (z) from the origin out, walled but for the end at
    // z = 0, beyond and below which a trigger box catches what drives off.
    static constexpr float kGroundWidth = 40.0f;
    static constexpr float kGroundLength = 120.0f;
    static constexpr const char* kRespawnTrigger = "PRIM_TRIGGER_Respawn";
    // The arena's respawn trigger lies under it and reaches this far past its walls: farther than a launch
    // plate throws a car at full speed.
    static constexpr float kArenaTriggerReach = 100.0f;

    // The course gear: square pads and plates this wide, the token's and the barrel's sizes.
    static constexpr float kGearPadSide = 4.0f;
    static constexpr float kGearPadHeight = 0.05f;
    // The launch plate's solid depth, below its origin's lift above the floor, and the painted top's
    // height above the floor.
    static constexpr float kGearPlateHeight = 0.2f;
    static constexpr float kGearPlateLift = 0.1f;
    static constexpr float kGearPlateShown = 0.02f;
    static constexpr float kTokenRadius = 0.5f;
    static constexpr float kBarrelRadius = 0.5f;
    static constexpr float kBarrelHeight = 1.2f;

    explicit SampleModels(const std::string& root) : m_Root(root) {}

    bool WriteAll();

    // Every file written, relative to the root, in writing order.
    const std::vector<std::string>& Written() const { return m_Written; }

private:
    bool _Cylinder();
    bool _Crate();
    bool _Ball();
    bool _Ramp();
    // The car, or with its extra bones and primitive the charger.
    bool _Car(bool charger = false);
    bool _Wheel();
    bool _Motorcycle();
    bool _Rider();
    bool _Arena();
    // The proving ground's venue: a long walled strip open at one end, over a respawn trigger.
    bool _ProvingGround();
    bool _LampPost();
    bool _Sign();
    bool _GearModels();
    bool _Fork();
    bool _Ragdoll();

    // What a texture shows: most are a light grain the material's colour tints; the rest carry a pattern.
    enum class Surface
    {
        kSmooth,
        kGround,
        kWood,
        kRamp,
        kArrows,
        kStar,
        kGrate,
        kHazard,
    };

    // A one-part prop in a folder of its own: one textured material, its mesh and its collision shape
    // (none when null).
    bool _Prop(const std::string& name, const std::string& stem, uint32_t diffuse,
               const std::function<void(MeshKit&)>& build, std::unique_ptr<KM_Primitive> primitive,
               Surface surface);
    std::string _Prepare(const std::string& relative);
    // `tint` (red in the lowest byte) colours a smooth texture, for meshes whose vertex colours stand in
    // for their materials' colours.
    bool _Texture(const std::string& folder, const std::string& name, Surface surface,
                  uint32_t tint = 0xFFFFFFFFu);
    bool _Text(const std::string& relative, const std::string& text);

    std::string m_Root;
    std::vector<std::string> m_Written;
};
