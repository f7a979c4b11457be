#include "game/screens/HudWindow.h"

#include "engine/core/kaClock.h"
#include "engine/gui/guiManager.h"
#include "game/screens/CourseSummary.h"
#include "game/tvWorld.h"

#include <algorithm>
#include <sstream>

namespace
{

constexpr int kApplicationTime = 5;

bool IsKind(int32_t kind)
{
    return kind >= 1 && kind < HudWindow::kPowerUpKinds;
}

std::string Entry(const char* name, float value)
{
    std::ostringstream text;
    text << name << ' ' << value;
    return text.str();
}

} // namespace

HudWindow::HudWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    // Without a layout of its own the HUD still covers the screen, so that what a course puts in it (the
    // arena's fade to white) shows.
    if (GetSize() == guiCoordPair())
        SetSize(guiCoordPair::Relative(1.0f, 1.0f));
}

size_t HudWindow::CountCalls(const std::string& entry) const
{
    return static_cast<size_t>(std::count(m_CallLog.begin(), m_CallLog.end(), entry));
}

void HudWindow::HideElements(bool hide)
{
    m_CallLog.push_back(Entry("HideElements", hide ? 1.0f : 0.0f));
    m_ElementsHidden = hide;
}

void HudWindow::HideCount()
{
    m_CallLog.push_back("HideCount");
    m_CountVisible = false;
}

void HudWindow::SetTimeText(const std::string& text)
{
    m_CallLog.push_back("SetTimeText " + text);
    m_TimeText = text;
}

void HudWindow::SetPointsText(const std::string& text)
{
    m_CallLog.push_back("SetPointsText " + text);
    m_PointsText = text;
}

void HudWindow::SetTargetText(const std::string& text)
{
    m_CallLog.push_back("SetTargetText " + text);
    m_TargetText = text;
}

void HudWindow::SetDamage(float damage)
{
    m_CallLog.push_back(Entry("SetDamage", damage));
    m_Damage = damage;
}

void HudWindow::ShowSongName(const std::string& name)
{
    m_CallLog.push_back("ShowSongName " + name);
    m_SongName = name;
    m_SongNameVisible = true;
    m_SongNameShownAt = GetTime(kApplicationTime);
}

void HudWindow::SetCountImage(int32_t value)
{
    m_CallLog.push_back(Entry("SetCountImage", static_cast<float>(value)));
    m_CountValue = value;
    m_CountVisible = true;
}

void HudWindow::ShowPowerUpIcon(int32_t kind)
{
    m_CallLog.push_back(Entry("ShowPowerUpIcon", static_cast<float>(kind)));
    if (!IsKind(kind))
        return;
    m_IconVisible[kind] = true;
    m_IconShownAt[kind] = GetTime(kApplicationTime);
}

void HudWindow::HidePowerUpIcon(int32_t kind)
{
    m_CallLog.push_back(Entry("HidePowerUpIcon", static_cast<float>(kind)));
    if (IsKind(kind))
        m_IconVisible[kind] = false;
}

bool HudWindow::IsPowerUpIconVisible(int32_t kind) const
{
    return IsKind(kind) && m_IconVisible[kind];
}

void HudWindow::UpdateIconTimers()
{
    m_CallLog.push_back("UpdateIconTimers");
    const double now = GetTime(kApplicationTime);
    if (m_SongNameVisible && now - m_SongNameShownAt > kIconTime)
        m_SongNameVisible = false;
    for (int32_t kind = 1; kind < kPowerUpKinds; ++kind)
        if (m_IconVisible[kind] && now - m_IconShownAt[kind] > kIconTime)
            m_IconVisible[kind] = false;
}

void HudWindow::ShowCourseSummary()
{
    m_CallLog.push_back("ShowCourseSummary");
    guiWindow* summary = nullptr;
    if (g_pGuiManager != nullptr)
    {
        g_pGuiManager->HideWindow(this, 1);
        summary = g_pGuiManager->FindWindow(kSummaryWindow);
        if (summary)
            g_pGuiManager->ActivateWindow(summary);
    }
    if (auto* world = dynamic_cast<tvWorld*>(m_World))
    {
        world->SetRunPhase(tvWorld::kPhaseSummary);
        world->SetSummaryWindow(dynamic_cast<CourseSummary*>(summary));
    }
}
