#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The tree view's fold icons under "ui/common/": a boxed minus for an expanded node and a boxed plus for
// a folded one, 9 by 9 with alpha.
namespace guigen
{

constexpr const char* kMinusIconFile = "ui/common/Icon_Minus.tga";
constexpr const char* kPlusIconFile = "ui/common/Icon_Plus.tga";
constexpr uint32_t kTreeIconSide = 9;

// BGRA bytes, top row first: a grey frame, a clear inside and a black bar (two for the plus).
std::vector<uint8_t> TreeIconTexels(bool plus);
// Writes both icons under the folder's "ui/common"; false, with a reason, on failure.
bool WriteTreeIcons(const std::string& folder, std::string& error);

} // namespace guigen
