#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The padlocks of the career and shop screens: closed for what is still to be bought, open for what the
// driver owns, and the small mark of a locked course's row.
namespace guigen
{

constexpr const char* kLockedPicture = "ui/stuntshop/locked.tga";
constexpr const char* kUnlockedPicture = "ui/stuntshop/unlocked.tga";
constexpr const char* kLockMarkPicture = "ui/CareerMenu/lockmark.tga";
constexpr int kLockSide = 32;
constexpr int kLockMarkSide = 16;

// BGRA bytes, top row first, of a padlock side by side: a body in the lower half and a shackle above it,
// closed (red) or lifted open on its right leg (green); clear around it.
std::vector<uint8_t> PadlockTexels(int side, bool open);
// Writes the three pictures below the folder; false, with a reason, on failure.
bool WriteLockPictures(const std::string& folder, std::string& error);

} // namespace guigen
