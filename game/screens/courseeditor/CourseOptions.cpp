#include "game/screens/courseeditor/CourseOptions.h"

#include "engine/core/kaInitDataBase.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"

namespace
{

enum Row : int32_t
{
    kNameRow = 0,
    kDesignerRow = 1,
    kVenueRow = 2,
    kPointRow = 3,
    kTimeRow = 4,
};

} // namespace

CourseOptions::CourseOptions(const std::string& layoutFile, Tarvolin* app)
    : PropertyEditor(layoutFile), m_App(app)
{
    if (auto* ok = guiWidgetLookup::Find<guiButton>(*this, kOkName))
        ok->SetOnClick([this](int) { return OnOk(); });
    if (auto* cancel = guiWidgetLookup::Find<guiButton>(*this, kCancelName))
        cancel->SetOnClick([this](int) { return OnCancel(); });
}

CourseOptions::~CourseOptions() = default;

std::vector<std::string> CourseOptions::VenueNames() const
{
    std::vector<std::string> names;
    const kaInitDataTable* venues =
        g_pInitDataBase != nullptr ? g_pInitDataBase->GetTable(kVenueDataType) : nullptr;
    if (venues == nullptr)
        return names;
    for (const auto& venue : *venues)
        // Without an application nothing can be bought, so nothing the shop sells is offered.
        if (m_App != nullptr && !m_App->IsLocked(venue.first))
            names.push_back(venue.first);
    return names;
}

void CourseOptions::OnShow()
{
    m_CourseName = kDefaultName;
    m_PointTarget = kDefaultPointTarget;
    m_TimeLimit = kDefaultTimeLimit;
    if (m_Grid != nullptr)
        m_Grid->Clear(false);
    AddTextRow(kNameRow, "Course Name:", m_CourseName, true);
    // Nobody signed in designs nothing: the row stays empty.
    const tvPlayer* player = m_App != nullptr ? m_App->GetCurrentPlayer() : nullptr;
    AddTextRow(kDesignerRow, "Designers Name:", player != nullptr ? player->GetPlayerName() : std::string(),
               false);
    if (m_NewCourse)
        AddChoiceRow(kVenueRow, "Venue:", VenueNames());
    else
        AddTextRow(kVenueRow, "Venue:", kExistingVenue, false);
    AddTextRow(kPointRow, "Point Target:", m_PointTarget, true);
    AddTextRow(kTimeRow, "Time Limit:", m_TimeLimit, true);
    PropertyEditor::OnShow();
}

bool CourseOptions::OnOk()
{
    m_CourseName = GetRowText(kNameRow);
    m_Venue = GetRowText(kVenueRow);
    m_PointTarget = GetRowText(kPointRow);
    m_TimeLimit = GetRowText(kTimeRow);
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalDone);
    return true;
}

bool CourseOptions::OnCancel()
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalCancelled);
    return true;
}
