#include "game/app/Tarvolin.h"

#include "editor/WindowNames.h"
#include "engine/core/Wizard.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/world/tvWorld.h"

#include <algorithm>

void Tarvolin::SetGameMode(int32_t mode)
{
    m_GameMode = mode;
    if (auto* course = dynamic_cast<tvWorld*>(GetCurrentWorld()))
        course->SetGameMode(mode);
}

int32_t Tarvolin::GetGameMode() const
{
    if (const auto* course = dynamic_cast<const tvWorld*>(GetCurrentWorld()))
        return course->GetGameMode();
    return m_GameMode;
}

void Tarvolin::SetSoundVolume(int32_t volume)
{
    m_SoundVolume = volume;
    if (g_pWizard)
        g_pWizard->SetMasterVolume(volume);
}

void Tarvolin::SetMusicVolume(int32_t volume)
{
    m_MusicVolume = volume;
    if (g_pWizard)
        g_pWizard->SetMusicVolume(volume);
}

bool Tarvolin::IsCareerLevel(const std::string& path) const
{
    return std::find(m_CareerLevels.begin(), m_CareerLevels.end(), path) != m_CareerLevels.end();
}

bool Tarvolin::IsShopLocked(const std::string& name) const
{
    // An item with an empty locked entity locks nothing: an empty name is never locked.
    if (name.empty())
        return false;
    return std::any_of(m_ShopItems.begin(), m_ShopItems.end(),
                       [&name](const std::unique_ptr<ShopItem>& item) { return item->GetLockedEntity() == name; });
}

bool Tarvolin::IsLocked(const std::string& name) const
{
    if (!IsShopLocked(name))
        return false;
    // Without a signed-in driver nothing has been bought.
    return m_CurrentPlayer == nullptr || !m_CurrentPlayer->IsUnlocked(name);
}

void Tarvolin::ShowLoadingDialog(bool show)
{
    if (g_pGuiManager == nullptr)
        return;
    guiWindow* dialog = g_pGuiManager->FindWindow(windowNames::kLoading);
    if (dialog == nullptr)
        return;
    if (show)
    {
        g_pGuiManager->ShowWindow(dialog, false);
        // The course load holds the frame loop: draw the dialog now so it is seen while loading.
        _DrawStartupFrame();
    }
    else
    {
        g_pGuiManager->HideWindow(dialog, gui::kModalDone);
    }
}
