#pragma once

// The names the game's screens and the editor's windows are found by, each written once. It sits beside
// the editor so that the editor, the game and the layout generator can all use it; it needs nothing else.
namespace windowNames
{

constexpr const char* kLoading = "loading dialog";
constexpr const char* kMain = "main window";
constexpr const char* kOptions = "Options Window";
constexpr const char* kNewPlayer = "New Player Window";
constexpr const char* kDeletePlayer = "Delete Player Window";
constexpr const char* kCareer = "Career Window";
constexpr const char* kCourseSelect = "CourseSelect Window";
constexpr const char* kCredits = "credits window";
constexpr const char* kHud = "Hud Window";
constexpr const char* kCarSelect = "Car Select";
constexpr const char* kInGameMenu = "InGameMenu";
constexpr const char* kCourseSummary = "Course Run Summary";
constexpr const char* kMapEditor = "Map Editor Window";
constexpr const char* kCreateTerrain = "Create Terrain Window";
constexpr const char* kEditorProperties = "Editor Properties Window";
constexpr const char* kCourseOptions = "Course Options Window";
constexpr const char* kSaveGame = "Save Game Window";
constexpr const char* kAddSkybox = "Add Skybox Window";
constexpr const char* kFlareLayer = "Flare Layer Window";
constexpr const char* kCoursePreview = "Course Preview";
constexpr const char* kStuntShop = "Stunt Shop";
constexpr const char* kSaveWorld = "Save World Menu";

} // namespace windowNames
