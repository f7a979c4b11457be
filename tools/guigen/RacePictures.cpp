#include "tools/guigen/RacePictures.h"

#include "engine/render/kaTGAImage.h"
#include "platform/files/Files.h"
#include "tools/guigen/StrokeFont.h"

#include <algorithm>
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

namespace
{

struct Rgb
{
    float r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb FromBytes(const uint8_t rgb[3])
{
    return {float(rgb[0]), float(rgb[1]), float(rgb[2])};
}

// Lays `rgb` at `alpha` over what the texel holds, straight alpha in and out.
void Over(std::vector<uint8_t>& texels, std::size_t index, const Rgb& rgb, float alpha)
{
    if (alpha <= 0.0f)
        return;
    uint8_t* texel = &texels[index * 4];
    const float below = texel[3] / 255.0f;
    const float out = alpha + below * (1.0f - alpha);
    const float source[3] = {rgb.b, rgb.g, rgb.r};
    for (int c = 0; c < 3; ++c)
    {
        const float value = (source[c] * alpha + texel[c] * below * (1.0f - alpha)) / out;
        texel[c] = uint8_t(std::clamp(value + 0.5f, 0.0f, 255.0f));
    }
    texel[3] = uint8_t(std::clamp(out * 255.0f + 0.5f, 0.0f, 255.0f));
}

// Lines of words centred in a box, all at the one size the longest allows, with a dark outline so that
// they read over any background. The fill shades from `top` to `bottom` down each line.
struct Lettering
{
    std::vector<std::string> lines;
    float left, top, width, height;
    Rgb topColour, bottomColour;
    // Pen width against the capital's height.
    float weight = 0.16f;
    // Outline width against the pen's; 0: none.
    float outline = 0.4f;
};

void Letter(std::vector<uint8_t>& texels, int width, int height, const Lettering& words)
{
    const float lineGap = 0.35f;
    const std::size_t count = words.lines.size();
    if (count == 0)
        return;
    float capHeight = 1e9f;
    for (const std::string& line : words.lines)
    {
        const float slot = words.height / (float(count) + lineGap * float(count - 1));
        capHeight = std::min(capHeight, StrokeFont::Fit(line, words.width, slot, words.weight).capHeight);
    }
    const StrokeFont::Pen pen{capHeight, capHeight * words.weight};
    const float grow = pen.stroke * words.outline;
    const float lineHeight = StrokeFont::Height(pen);
    const float block = lineHeight * float(count) + lineHeight * lineGap * float(count - 1);
    float top = words.top + (words.height - block) * 0.5f;
    const Rgb ink = {20, 18, 28};
    for (const std::string& line : words.lines)
    {
        const float left = words.left + (words.width - StrokeFont::Width(line, pen)) * 0.5f;
        const std::vector<StrokeFont::Segment> path = StrokeFont::Layout(line, pen, left, top);
        if (grow > 0.0f)
        {
            const std::vector<float> rim = StrokeFont::Coverage(path, pen.stroke, grow, width, height);
            for (std::size_t i = 0; i < rim.size(); ++i)
                Over(texels, i, ink, rim[i]);
        }
        const std::vector<float> fill = StrokeFont::Coverage(path, pen.stroke, 0.0f, width, height);
        for (int y = 0; y < height; ++y)
        {
            const float t = std::clamp((float(y) - top) / lineHeight, 0.0f, 1.0f);
            const Rgb shade = Mix(words.topColour, words.bottomColour, t);
            for (int x = 0; x < width; ++x)
                Over(texels, std::size_t(y) * width + x, shade, fill[std::size_t(y) * width + x]);
        }
        top += lineHeight * (1.0f + lineGap);
    }
}

// A rounded plate shaded from `light` at the top to `dark` at the bottom, with a one-pixel rim.
void Badge(std::vector<uint8_t>& texels, int width, int height, const Rgb& light, const Rgb& dark,
           const Rgb& rim, float alpha)
{
    const float radius = std::min(width, height) * 0.22f;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            // Distance outside the rounded rectangle, negative inside.
            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
            const float dx = std::max(radius - px, px - (float(width) - radius));
            const float dy = std::max(radius - py, py - (float(height) - radius));
            const float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f)) +
                                  std::min(std::max(dx, dy), 0.0f) - radius;
            const float cover = std::clamp(0.5f - outside, 0.0f, 1.0f);
            const bool onRim = outside > -1.5f;
            const Rgb shade = onRim ? rim : Mix(light, dark, float(y) / float(height - 1));
            Over(texels, std::size_t(y) * width + x, shade, cover * alpha);
        }
}

