#include "tools/guigen/RacePictures.h"

#include "engine/render/kaTGAImage.h"
#include "platform/files/Files.h"

#include <cmath>

namespace guigen
{

namespace
{

void Put(std::vector<uint8_t>& texels, int width, int x, int y, const uint8_t rgb[3], uint8_t alpha = 255)
{
    uint8_t* texel = &texels[(std::size_t(y) * width + x) * 4];
    texel[0] = rgb[2];
    texel[1] = rgb[1];
    texel[2] = rgb[0];
    texel[3] = alpha;
}

// A plate of one colour with a lighter band through its middle, so that pictures tell apart by colour.
std::vector<uint8_t> Plate(int width, int height, const uint8_t rgb[3])
{
    std::vector<uint8_t> texels(std::size_t(width) * height * 4, 0);
    const uint8_t light[3] = {uint8_t(std::min(255, rgb[0] + 70)), uint8_t(std::min(255, rgb[1] + 70)),
                              uint8_t(std::min(255, rgb[2] + 70))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const bool band = std::abs(y - height / 2) < height / 6;
            Put(texels, width, x, y, band ? light : rgb);
        }
    return texels;
}

bool MakeFolders(const std::string& folder, const std::string& path, std::string& error)
{
    std::string dir = folder;
    std::size_t start = 0;
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', start))
    {
        dir = folder + "/" + path.substr(0, slash);
        start = slash + 1;
        if (!platform::IsDirectory(dir) && !platform::CreateDirectory(dir))
        {
            error = "cannot make " + dir;
            return false;
        }
    }
    return true;
}

bool Write(const std::string& folder, const std::string& file, int width, int height,
           const std::vector<uint8_t>& texels, std::string& error)
{
    if (!MakeFolders(folder, file, error))
        return false;
    kaTGAImage picture;
    if (!picture.Create(width, height, 32, 8, texels.data()) || !picture.Save(folder + "/" + file, false))
    {
        error = "cannot write " + folder + "/" + file;
        return false;
    }
    return true;
}

} // namespace

std::vector<uint8_t> DamageBarTexels(int stage)
{
    std::vector<uint8_t> texels(std::size_t(kDamageBarWidth) * kDamageBarHeight * 4, 0);
    const int filled = kDamageBarWidth * stage / kDamageStages;
    const uint8_t frame[3] = {200, 200, 200}, empty[3] = {40, 40, 40};
    for (int y = 0; y < kDamageBarHeight; ++y)
        for (int x = 0; x < kDamageBarWidth; ++x)
        {
            const bool edge = y == 0 || x == 0 || y == kDamageBarHeight - 1 || x == kDamageBarWidth - 1;
            // Green turning red as the bar fills.
            const uint8_t fill[3] = {uint8_t(60 + 190 * x / kDamageBarWidth),
                                     uint8_t(200 - 160 * x / kDamageBarWidth), 30};
            Put(texels, kDamageBarWidth, x, y, edge ? frame : (x < filled ? fill : empty));
        }
    return texels;
}

std::vector<uint8_t> PipTexels(int width, int height, int count, int total)
{
    std::vector<uint8_t> texels(std::size_t(width) * height * 4, 0);
    const uint8_t lit[3] = {250, 210, 40}, unlit[3] = {70, 60, 40};
    const float cell = float(width) / float(total);
    const float radius = std::min(cell, float(height)) * 0.4f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const int pip = std::min(total - 1, int(float(x) / cell));
            const float cx = cell * (float(pip) + 0.5f), cy = float(height) * 0.5f;
            if (std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy) <= radius)
                Put(texels, width, x, y, pip < count ? lit : unlit);
        }
    return texels;
}

bool WriteRacePictures(const std::string& folder, std::string& error)
{
    for (int stage = 0; stage <= kDamageStages; ++stage)
        if (!Write(folder, "ui/hud/art/damage_bar_" + std::to_string(stage) + ".tga", kDamageBarWidth,
                   kDamageBarHeight, DamageBarTexels(stage), error))
            return false;
    // The countdown: three, two and one lit pips, then a green go and a grey press-any-key plate.
    for (int count = 1; count <= 3; ++count)
        if (!Write(folder, "ui/hud/" + std::to_string(count) + ".tga", 128, 128, PipTexels(128, 128, count, 3),
                   error))
            return false;
    const uint8_t go[3] = {40, 190, 60}, anyKey[3] = {110, 110, 120};
    if (!Write(folder, "ui/hud/go.tga", 128, 128, Plate(128, 128, go), error) ||
        !Write(folder, "ui/hud/press_any_key.tga", 256, 32, Plate(256, 32, anyKey), error))
        return false;
    const struct
    {
        const char* file;
        uint8_t rgb[3];
    } icons[] = {
        {"ui/hud/art/time_icon.tga", {80, 160, 240}},   {"ui/hud/art/score_icon.tga", {240, 200, 40}},
        {"ui/hud/art/target_icon.tga", {220, 60, 60}},  {"ui/hud/art/damage_icon.tga", {160, 160, 160}},
        {"ui/hud/art/top_bar.tga", {20, 20, 30}},       {"ui/hud/art/jump_icon.tga", {80, 220, 120}},
        {"ui/hud/art/turbo_icon.tga", {250, 140, 30}},  {"ui/hud/art/megaturbo_icon.tga", {250, 60, 200}},
        {"ui/hud/art/repair_icon.tga", {60, 200, 220}},
    };
    for (const auto& icon : icons)
        if (!Write(folder, icon.file, 32, 32, Plate(32, 32, icon.rgb), error))
            return false;
    const struct
    {
        const char* name;
        uint8_t rgb[3];
    } awards[] = {{"str", {40, 170, 60}},  {"npb", {60, 120, 220}}, {"nhs", {220, 180, 40}},
                  {"nl", {180, 80, 220}},  {"ncar", {200, 90, 40}}, {"nsg", {90, 200, 200}},
                  {"nv", {200, 60, 110}},  {"rpe", {230, 230, 90}}};
    for (const auto& award : awards)
    {
        const std::string base = std::string("ui/coursesummary/") + award.name;
        const uint8_t dim[3] = {uint8_t(award.rgb[0] / 2), uint8_t(award.rgb[1] / 2), uint8_t(award.rgb[2] / 2)};
        if (!Write(folder, base + ".tga", 128, 80, Plate(128, 80, award.rgb), error) ||
            !Write(folder, base + "_text.tga", 128, 24, Plate(128, 24, dim), error))
            return false;
    }
    for (int points = 1; points <= 10; ++points)
        if (!Write(folder, "ui/coursesummary/" + std::to_string(points) + ".tga", 100, 24,
                   PipTexels(100, 24, points, 10), error))
            return false;
    return true;
}

} // namespace guigen
