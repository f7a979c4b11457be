#include "game/screens/CareerWindow.h"

#include "editor/WindowClassIds.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/world/WorldInfo.h"

#include <cmath>
#include <limits>

namespace
{

guiGlyph* LoadCell(const std::string& file)
{
    guiGlyph* cell = gui::LoadLayout(file);
    if (cell != nullptr)
        cell->CreateDeviceObjectsAll();
    return cell;
}

template <typename T> T* CellWidget(guiGlyph* cell)
{
    if (cell == nullptr)
        return nullptr;
    if (T* root = cell->DynamicCast<T>())
        return root;
    for (int i = 0; i < cell->GetChildCount(); ++i)
        if (T* found = CellWidget<T>(cell->GetChild(i)))
            return found;
    return nullptr;
}

void SetNumber(guiTextBox* box, int32_t value)
{
    if (box != nullptr)
        box->SetText(std::to_string(value));
}

} // namespace

const kaClassInfo& CareerWindow::StaticClassInfo()
{
    static const kaClassInfo record("[CareerWindow]", kCareerWindowClassId, &guiWindow::StaticClassInfo());
    return record;
}

CareerWindow::CareerWindow(const std::string& layoutFile, Tarvolin* app) : guiWindow(layoutFile), m_App(app)
{
    m_Driver = guiWidgetLookup::Find<guiTextBox>(*this, kDriverName);
    m_Points = guiWidgetLookup::Find<guiTextBox>(*this, kPointsName);
    m_Rep = guiWidgetLookup::Find<guiTextBox>(*this, kRepName);
    m_Unspent = guiWidgetLookup::Find<guiTextBox>(*this, kUnspentName);
    m_Runs = guiWidgetLookup::Find<guiTextBox>(*this, kRunsName);
    m_NearDeaths = guiWidgetLookup::Find<guiTextBox>(*this, kNearDeathName);
    m_NextLevel = guiWidgetLookup::Find<guiButton>(*this, kNextLevelName);
    m_Grid = guiWidgetLookup::Find<guiGrid>(*this, kGridName);
    const struct
    {
        const char* name;
        bool (CareerWindow::*handler)();
    } buttons[] = {
        {kNextLevelName, &CareerWindow::OnNextLevel},   {kMainMenuName, &CareerWindow::OnMainMenu},
        {kStuntShopName, &CareerWindow::OnStuntShop},   {kPracticeName, &CareerWindow::OnPractice},
        {kExhibitionName, &CareerWindow::OnExhibition}, {kCourseEditorName, &CareerWindow::OnCourseEditor},
    };
    for (const auto& entry : buttons)
    {
        guiButton* button =
            entry.name == kNextLevelName ? m_NextLevel : guiWidgetLookup::Find<guiButton>(*this, entry.name);
        if (button != nullptr)
        {
            const auto handler = entry.handler;
            button->SetOnClick([this, handler](int) { return (this->*handler)(); });
        }
    }
    if (m_Grid != nullptr)
        for (int32_t column = 0; column < int32_t(std::size(kColumnWidths)); ++column)
            m_Grid->SetColumnWidth(column, kColumnWidths[column]);
    // The level number is looked up at every showing; without a driver that is all a showing does.
    OnShow();
}

int32_t CareerWindow::TargetOf(const std::string& scoreLimit)
{
    return WorldInfo::ScoreLimitValue(scoreLimit);
}

std::string CareerWindow::ResultText(int32_t best, int32_t target)
{
    if (best < 1)
        return "Not Attempted";
    // Any score passes a course without a target, which would otherwise divide by zero.
    double percent = target > 0 ? double(best) / double(target) * 100.0 : 100.0;
    percent = std::trunc(percent);
    const double top = double(std::numeric_limits<int32_t>::max());
    const int32_t p = percent >= top ? std::numeric_limits<int32_t>::max() : int32_t(percent);
    return (p >= 100 ? "Passed: (" : "Attempted: (") + std::to_string(p) + "%)";
}

void CareerWindow::SetCell(int32_t row, int32_t column, const std::string& text,
                           const std::string& cellLayout)
{
    guiGlyph* cell = LoadCell(cellLayout);
    if (cell == nullptr)
        return;
    if (auto* box = CellWidget<guiTextBox>(cell))
        box->SetText(text);
    if (m_Grid != nullptr)
        m_Grid->SetCell(row, column, cell);
    else
        cell->Release();
}