bool WritePicture(const std::string& folder, const RacePicture& picture, std::string& error)
{
    return Write(folder, picture.file, picture.width, picture.height, picture.texels, error);
}

} // namespace

const std::vector<Award>& Awards()
{
    static const std::vector<Award> awards = {
        {"str", "CONGRATS!", "TARGET REACHED", {40, 170, 60}},
        {"npb", "NEW|BEST", "PERSONAL BEST", {60, 120, 220}},
        {"nhs", "HIGH|SCORE", "NEW HIGH SCORE", {220, 160, 30}},
        {"nl", "LEVEL|UP", "LEVEL UNLOCKED", {170, 70, 220}},
        {"ncar", "NEW|CAR", "CAR UNLOCKED", {210, 90, 40}},
        {"nsg", "NEW|GEAR", "NEW STUNT GEAR", {40, 170, 180}},
        {"nv", "NEW|VEHICLE", "NEW VEHICLE", {200, 50, 110}},
        {"rpe", "REPUTATION|POINTS", "POINTS EARNED", {200, 170, 40}},
    };
    return awards;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start))
    {
        lines.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::vector<uint8_t> CountTexels(const std::string& text)
{
    std::vector<uint8_t> texels(std::size_t(kCountSide) * kCountSide * 4, 0);
    // Gold numerals, a green go; both on nothing, so the course shows around them.
    const bool go = text.find_first_of("0123456789") == std::string::npos;
    const Rgb top = go ? Rgb{150, 255, 140} : Rgb{255, 236, 120};
    const Rgb bottom = go ? Rgb{30, 170, 60} : Rgb{240, 166, 20};
    Lettering words{{text}, 8, 8, kCountSide - 16.0f, kCountSide - 16.0f, top, bottom};
    words.weight = go ? 0.2f : 0.16f;
    Letter(texels, kCountSide, kCountSide, words);
    return texels;
}

const std::vector<HudIcon>& HudIcons()
{
    // Pictograms on a 32 grid: a clock, a star, a target, a crack, an arrow up, two and three chevrons and
    // a cross.
    static const std::vector<HudIcon> icons = {
        {"ui/hud/art/time_icon.tga", {60, 130, 230}, "a16,16,9,9,0,360|16,16 16,10|16,16 20.5,18.5"},
        {"ui/hud/art/score_icon.tga",
         {220, 160, 20},
         "16,6.5 18.4,12.7 25,13.1 19.9,17.3 21.6,23.7 16,20.1 10.4,23.7 12.1,17.3 7,13.1 13.6,12.7 16,6.5"},
        {"ui/hud/art/target_icon.tga", {210, 50, 50}, "a16,16,9,9,0,360|a16,16,4.2,4.2,0,360|16,16 16,16.1"},
        {"ui/hud/art/damage_icon.tga", {100, 100, 112}, "19,6.5 13,16 19,16 13,25.5"},
        {"ui/hud/art/jump_icon.tga", {50, 180, 90}, "16,25 16,8|10,14 16,8 22,14"},
        {"ui/hud/art/turbo_icon.tga", {235, 120, 20}, "9,9 15,16 9,23|17,9 23,16 17,23"},
        {"ui/hud/art/megaturbo_icon.tga",
         {220, 40, 180},
         "6,10 11,16 6,22|13,10 18,16 13,22|20,10 25,16 20,22"},
        {"ui/hud/art/repair_icon.tga", {40, 170, 200}, "16,8.5 16,23.5|8.5,16 23.5,16"},
    };
    return icons;
}

std::vector<uint8_t> IconTexels(const HudIcon& icon)
{
    std::vector<uint8_t> texels(std::size_t(kIconSide) * kIconSide * 4, 0);
    const Rgb colour = FromBytes(icon.rgb);
    Badge(texels, kIconSide, kIconSide, Mix(colour, {255, 255, 255}, 0.25f), Mix(colour, {0, 0, 0}, 0.35f),
          Mix(colour, {255, 255, 255}, 0.6f), 1.0f);
    const float unit = float(kIconSide) / 32.0f, stroke = 2.6f * unit;
    const std::vector<StrokeFont::Segment> path = StrokeFont::Strokes(icon.strokes, unit, 0.0f, 0.0f);
    const std::vector<float> rim = StrokeFont::Coverage(path, stroke, 1.0f, kIconSide, kIconSide);
    const std::vector<float> fill = StrokeFont::Coverage(path, stroke, 0.0f, kIconSide, kIconSide);
    for (std::size_t i = 0; i < fill.size(); ++i)
    {
        Over(texels, i, {20, 18, 28}, rim[i] * 0.6f);
        Over(texels, i, {255, 255, 255}, fill[i]);
    }
    return texels;
}

std::vector<uint8_t> TopBarTexels()
{
    std::vector<uint8_t> texels(std::size_t(kTopBarSide) * kTopBarSide * 4, 0);
    for (int y = 0; y < kTopBarSide; ++y)
    {
        // See-through dark glass, lit along its lower edge, so the numbers read over any sky.
        const bool rim = y >= kTopBarSide - 2;
        const Rgb shade = rim ? Rgb{150, 160, 200} : Mix({34, 38, 56}, {10, 12, 20}, float(y) / kTopBarSide);
        for (int x = 0; x < kTopBarSide; ++x)
            Over(texels, std::size_t(y) * kTopBarSide + x, shade, rim ? 0.9f : 0.72f);
    }
    return texels;
}

std::vector<uint8_t> PressAnyKeyTexels()
{
    std::vector<uint8_t> texels(std::size_t(kPressAnyKeyWidth) * kPressAnyKeyHeight * 4, 0);
    Badge(texels, kPressAnyKeyWidth, kPressAnyKeyHeight, {40, 44, 60}, {16, 18, 28}, {150, 160, 190}, 0.8f);
    Letter(texels, kPressAnyKeyWidth, kPressAnyKeyHeight,
           {{kPressAnyKeyWords},
            12,
            6,
            kPressAnyKeyWidth - 24.0f,
            kPressAnyKeyHeight - 12.0f,
            {255, 255, 255},
            {200, 210, 235},
            0.14f,
            0.0f});
    return texels;
}

std::vector<uint8_t> AwardTexels(const Award& award)
{
    std::vector<uint8_t> texels(std::size_t(kAwardWidth) * kAwardHeight * 4, 0);
    const Rgb colour = FromBytes(award.rgb);
    Badge(texels, kAwardWidth, kAwardHeight, Mix(colour, {255, 255, 255}, 0.3f),
          Mix(colour, {0, 0, 0}, 0.45f), Mix(colour, {255, 255, 255}, 0.65f), 1.0f);
    Letter(texels, kAwardWidth, kAwardHeight,
           {SplitLines(award.headline),
            8,
            8,
            kAwardWidth - 16.0f,
            kAwardHeight - 16.0f,
            {255, 255, 255},
            {235, 235, 225}});
    return texels;
}

std::vector<uint8_t> CaptionTexels(const std::string& words, const uint8_t rgb[3], int width)
{
    std::vector<uint8_t> texels(std::size_t(width) * kAwardCaptionHeight * 4, 0);
    Badge(texels, width, kAwardCaptionHeight, {26, 28, 40}, {10, 10, 18},
          Mix(FromBytes(rgb), {0, 0, 0}, 0.2f), 1.0f);
    const Rgb light = Mix(FromBytes(rgb), {255, 255, 255}, 0.55f);
    Letter(texels, width, kAwardCaptionHeight,
           {{words}, 5, 4, width - 10.0f, kAwardCaptionHeight - 8.0f, light, light, 0.16f, 0.0f});
    return texels;
}

std::vector<uint8_t> ReputationTexels(int points)
{
    std::vector<uint8_t> texels(std::size_t(kReputationSide) * kReputationSide * 4, 0);
    Badge(texels, kReputationSide, kReputationSide, {255, 220, 110}, {190, 120, 20}, {255, 245, 200}, 1.0f);
    Letter(
        texels, kReputationSide, kReputationSide,
        {{std::to_string(points)}, 6, 5, kReputationSide - 12.0f, 28.0f, {255, 255, 255}, {250, 250, 235}});
    // Under the number, how many of the ten it is.
    const int pipsHeight = 8;
    const std::vector<uint8_t> pips = PipTexels(kReputationSide - 8, pipsHeight, points, kMaxReputation);
    for (int y = 0; y < pipsHeight; ++y)
        for (int x = 0; x < kReputationSide - 8; ++x)
        {
            const uint8_t* pip = &pips[(std::size_t(y) * (kReputationSide - 8) + x) * 4];
            if (pip[3] != 0)
                Over(texels, std::size_t(36 + y) * kReputationSide + 4 + x,
                     {float(pip[2]), float(pip[1]), float(pip[0])}, 1.0f);
        }
    return texels;
}

std::vector<RacePicture> RacePictures()
{
    std::vector<RacePicture> pictures;
    for (int stage = 0; stage <= kDamageStages; ++stage)
        pictures.push_back({"ui/hud/art/damage_bar_" + std::to_string(stage) + ".tga", kDamageBarWidth,
                            kDamageBarHeight, DamageBarTexels(stage)});
    for (int count = 1; count <= 3; ++count)
        pictures.push_back({"ui/hud/" + std::to_string(count) + ".tga", kCountSide, kCountSide,
                            CountTexels(std::to_string(count))});
    pictures.push_back({"ui/hud/go.tga", kCountSide, kCountSide, CountTexels(kGoWord)});
    pictures.push_back(
        {"ui/hud/press_any_key.tga", kPressAnyKeyWidth, kPressAnyKeyHeight, PressAnyKeyTexels()});
    for (const HudIcon& icon : HudIcons())
        pictures.push_back({icon.file, kIconSide, kIconSide, IconTexels(icon)});
    pictures.push_back({kTopBarFile, kTopBarSide, kTopBarSide, TopBarTexels()});
    for (const Award& award : Awards())
    {
        const std::string base = std::string("ui/coursesummary/") + award.name;
        pictures.push_back({base + ".tga", kAwardWidth, kAwardHeight, AwardTexels(award)});
        pictures.push_back({base + "_text.tga", kAwardWidth, kAwardCaptionHeight,
                            CaptionTexels(award.caption, award.rgb, kAwardWidth)});
    }
    const uint8_t gold[3] = {200, 170, 40};
    pictures.push_back({kReputationLabel, kReputationLabelWidth, kAwardCaptionHeight,
                        CaptionTexels(kReputationWords, gold, kReputationLabelWidth)});
    for (int points = 1; points <= kMaxReputation; ++points)
        pictures.push_back({"ui/coursesummary/" + std::to_string(points) + ".tga", kReputationSide,
                            kReputationSide, ReputationTexels(points)});
    return pictures;
}

bool WriteRacePictures(const std::string& folder, std::string& error)
{
    for (const RacePicture& picture : RacePictures())
        if (!WritePicture(folder, picture, error))
            return false;
    return true;
}

} // namespace guigen
