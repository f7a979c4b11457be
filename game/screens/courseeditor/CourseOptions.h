#pragma once

#include "editor/WindowNames.h"
#include "game/screens/courseeditor/PropertyEditor.h"

#include <string>
#include <vector>

class Tarvolin;

// The course editor's dialog for a course's name, venue, point target and time limit. A new course
// chooses its venue among those the player may use; an existing one shows it only.
class CourseOptions : public PropertyEditor
{
public:
    static constexpr const char* kWindowName = windowNames::kCourseOptions;
    static constexpr const char* kOkName = "OK Button";
    static constexpr const char* kCancelName = "Cancel Button";
    static constexpr const char* kDefaultName = "Select Name";
    static constexpr const char* kDefaultPointTarget = "20";
    static constexpr const char* kDefaultTimeLimit = "2:00";
    static constexpr const char* kExistingVenue = "House of Pain";
    static constexpr const char* kVenueDataType = "Venue";

    CourseOptions(const std::string& layoutFile, Tarvolin* app);
    ~CourseOptions() override;

    void OnShow() override;
    virtual void SetNewCourse(bool newCourse) { m_NewCourse = newCourse; }

    bool OnOk();
    bool OnCancel();

    // The uniqueIDs of the venue records in table order, without those the shop still locks for the
    // signed-in player (all shop-locked ones when nobody is signed in).
    std::vector<std::string> VenueNames() const;

    bool IsNewCourse() const { return m_NewCourse; }
    const std::string& GetCourseName() const { return m_CourseName; }
    const std::string& GetVenue() const { return m_Venue; }
    const std::string& GetPointTarget() const { return m_PointTarget; }
    const std::string& GetTimeLimit() const { return m_TimeLimit; }

private:
    Tarvolin* m_App;
    std::string m_CourseName;
    std::string m_Venue;
    std::string m_PointTarget;
    std::string m_TimeLimit;
    bool m_NewCourse = true;
};
