#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>

class Tarvolin;
class WorldInfo;
class guiButton;
class guiGrid;
class guiImage;
class guiMsgEvent;

// Course select: every course of the course list by name and designer, the ones still locked by their
// arena marked, and the chosen one started.
class CourseSelectWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kCourseSelect;
    static constexpr const char* kBackName = "Back Button";
    static constexpr const char* kContinueName = "Continue Button";
    static constexpr const char* kLockedName = "Locked";
    static constexpr const char* kGridName = "Courses Grid";
    static constexpr const char* kCell = "UI/CourseSelect/Worlds_Cell.kab";
    static constexpr const char* kLockedSuffix = " <locked>";
    static constexpr const char* kCarSelect = windowNames::kCarSelect;
    static constexpr int32_t kColumnWidth = 340;

    static const kaClassInfo& StaticClassInfo();

    CourseSelectWindow(const std::string& layoutFile, Tarvolin* app);
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // Rewrites the rows, reselects the remembered one and plays the select sound.
    void OnShow() override;
    void SetCell(int32_t row, int32_t column, const std::string& text);

    bool OnBack();
    // False, changing nothing, for a locked course or an empty list.
    bool OnContinue();
    bool OnCourseSelected(const guiMsgEvent& event);

    guiGrid* GetGrid() const { return m_Grid; }
    int32_t GetRememberedIndex() const { return m_Index; }

private:
    bool _IsLocked(const WorldInfo& course) const;

    Tarvolin* m_App;
    guiButton* m_Back = nullptr;
    guiButton* m_Continue = nullptr;
    guiImage* m_Locked = nullptr;
    guiGrid* m_Grid = nullptr;
    int32_t m_Index = 0;
};
