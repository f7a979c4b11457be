#pragma once

#include "editor/MapEditorWindow.h"
#include "editor/WindowNames.h"

#include <cstdint>
#include <string>

class CourseOptions;
class guiGrid;
class Tarvolin;
class kaSpawnPoint;

// The game's course editor: the engine's editor kept to course building. The player starts a course from
// its options, places and edits entities and saves courses the course list picks up; the terrain, sky,
// sun, water and decal tools are not offered.
class tvMapEditorWindow : public MapEditorWindow
{
public:
    static constexpr const char* kProductTitle = "Tarvolin";
    static constexpr const char* kCourseRow = "Course";
    static constexpr const char* kNoCourseName = "Select Name";
    static constexpr const char* kCareerWindow = windowNames::kCareer;
    static constexpr const char* kVenueDataType = "Venue";
    static constexpr const char* kSpawnPointRecord = "SpawnPoint";
    static constexpr const char* kSpawnPointClass = "kaSpawnPoint";
    static constexpr float kSpawnDrop = 1000.0f;
    // Palette cells as a share of the display, and the sizes used when the display gives none.
    static constexpr float kPaletteShare = 0.14f;
    static constexpr int32_t kFallbackRowHeight = 84;
    static constexpr int32_t kFallbackColumnWidth = 112;
    // Pixels the palette's frame leaves free between it and the screen's bottom edge, as its layout does at
    // 800 by 600.
    static constexpr int32_t kPaletteFootRoom = 20;

    tvMapEditorWindow(const std::string& layoutFile, Tarvolin* app, EditorHost* host);
    ~tvMapEditorWindow() override;

    // No decal is ever laid here: the press is the engine editor's entity press alone.
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    void OnShow() override;
    void LoadEntityPalette() override;
    kaWorld* ShowWorldSetup(bool showDialog) override;
    int32_t SaveWorld() override;
    void ExitEditor() override;

    void ShowCourseOptions();
    // The dialog's name, point target and time limit go to the world; a new course also gets its venue
    // and the venue's sun and sky.
    void ApplyCourseOptions(kaWorld& world, const CourseOptions& options);
    // "2:00" is 120 seconds, "1:30" 90, "90" 90; characters after a number's digits are ignored.
    static int32_t ParseTimeLimit(const std::string& text);
    // The leading digits of the text; 0 without any.
    static int32_t LeadingNumber(const std::string& text);
    // A spawn point on the ground under the venue's centre when the world has none; null when it had one.
    kaSpawnPoint* AddMissingSpawnPoint(kaWorld& world);

protected:
    MenuRows _MenuRows(Menu menu) const override;
    bool _Offers(const TiXmlElement* data) const override;
    std::string _WriteFailureCaption() const override { return kProductTitle; }
    // The player opens courses only: the engine's sample worlds have no ground for a car.
    bool _ListsEditorWorlds() const override { return false; }

private:
    // The editor's own work on show, without the window's.
    void _Refresh();
    void _FitPaletteFrame(guiGrid& palette, int32_t columnWidth, int32_t rowHeight, int32_t screenHeight);
    CourseOptions* _Options() const;
    void _SetUpEnvironment(kaWorld& world, const std::string& venue);
    void _ShowLockedEntities(bool show);
    void _Leave();

    Tarvolin* m_App = nullptr;
};
