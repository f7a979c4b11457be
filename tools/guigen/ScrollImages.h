#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The scroll bars' pictures under "ui/common/": arrows in three looks, thumbs and backs, 16 pixels across
// the bar.
namespace guigen
{

constexpr const char* kScrollFolder = "ui/common";
constexpr uint32_t kScrollSide = 16;
// Along the bar.
constexpr uint32_t kThumbLength = 24;

struct ScrollPicture
{
    std::string file;
    uint32_t width = 0;
    uint32_t height = 0;
    // BGR, top row first.
    std::vector<uint8_t> bytes;
};

std::vector<ScrollPicture> ScrollPictures();
// Writes every picture under the folder's "ui/common"; false, with a reason, on failure.
bool WriteScrollPictures(const std::string& folder, std::string& error);

} // namespace guigen
