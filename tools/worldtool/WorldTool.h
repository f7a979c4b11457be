#pragma once

#include <iosfwd>
#include <string>

// Inspects a course through the engine's own loading, with the game's entity classes known. Model and
// init-data paths in a course are relative to its install folder: the folder above "Worlds" when the course
// lies in it or in a folder of it, else the current folder when it holds init data, else the install folder
// the registry names, as the game finds it; without one no venue loads and the course keeps the one it names.
class WorldTool
{
public:
    // Prints the course name, the venue and the number of entities of each type (the venue aside).
    static int Info(const std::string& file, std::ostream& out, std::ostream& errors);
    // Loads the course into a world and saves it under the second name, keys the engine does not read
    // included. A course with an entity it cannot read (a class it does not know, a repeated or malformed
    // id, say) is refused, with a line naming each such entity (by its place in the file when it has no
    // id), and nothing is written. Paths are named as they were given.
    static int Resave(const std::string& in, const std::string& out, std::ostream& errors);
    // Draws the course headless from its start point, 640 x 480, and saves the frame as a bitmap.
    static int Render(const std::string& file, const std::string& bitmap, std::ostream& errors);

    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    // The camera stands this high over the start point and looks down by this much (radians).
    static constexpr float kEyeHeight = 4.0f;
    static constexpr float kPitch = 0.3f;
};
