#pragma once

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

// A widget the screen's code looks up by name. Buttons show the text as their caption; text boxes start
// with it.
struct ScreenWidget
{
    const char* name;
    ClassRecord record;
    const char* text;
    float x, y, width, height;
    // Text boxes only: whether the player types into it.
    bool editable = false;
    // The group row it lies in, placed from the group's corner; the window itself when null.
    const char* parent = nullptr;
    // List boxes only: drawn over a solid background, for lists that drop over other things.
    bool filled = false;
};

// Words on the page that no code looks up.
struct ScreenLabel
{
    const char* text;
    const char* font;
    float x, y;
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
    std::string page;
    float pageX = 0, pageY = 0, pageWidth = 0, pageHeight = 0;
    // A full-screen window over the 3D world leaves it out, so that the world shows through.
    bool backdrop = true;
};

// Button pictures: four states, each a file named after the width and the state's letter.
constexpr const char* kButtonFolder = "ui/common/buttons";
std::string ButtonPicture(int width, int state);

const std::vector<ScreenLayout>& ScreenContract();

// The layout's tree as the generator saves it. The caller owns the root.
guiGlyph* BuildScreen(const ScreenLayout& layout);

// Every layout of the table and the pictures they name.
bool WriteScreens(const std::string& folder, std::string& error);

} // namespace guigen