void CareerWindow::OnShow()
{
    tvPlayer* player = m_App != nullptr ? m_App->GetCurrentPlayer() : nullptr;
    auto* level = guiWidgetLookup::Find<guiText>(*this, kLevelIndexName);
    if (player != nullptr)
    {
        if (level != nullptr)
        {
            if (m_NextLevel != nullptr)
                m_NextLevel->SetEnabled(true);
            level->SetText(std::to_string(int64_t(player->GetCareerLevel()) + 1));
        }
        if (m_Driver != nullptr)
            m_Driver->SetText(player->GetPlayerName() + "'s Career:");
        SetNumber(m_Points, player->GetTotalPointsEarned());
        SetNumber(m_Rep, player->GetTotalRepPoints());
        SetNumber(m_Unspent, player->GetUnspentRepPoints());
        SetNumber(m_Runs, player->GetCourseRuns());
        SetNumber(m_NearDeaths, player->GetNearDeaths());
        int32_t row = 0;
        for (int32_t i = 0; i < m_App->GetWorldCount(); ++i)
        {
            const WorldInfo* course = m_App->GetWorldInfo(i);
            if (course == nullptr)
                continue;
            const int32_t target = TargetOf(course->GetScoreLimit());
            const int32_t best = player->GetHighScore(course->GetFilePath());
            SetCell(row, kNameColumn, course->GetName(), kTextCell);
            SetCell(row, kResultColumn, ResultText(best, target), kTextCell);
            SetCell(row, kScoreColumn, std::to_string(best) + " / " + std::to_string(target), kTextCell);
            const bool locked = m_App->IsLocked(course->GetArena());
            if (guiGlyph* retry = LoadCell(kRetryCell))
            {
                if (auto* button = CellWidget<guiButton>(retry))
                {
                    button->SetOnClick([this, row](int) { return OnRetry(row); });
                    // Retry drives again a course the driver has scored on and may still drive.
                    button->SetEnabled(!locked && best >= 1);
                }
                if (m_Grid != nullptr)
                    m_Grid->SetCell(row, kRetryColumn, retry);
                else
                    retry->Release();
            }
            if (locked)
                SetCell(row, kLockColumn, "", kLockedCell);
            else if (m_Grid != nullptr && m_Grid->GetCell(row, kLockColumn) != nullptr)
                m_Grid->ClearCell(row, kLockColumn);
            ++row;
        }
    }
    guiWindow::OnShow();
}

void CareerWindow::_SwitchTo(const char* name)
{
    if (g_pGuiManager != nullptr)
        if (guiWindow* window = g_pGuiManager->FindWindow(name))
            g_pGuiManager->SwitchWindow(window, this, gui::kModalDone, true);
}

void CareerWindow::_ChooseMode(int32_t mode, bool courseChosen)
{
    if (m_App != nullptr)
    {
        m_App->SetGameMode(mode);
        m_App->SetCourseChosen(courseChosen);
    }
    _SwitchTo(kCarSelect);
}

bool CareerWindow::OnNextLevel()
{
    if (m_App != nullptr && m_App->GetCurrentPlayer() != nullptr)
    {
        const int32_t last = m_App->GetCareerLevelCount() - 1;
        const int32_t level = std::min(m_App->GetCurrentPlayer()->GetCareerLevel(), last);
        const std::string path = m_App->GetCareerLevel(level);
        m_App->SetLevelPathCopy(path);
        m_App->SetLevelPath(path);
    }
    _ChooseMode(kCareerMode);
    return true;
}

bool CareerWindow::OnExhibition()
{
    _ChooseMode(kExhibitionMode);
    return true;
}

bool CareerWindow::OnPractice()
{
    _ChooseMode(kPracticeMode);
    return true;
}

bool CareerWindow::OnMainMenu()
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalDone);
    _SwitchTo(kMainWindow);
    return true;
}

bool CareerWindow::OnStuntShop()
{
    if (g_pGuiManager == nullptr)
        return true;
    if (guiWindow* shop = g_pGuiManager->FindWindow(kStuntShop))
    {
        g_pGuiManager->SwitchWindow(shop, this, gui::kModalDone, true);
        g_pGuiManager->BringToFront(shop);
    }
    return true;
}

bool CareerWindow::OnCourseEditor()
{
    if (g_pWizard != nullptr)
        g_pWizard->StopSong(true);
    if (m_App != nullptr)
    {
        m_App->QueueThemeMusic(false);
        m_App->SetEditor(true);
    }
    if (g_pGuiManager != nullptr)
        if (guiWindow* editor = g_pGuiManager->FindWindow(kMapEditor))
        {
            g_pGuiManager->SwitchWindow(editor, this, gui::kModalDone, true);
            g_pGuiManager->BringToFront(editor);
        }
    return true;
}

bool CareerWindow::OnRetry(int32_t row)
{
    auto* name = m_Grid != nullptr ? CellWidget<guiTextBox>(m_Grid->GetCell(row, kNameColumn)) : nullptr;
    if (name == nullptr || m_App == nullptr)
        return true;
    for (int32_t i = 0; i < m_App->GetWorldCount(); ++i)
    {
        const WorldInfo* course = m_App->GetWorldInfo(i);
        if (course == nullptr || course->GetName() != name->GetText())
            continue;
        const bool chosen = m_App->GetCurrentPlayer() != nullptr;
        if (chosen)
        {
            m_App->SetLevelPathCopy(course->GetFilePath());
            m_App->SetLevelPath(course->GetFilePath());
        }
        // A course outside the career is driven as an exhibition, but it is this row's course: vehicle
        // select starts it instead of offering the course list.
        const bool career = m_App->IsCareerLevel(course->GetFilePath());
        _ChooseMode(career ? kCareerMode : kExhibitionMode, chosen);
        break;
    }
    return true;
}
