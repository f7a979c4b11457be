#pragma once

#include <cstdint>
#include <string>
#include <vector>

class guiGlyph;
class kaClassInfo;

// The game's screens as one table: per layout file its root class and window name, per widget the screen
// code looks up its name, class record, caption or first text and place. The generator writes every
// layout from it and the screens' test holds the code's lookups against it.
namespace guigen
{

using ClassRecord = const kaClassInfo& (*)();

// A widget the screen's code looks up by name. Buttons show the text as their caption; text boxes and
// texts start with it; grids take it as their column widths, separated by blanks; images as their picture.
struct ScreenWidget
{
    const char* name;
    ClassRecord record;
    const char* text;
    float x, y, width, height;
    // Text boxes only: whether the player types into it.
    bool editable = false;
    // The group that holds it (a row of this layout); null: the window.
    const char* parent = nullptr;
    // Typed text boxes only: the longest text that can be typed.
    int32_t maxChars = 24;
    // Text boxes and lists: the font, when not the usual one.
    const char* font = nullptr;
    // List boxes only: drawn over a solid background, for lists that drop over other things.
    bool filled = false;
    // Grids only: held in a scroller, so that every row can be reached.
    bool scrolled = false;
    // Which of x, y, width and height are fractions of the holder's size instead of pixels
    // (kRelativeX | ...), for widgets that stretch with the screen.
    int relative = 0;
    // The point of the holder that x and y count from, as fractions of its size (1, 0: the top-right
    // corner; 0.5, 0.5: the middle), so that full-screen layouts keep to the screen's edges and middle at
    // any resolution.
    float anchorX = 0.0f, anchorY = 0.0f;
};

constexpr int kRelativeX = 1;
constexpr int kRelativeY = 2;
constexpr int kRelativeWidth = 4;
constexpr int kRelativeHeight = 8;

// Words on the page that no code looks up.
struct ScreenLabel
{
    const char* text;
    const char* font;
    float x, y;
    // The group that holds it; null: the window.
    const char* parent = nullptr;
    // As a widget's: the point of the holder that x and y count from.
    float anchorX = 0.0f, anchorY = 0.0f;
};

struct ScreenLayout
{
    const char* file;
    ClassRecord rootRecord;
    const char* window;
    // A width of 0 fills the screen at any resolution; otherwise a dialog of this place and size.
    float x, y, width, height;
    std::vector<ScreenWidget> widgets;
    std::vector<ScreenLabel> labels;
    // A page of several lines in a read-only box (empty: none), and its place.
    std::string page{};
    float pageX = 0, pageY = 0, pageWidth = 0, pageHeight = 0;
    // A course editor dialog: the editor's classes look its widgets up, not the game's screens.
    bool editor = false;
    // A grid cell: the one widget row is the whole layout, with no window and no backdrop; the window
    // name is that widget's.
    bool cell = false;
    // A part that a window loads into itself: the window's layout file (null for a window of its own).
    // The part's root is a group named by `window`, placed and sized as above.
    const char* host = nullptr;
    // A full-screen window over the 3D world leaves it out, so that the world shows through.
    bool backdrop = true;
    // A dialog that stays in the middle of the screen at any size (the window's alignment places it from
    // the screen's middle); x and y are where that puts it on a 640 by 480 screen.
    bool centred = false;
    // As a widget's: the point of the screen that the page's place counts from.
    float pageAnchorX = 0.0f, pageAnchorY = 0.0f;
};

// Full-screen menus are laid out on a page of this size, kept in the middle of larger screens.
constexpr float kPageWidth = 640.0f;
constexpr float kPageHeight = 480.0f;

// Rows of every grid the table builds.
constexpr float kGridRowHeight = 22.0f;

// Button pictures: four states, each a file named after the width and the state's letter (and the height,
// for buttons other than the usual height, such as those that fit a grid row).
constexpr const char* kButtonFolder = "ui/common/buttons";
constexpr int kButtonPictureHeight = 28;
std::string ButtonPicture(int width, int state, int height = kButtonPictureHeight);

const std::vector<ScreenLayout>& ScreenContract();

// Where the generator writes a layout that the code loads under that name, below the content folder.
std::string LayoutPath(const std::string& file);

// The layout's tree as the generator saves it. The caller owns the root.
guiGlyph* BuildScreen(const ScreenLayout& layout);

// Every layout of the table and the pictures they name.
bool WriteScreens(const std::string& folder, std::string& error);

} // namespace guigen
