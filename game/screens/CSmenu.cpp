#include "game/screens/CSmenu.h"

#include "editor/WindowClassIds.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "game/app/Tarvolin.h"
#include "game/screens/XmlFileList.h"
#include "game/vehicles/CarInfo.h"

const kaClassInfo& CSmenu::StaticClassInfo()
{
    static const kaClassInfo record("[CSmenu]", kCSmenuClassId, &guiWindow::StaticClassInfo());
    return record;
}

CSmenu::CSmenu(const std::string& layoutFile, Tarvolin* app)
    : guiWindow(layoutFile), m_App(app), m_Folder(kVehicleFolder)
{
    m_Name = guiWidgetLookup::Find<guiTextBox>(*this, kNameBox);
    m_Preview = guiWidgetLookup::Find<guiImage>(*this, kPreviewName);
    m_Continue = guiWidgetLookup::Find<guiButton>(*this, kContinueName);
    m_Locked = guiWidgetLookup::Find<guiImage>(*this, kLockedName);
    const struct
    {
        const char* name;
        bool (CSmenu::*handler)();
    } buttons[] = {
        {kPrevName, &CSmenu::OnPrev},
        {kNextName, &CSmenu::OnNext},
        {kBackName, &CSmenu::OnBack},
    };
    for (const auto& entry : buttons)
        if (auto* button = guiWidgetLookup::Find<guiButton>(*this, entry.name))
        {
            const auto handler = entry.handler;
            button->SetOnClick([this, handler](int) { return (this->*handler)(); });
        }
    if (m_Continue != nullptr)
        m_Continue->SetOnClick([this](int) { return OnContinue(); });
    _LoadVehicles(m_Folder);
    m_Index = 0;
    OnShow();
}

CSmenu::~CSmenu() = default;

const CarInfo* CSmenu::GetVehicle(uint32_t index) const
{
    return index < m_Vehicles.size() ? m_Vehicles[index].get() : nullptr;
}

void CSmenu::_LoadVehicles(const std::string& folder)
{
    for (const std::string& path : XmlFileList::List(folder))
    {
        auto vehicle = std::make_unique<CarInfo>();
        if (vehicle->Load(path))
            m_Vehicles.push_back(std::move(vehicle));
    }
}

void CSmenu::_ShowCurrent()
{
    if (m_Vehicles.empty())
    {
        // Nothing to hand on: Continue would name a vehicle that does not exist.
        if (m_Continue != nullptr)
            m_Continue->SetEnabled(false);
        return;
    }
    if (m_Index >= m_Vehicles.size())
        return;
    const CarInfo& vehicle = *m_Vehicles[m_Index];
    const bool locked = m_App != nullptr && m_App->IsLocked(vehicle.GetInitId());
    if (m_Continue != nullptr)
        m_Continue->SetEnabled(!locked);
    if (m_Locked != nullptr)
        m_Locked->SetVisible(locked);
    if (m_Name != nullptr)
        m_Name->SetText(vehicle.GetInitId());
    if (m_Preview != nullptr)
        m_Preview->SetFilename(vehicle.GetImageFile(), true);
}

void CSmenu::OnShow()
{
    _ShowCurrent();
    if (m_Index < m_Vehicles.size() && m_App != nullptr)
        m_App->SetVehicleName(m_Vehicles[m_Index]->GetInitId());
    if (m_App != nullptr)
        m_App->GetWorldSounds().PlaySound("SelectAVehicle");
    guiWindow::OnShow();
}

bool CSmenu::OnNext()
{
    if (m_Vehicles.empty())
        return true;
    m_Index = m_Index + 1 >= m_Vehicles.size() ? 0 : m_Index + 1;
    _ShowCurrent();
    return true;
}

bool CSmenu::OnPrev()
{
    if (m_Vehicles.empty())
        return true;
    m_Index = m_Index == 0 ? uint32_t(m_Vehicles.size()) - 1 : m_Index - 1;
    _ShowCurrent();
    return true;
}

bool CSmenu::OnBack()
{
    if (g_pGuiManager == nullptr)
        return true;
    g_pGuiManager->HideWindow(this, gui::kModalDone);
    if (guiWindow* career = g_pGuiManager->FindWindow(kCareerWindow))
        g_pGuiManager->SwitchWindow(career, this, gui::kModalDone, true);
    return true;
}

bool CSmenu::OnContinue()
{
    // A locked vehicle disables Continue; a click that still arrives buys nothing.
    if (m_App == nullptr || m_Index >= m_Vehicles.size() || m_App->IsLocked(m_Vehicles[m_Index]->GetInitId()))
        return true;
    const std::string vehicle = m_Vehicles[m_Index]->GetInitId();
    if (m_App->GetGameMode() != kCareerMode && !m_App->IsCourseChosen())
    {
        m_App->SetVehicleName(vehicle);
        if (g_pGuiManager != nullptr)
            if (guiWindow* courses = g_pGuiManager->FindWindow(kCourseSelect))
                g_pGuiManager->SwitchWindow(courses, this, gui::kModalDone, true);
    }
    else
    {
        m_App->QueueThemeMusic(false);
        if (g_pWizard != nullptr)
            g_pWizard->StopSong(true);
        m_App->SetVehicleName(vehicle);
        m_App->StartCourse();
    }
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalDone);
    return true;
}
