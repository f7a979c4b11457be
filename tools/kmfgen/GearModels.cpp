// The course gear's models: the launch plate, the power-up token, the explosive barrel and the flat mud,
// oil and grate pads.
#include "tools/kmfgen/SampleModels.h"

#include "engine/model/KM_Primitive.h"
#include "tools/kmfgen/MeshKit.h"

#include <memory>

namespace
{

uint32_t Colour(uint8_t r, uint8_t g, uint8_t b)
{
    return 0xFF000000u | (uint32_t(b) << 16) | (uint32_t(g) << 8) | r;
}

// A box primitive stands on its offset: its base at the offset, its length upwards. By default the slab is
// centred on the model's origin.
std::unique_ptr<KM_Primitive> Slab(const std::string& name, float side, float height, float base)
{
    auto box = std::make_unique<KM_Primitive>();
    box->SetName(name);
    box->m_PrimitiveType = 0;
    box->m_Width = side;
    box->m_Length = height;
    box->m_Height = side;
    box->m_Offset[1] = base;
    return box;
}

std::unique_ptr<KM_Primitive> Slab(const std::string& name, float side, float height)
{
    return Slab(name, side, height, -height / 2);
}

} // namespace

bool SampleModels::_GearModels()
{
    // A square plate the car drives onto, set by the courses with its origin kGearPlateLift above the floor.
    // Its solid top lies level with the floor, as a step there knocks a wheel back hard enough to throw a
    // rider; only the painted top shows, a sliver above the floor.
    auto plate = [](MeshKit& kit)
    {
        kit.SetOffset({0, kGearPlateShown / 2 - kGearPlateLift, 0});
        kit.Box(kGearPadSide, kGearPlateShown, kGearPadSide);
    };
    if (!_Prop("LaunchPlate", "launchplate", Colour(255, 140, 30), plate,
               Slab("PRIM_LaunchPlate", kGearPadSide, kGearPlateHeight, -kGearPlateLift - kGearPlateHeight),
               Surface::kArrows))
        return false;
    // The token is a coin standing on edge; it has no primitive of its own, as the power-up gives it the
    // sphere the car passes through.
    if (!_Prop(
            "PowerUp", "powerup", Colour(255, 210, 40),
            [](MeshKit& kit) { kit.Cylinder(kTokenRadius, 0.15f, 16, true); }, nullptr, Surface::kStar))
        return false;
    auto barrelShape = std::make_unique<KM_Primitive>();
    barrelShape->SetName("PRIM_Barrel");
    barrelShape->m_PrimitiveType = 2;
    barrelShape->m_Radius = kBarrelRadius;
    barrelShape->m_Height = kBarrelHeight;
    if (!_Prop(
            "Barrel", "barrel", Colour(200, 40, 30),
            [](MeshKit& kit) { kit.Cylinder(kBarrelRadius, kBarrelHeight, 16); }, std::move(barrelShape),
            Surface::kHazard))
        return false;
    const struct
    {
        const char* name;
        const char* stem;
        uint32_t colour;
        Surface surface;
    } pads[] = {{"MudPad", "mudpad", Colour(110, 75, 40), Surface::kGround},
                {"OilPad", "oilpad", Colour(25, 25, 30), Surface::kSmooth},
                {"GratePad", "gratepad", Colour(150, 160, 170), Surface::kGrate}};
    for (const auto& pad : pads)
    {
        if (!_Prop(
                pad.name, pad.stem, pad.colour,
                [](MeshKit& kit) { kit.Box(kGearPadSide, kGearPadHeight, kGearPadSide); },
                Slab(std::string("PRIM_") + pad.name, kGearPadSide, kGearPadHeight), pad.surface))
            return false;
    }
    return true;
}
