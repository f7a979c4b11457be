#include "game/screens/CourseSelectWindow.h"

#include "editor/WindowClassIds.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/app/Tarvolin.h"
#include "game/world/WorldInfo.h"

namespace
{

constexpr int32_t kCellSelected = 1;

} // namespace

const kaClassInfo& CourseSelectWindow::StaticClassInfo()
{
    static const kaClassInfo record("[CourseSelectWindow]", kCourseSelectClassId,
                                    &guiWindow::StaticClassInfo());
    return record;
}

CourseSelectWindow::CourseSelectWindow(const std::string& layoutFile, Tarvolin* app)
    : guiWindow(layoutFile), m_App(app)
{
    m_Back = guiWidgetLookup::Find<guiButton>(*this, kBackName);
    m_Continue = guiWidgetLookup::Find<guiButton>(*this, kContinueName);
    m_Locked = guiWidgetLookup::Find<guiImage>(*this, kLockedName);
    m_Grid = guiWidgetLookup::Find<guiGrid>(*this, kGridName);
    if (m_Back != nullptr)
        m_Back->SetOnClick([this](int) { return OnBack(); });
    if (m_Continue != nullptr)
        m_Continue->SetOnClick([this](int) { return OnContinue(); });
    if (m_Grid != nullptr)
    {
        m_Grid->AddHandler(kCellSelected,
                           [this](const guiMsgEvent& event) { return OnCourseSelected(event); });
        m_Grid->SetColumnWidth(0, kColumnWidth);
        m_Grid->SetColumnWidth(1, kColumnWidth);
    }
}

bool CourseSelectWindow::_IsLocked(const WorldInfo& course) const
{
    return m_App != nullptr && m_App->IsLocked(course.GetArena());
}

void CourseSelectWindow::SetCell(int32_t row, int32_t column, const std::string& text)
{
    guiGlyph* cell = gui::LoadLayout(kCell);
    if (cell == nullptr)
        return;
    cell->CreateDeviceObjectsAll();
    if (auto* box = cell->DynamicCast<guiTextBox>())
        box->SetText(text);
    if (m_Grid != nullptr)
        m_Grid->SetCell(row, column, cell);
    else
        cell->Release();
}

void CourseSelectWindow::OnShow()
{
    if (m_App != nullptr)
    {
        for (int32_t i = 0; i < m_App->GetWorldCount(); ++i)
        {
            const WorldInfo* course = m_App->GetWorldInfo(i);
            if (course == nullptr)
                continue;
            SetCell(i, 0, course->GetName() + (_IsLocked(*course) ? kLockedSuffix : ""));
            SetCell(i, 1, course->GetDesigner());
        }
        if (m_Grid != nullptr && m_Index >= 0 && m_Index < int32_t(m_Grid->GetRowCount()))
            m_Grid->SelectRow(m_Index, true);
        m_App->GetWorldSounds().PlaySound("SelectAnArena");
    }
    guiWindow::OnShow();
}

bool CourseSelectWindow::OnCourseSelected(const guiMsgEvent& /*event*/)
{
    const int32_t row = m_Grid != nullptr ? m_Grid->GetSelectedRow() : -1;
    const WorldInfo* course = row >= 0 && m_App != nullptr ? m_App->GetWorldInfo(row) : nullptr;
    if (course == nullptr)
        return true;
    const bool locked = _IsLocked(*course);
    if (m_Continue != nullptr)
        m_Continue->SetVisible(!locked);
    if (m_Locked != nullptr)
        m_Locked->SetVisible(locked);
    return true;
}

bool CourseSelectWindow::OnBack()
{
    if (m_Grid != nullptr)
        m_Index = m_Grid->GetSelectedRow();
    if (g_pGuiManager != nullptr)
        if (guiWindow* cars = g_pGuiManager->FindWindow(kCarSelect))
            g_pGuiManager->SwitchWindow(cars, this, gui::kModalDone, true);
    return true;
}

bool CourseSelectWindow::OnContinue()
{
    if (m_App == nullptr)
        return false;
    int32_t i = m_Grid != nullptr ? m_Grid->GetSelectedRow() : -1;
    if (i < 0 || i >= m_App->GetWorldCount())
        i = 0;
    m_Index = i;
    const WorldInfo* course = m_App->GetWorldInfo(i);
    // An empty list has no course to hand on; a locked one cannot be started.
    if (course == nullptr || _IsLocked(*course))
        return false;
    m_App->QueueThemeMusic(false);
    if (g_pWizard != nullptr)
        g_pWizard->StopSong(true);
    m_App->SetLevelPath(course->GetFilePath());
    m_App->SetLevelPathCopy(course->GetFilePath());
    m_App->StartCourse();
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalDone);
    return true;
}
