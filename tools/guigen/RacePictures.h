#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace guigen
{

// The race HUD's and the run summary's pictures: countdown, damage bar stages, icons, award plates and
// their captions, and the reputation numbers. Words are drawn with the generator's own stroke font.
constexpr int kDamageBarWidth = 200;
constexpr int kDamageBarHeight = 16;
constexpr int kDamageStages = 16;
constexpr int kCountSide = 128;
constexpr int kTopBarSide = 32;
constexpr int kIconSide = 32;
constexpr const char* kTopBarFile = "ui/hud/art/top_bar.tga";
constexpr int kPressAnyKeyWidth = 256;
constexpr int kPressAnyKeyHeight = 32;
constexpr int kAwardWidth = 128;
constexpr int kAwardHeight = 80;
constexpr int kAwardCaptionHeight = 24;
constexpr int kReputationSide = 48;
constexpr int kReputationLabelWidth = 160;
constexpr int kMaxReputation = 10;
constexpr const char* kGoWord = "GO";
constexpr const char* kPressAnyKeyWords = "PRESS ANY KEY";
constexpr const char* kReputationWords = "REPUTATION";
constexpr const char* kReputationLabel = "ui/coursesummary/rpe_label.tga";

// An award of the run summary: its file stem, the words on its plate ('|' breaks a line), its caption.
struct Award
{
    const char* name;
    const char* headline;
    const char* caption;
    uint8_t rgb[3];
};

// A HUD icon: a disc of its colour with a white pictogram in the stroke font's writing on a 32 grid.
struct HudIcon
{
    const char* file;
    uint8_t rgb[3];
    const char* strokes;
};

struct RacePicture
{
    std::string file;
    int width, height;
    // BGRA, top row first.
    std::vector<uint8_t> texels;
};

// In the summary's slot order.
const std::vector<Award>& Awards();
// Time, points, target and damage, then the power-ups Jump, Turbo, MegaTurbo and Repair.
const std::vector<HudIcon>& HudIcons();
std::vector<std::string> SplitLines(const std::string& text);

// A bar filled by stage sixteenths, so that each stage shows more than the one before.
std::vector<uint8_t> DamageBarTexels(int stage);
// Count pips (1 to 10) in a row, lit in the first `count`.
std::vector<uint8_t> PipTexels(int width, int height, int count, int total);
// A countdown numeral or word, alone on a clear square.
std::vector<uint8_t> CountTexels(const std::string& text);
std::vector<uint8_t> PressAnyKeyTexels();
std::vector<uint8_t> IconTexels(const HudIcon& icon);
// The HUD's top bar: stretched across the screen, so one column says it all.
std::vector<uint8_t> TopBarTexels();
std::vector<uint8_t> AwardTexels(const Award& award);
// Words on a dark strip edged in the award's colour, kAwardCaptionHeight high.
std::vector<uint8_t> CaptionTexels(const std::string& words, const uint8_t rgb[3], int width);
// The number on a gold disc over a row of ten pips.
std::vector<uint8_t> ReputationTexels(int points);

// Every picture with the name the layouts and screens load it by.
std::vector<RacePicture> RacePictures();
bool WriteRacePictures(const std::string& folder, std::string& error);

} // namespace guigen
