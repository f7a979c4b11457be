#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>

class Tarvolin;
class guiButton;
class guiGrid;
class guiTextBox;

// The hub after sign-in: the driver's statistics and career level, every course with the driver's result
// on it, and the ways to the game modes, the stunt shop, the course editor and the main menu.
class CareerWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kCareer;
    static constexpr const char* kDriverName = "DriverValue TextBox";
    static constexpr const char* kPointsName = "TCP TextBox";
    static constexpr const char* kRepName = "TRP TextBox";
    static constexpr const char* kUnspentName = "Unspent TextBox";
    static constexpr const char* kRunsName = "CourseRunsValue TextBox";
    static constexpr const char* kNearDeathName = "NearDeath TextBox";
    static constexpr const char* kNextLevelName = "NextLevel Button";
    static constexpr const char* kMainMenuName = "MainMenu Button";
    static constexpr const char* kStuntShopName = "StuntShop Button";
    static constexpr const char* kPracticeName = "Practice Button";
    static constexpr const char* kExhibitionName = "Exhibition Button";
    static constexpr const char* kCourseEditorName = "CourseEditor Button";
    static constexpr const char* kGridName = "Levels Grid";
    static constexpr const char* kLevelIndexName = "Level Index";
    static constexpr const char* kTextCell = "UI/CareerMenu/Text_Cell.kab";
    static constexpr const char* kRetryCell = "UI/CareerMenu/Retry_Cell.kab";
    static constexpr const char* kLockedCell = "UI/CareerMenu/Locked_Cell.kab";
    static constexpr const char* kCarSelect = windowNames::kCarSelect;
    static constexpr const char* kMainWindow = windowNames::kMain;
    static constexpr const char* kStuntShop = windowNames::kStuntShop;
    static constexpr const char* kMapEditor = windowNames::kMapEditor;
    static constexpr int32_t kColumnWidths[] = {140, 10, 100, 25, 90, 15, 60};
    static constexpr int32_t kNameColumn = 0, kResultColumn = 2, kScoreColumn = 4, kLockColumn = 5,
                             kRetryColumn = 6;

    static const kaClassInfo& StaticClassInfo();

    CareerWindow(const std::string& layoutFile, Tarvolin* app);
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // Rebuilds the statistics and the rows from the signed-in driver; nothing without one.
    void OnShow() override;
    // A row's result: "Not Attempted", or the best score as a percentage of the target, passed from 100.
    static std::string ResultText(int32_t best, int32_t target);
    // The score limit as the rows count it, as the run does: a text that is no number is the default.
    static int32_t TargetOf(const std::string& scoreLimit);
    // Loads the cell, gives it the text and puts it into the grid; nothing when the cell does not load.
    void SetCell(int32_t row, int32_t column, const std::string& text, const std::string& cellLayout);

    bool OnNextLevel();
    bool OnExhibition();
    bool OnPractice();
    bool OnMainMenu();
    bool OnStuntShop();
    bool OnCourseEditor();
    // Bound to each row's retry button, which is enabled on the courses the driver has scored on and
    // may drive: the row's course, a career run on a career level and an exhibition on any other.
    bool OnRetry(int32_t row);

    guiGrid* GetGrid() const { return m_Grid; }

private:
    void _SwitchTo(const char* name);
    // The mode for vehicle select, and whether the course is already chosen (a retry) or still to pick.
    void _ChooseMode(int32_t mode, bool courseChosen = false);

    Tarvolin* m_App;
    guiTextBox* m_Driver = nullptr;
    guiTextBox* m_Points = nullptr;
    guiTextBox* m_Rep = nullptr;
    guiTextBox* m_Unspent = nullptr;
    guiTextBox* m_Runs = nullptr;
    guiTextBox* m_NearDeaths = nullptr;
    guiButton* m_NextLevel = nullptr;
    guiGrid* m_Grid = nullptr;
};
