#pragma once

#include <cstdint>
#include <string>
#include <vector>

class guiGlyph;
namespace guigen
{
struct ScreenWidget;

// Settings widgets of the screens' table: check boxes, sliders on a track, drop-downs, pictures, groups
// that hold pages, and rich-text boxes; and the pictures they show.
constexpr const char* kCheckFolder = "ui/common/buttons";
constexpr int kCheckSide = 20;
// The tab bar's pictures, one per page, each lighting its own third of the bar.
constexpr int kTabBarWidth = 380;
constexpr int kTabBarHeight = 8;
constexpr int kTabCount = 3;
// Pixels between two tab buttons over the bar.
constexpr int kTabGap = 10;
const std::vector<std::string>& TabBarPictures();
std::string CheckPicture(int state);

// The line a slider's thumb runs along, drawn under the slider; null for a row of another class.
guiGlyph* SliderTrack(const ScreenWidget& row);
// The widget for a row whose class is one of these; null for any other class.
guiGlyph* FormWidget(const ScreenWidget& row);

// Writes the check box and tab bar pictures under the folder; false, with a reason, on failure.
bool WriteFormPictures(const std::string& folder, std::string& error);

} // namespace guigen
