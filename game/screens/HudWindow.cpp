#include "game/screens/HudWindow.h"

#include "engine/core/kaClock.h"
#include "engine/gui/guiManager.h"

namespace
{

constexpr int kApplicationTime = 5;

bool IsKind(int32_t kind)
{
    return kind >= 1 && kind < HudWindow::kPowerUpKinds;
}

} // namespace

HudWindow::HudWindow(const std::string& layoutFile) : guiWindow(layoutFile) {}

void HudWindow::ShowSongName(const std::string& name)
{
    m_SongName = name;
    m_SongNameVisible = true;
    m_SongNameShownAt = GetTime(kApplicationTime);
}

void HudWindow::SetCountImage(int32_t value)
{
    m_CountValue = value;
    m_CountVisible = true;
}

void HudWindow::ShowPowerUpIcon(int32_t kind)
{
    if (!IsKind(kind))
        return;
    m_IconVisible[kind] = true;
    m_IconShownAt[kind] = GetTime(kApplicationTime);
}

void HudWindow::HidePowerUpIcon(int32_t kind)
{
    if (IsKind(kind))
        m_IconVisible[kind] = false;
}

bool HudWindow::IsPowerUpIconVisible(int32_t kind) const
{
    return IsKind(kind) && m_IconVisible[kind];
}

void HudWindow::UpdateIconTimers()
{
    const double now = GetTime(kApplicationTime);
    if (m_SongNameVisible && now - m_SongNameShownAt > kIconTime)
        m_SongNameVisible = false;
    for (int32_t kind = 1; kind < kPowerUpKinds; ++kind)
        if (m_IconVisible[kind] && now - m_IconShownAt[kind] > kIconTime)
            m_IconVisible[kind] = false;
}

void HudWindow::ShowCourseSummary()
{
    if (g_pGuiManager == nullptr)
        return;
    g_pGuiManager->HideWindow(this, 1);
    if (guiWindow* summary = g_pGuiManager->FindWindow(kSummaryWindow))
        g_pGuiManager->ActivateWindow(summary);
}
