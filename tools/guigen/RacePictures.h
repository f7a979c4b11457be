#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace guigen
{

// The race HUD's and the run summary's pictures: countdown, damage bar stages, icons, award plates and
// the reputation numbers.
constexpr int kDamageBarWidth = 200;
constexpr int kDamageBarHeight = 16;
constexpr int kDamageStages = 16;

// A bar filled by stage sixteenths, so that each stage shows more than the one before.
std::vector<uint8_t> DamageBarTexels(int stage);
// Count pips (1 to 10) in a row, lit in the first `count`.
std::vector<uint8_t> PipTexels(int width, int height, int count, int total);

bool WriteRacePictures(const std::string& folder, std::string& error);

} // namespace guigen
