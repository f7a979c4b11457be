#pragma once

#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <string>

class Tarvolin;
class guiTextBox;

// What a started course shows before the run: its name, target, the driver's best, the all-time best and
// its holder. Begin hands over to the HUD; back throws the loaded course away.
class CoursePreview : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kCoursePreview;
    static constexpr const char* kNameBox = "career_level";
    static constexpr const char* kTargetBox = "target_score";
    static constexpr const char* kBestBox = "personal_best";
    static constexpr const char* kTopBox = "all time high";
    static constexpr const char* kHolderBox = "high score by";
    static constexpr const char* kBeginName = "begin";
    static constexpr const char* kBackName = "back";
    static constexpr const char* kHudWindow = windowNames::kHud;
    static constexpr const char* kCourseSelect = windowNames::kCourseSelect;
    static constexpr const char* kCarSelect = windowNames::kCarSelect;

    static const kaClassInfo& StaticClassInfo();

    CoursePreview(const std::string& layoutFile, Tarvolin* app);
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // Fills the texts from the current world; nothing without one.
    void OnShow() override;
    bool OnBegin();
    bool OnBack();

private:
    Tarvolin* m_App;
    guiTextBox* m_Name = nullptr;
    guiTextBox* m_Target = nullptr;
    guiTextBox* m_Best = nullptr;
    guiTextBox* m_Top = nullptr;
    guiTextBox* m_Holder = nullptr;
};
