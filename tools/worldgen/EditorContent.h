#pragma once

#include <string>
#include <vector>

class TiXmlDocument;

// What the course editor needs of the sample content: the palette's EditorEntity records, one for each
// placeable entity of the sample init data, and the small course the editor opens with.
namespace EditorContent
{

constexpr const char* kRecordsFile = "InitData/EditorEntities.xml";
// Beside the courses but not among them: the game lists only the files of "Worlds" itself, and the car
// has no ground to stand on over a terrain.
constexpr const char* kDefaultCourseFile = "Worlds/Editor/default128x128.xml";
constexpr float kDefaultSide = 128.0f;
constexpr float kDefaultHeight = 20.0f;

struct PaletteEntry
{
    const char* id;
    const char* type;
    const char* entityInitId;
    const char* category;
    // The picture's file name under the palette folder; guigen draws it.
    const char* picture;
};

// In uniqueID order, which is the order the palette offers them in.
const std::vector<PaletteEntry>& PaletteEntries();
constexpr const char* kPictureFolder = "ui/editor/palette/";
// The "Entity" record the editor gives the start it adds to a course, and the model it shows.
constexpr const char* kSpawnPointRecord = "SpawnPoint";
constexpr const char* kSpawnPointModel = "resources/models/cylinder/cylinder.kmf";

void BuildRecords(TiXmlDocument& document);
void BuildDefaultCourse(TiXmlDocument& document);
// Both files under the root; false when one could not be written.
bool Write(const std::string& root);

} // namespace EditorContent
