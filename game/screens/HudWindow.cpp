#include "game/screens/HudWindow.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaApp.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/app/Tarvolin.h"
#include "game/screens/CourseSummary.h"
#include "game/world/tvCamera.h"
#include "game/world/tvWorld.h"
#include "platform/window/WindowConstants.h"

#include <initializer_list>

namespace
{

void SetText(guiTextBox* box, const std::string& text)
{
    if (box != nullptr)
        box->SetText(text, 0);
}

} // namespace

HudWindow::HudWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    // Without a layout of its own the HUD still covers the screen, so that what a course puts in it (the
    // arena's fade to white) shows.
    if (GetSize() == guiCoordPair())
        SetSize(guiCoordPair::Relative(1.0f, 1.0f));
    m_TopBar = guiWidgetLookup::Find<guiImage>(*this, "top_trans_image");
    m_Time = guiWidgetLookup::Find<guiTextBox>(*this, kTimeBox);
    m_Points = guiWidgetLookup::Find<guiTextBox>(*this, kPointsBox);
    m_Count = guiWidgetLookup::Find<guiImage>(*this, kCountImage);
    m_PressAnyKey = guiWidgetLookup::Find<guiImage>(*this, "PressAnyKey Image");
    m_DamageBar = guiWidgetLookup::Find<guiImage>(*this, kDamageImage);
    m_TimeIcon = guiWidgetLookup::Find<guiImage>(*this, "time icon image");
    m_ScoreIcon = guiWidgetLookup::Find<guiImage>(*this, "scoreicon");
    m_TargetIcon = guiWidgetLookup::Find<guiImage>(*this, "target icon image");
    m_DamageIcon = guiWidgetLookup::Find<guiImage>(*this, "damage icon image");
    m_Target = guiWidgetLookup::Find<guiTextBox>(*this, kTargetBox);
    m_Song = guiWidgetLookup::Find<guiTextBox>(*this, kSongBox);
    m_Icons[kJumpSlot] = guiWidgetLookup::Find<guiImage>(*this, "Jump Image");
    m_Icons[kTurboSlot] = guiWidgetLookup::Find<guiImage>(*this, "Turbo Image");
    m_Icons[kMegaTurboSlot] = guiWidgetLookup::Find<guiImage>(*this, "MegaTurbo Image");
    m_Icons[kRepairSlot] = guiWidgetLookup::Find<guiImage>(*this, "Repair Image");
    for (guiImage* icon : m_Icons)
        ShowWidget(icon, false);
    ShowWidget(m_PressAnyKey, false);
    ShowWidget(m_Song, false);
    m_CountVisible = m_Count != nullptr && m_Count->IsVisible();
}

int32_t HudWindow::DamageBar(float damage)
{
    const float scaled = damage * 0.16666667f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= float(kDamageBars))
        return kDamageBars;
    return static_cast<int32_t>(scaled);
}

std::string HudWindow::DamageBarPicture(int32_t bar)
{
    return "UI/HUD/art/damage_bar_" + std::to_string(bar) + ".tga";
}

std::string HudWindow::CountPicture(int32_t value)
{
    switch (value)
    {
    case 3:
        return "ui/hud/3.tga";
    case 2:
        return "ui/hud/2.tga";
    case 1:
        return "ui/hud/1.tga";
    case -1:
        return "ui/hud/go.tga";
    case -2:
        return "ui/hud/press_any_key.tga";
    default:
        return std::string();
    }
}

int32_t HudWindow::_SlotOf(int32_t kind)
{
    switch (kind)
    {
    case 2:
        return kTurboSlot;
    case 3:
        return kMegaTurboSlot;
    case 4:
        return kRepairSlot;
    case 5:
        return kJumpSlot;
    default:
        return -1;
    }
}

void HudWindow::_ShowSlot(int32_t slot, bool show)
{
    m_SlotVisible[slot] = show;
    m_Watches[slot].Reset();
    if (show)
        m_Watches[slot].Start();
    if (slot == kSongSlot)
    {
        m_SongNameVisible = show;
        ShowWidget(m_Song, show);
    }
    else
        ShowWidget(m_Icons[slot], show);
}

void HudWindow::ShowWidget(guiGlyph* widget, bool shown)
{
    if (widget == nullptr)
        return;
    // Showing a glyph shows its ancestors; the HUD's own flag is put back when it was hidden.
    const bool hudShown = IsVisible();
    widget->SetVisible(shown);
    if (!hudShown)
        _SetVisibleAlone(*this, false);
}

void HudWindow::HideElements(bool hide)
{
    m_ElementsHidden = hide;
    for (guiGlyph* widget :
         std::initializer_list<guiGlyph*>{m_Time, m_Points, m_Target, m_TimeIcon, m_ScoreIcon, m_TargetIcon,
                                          m_DamageIcon, m_TopBar, m_DamageBar})
        ShowWidget(widget, !hide);
}

bool HudWindow::IsCountVisible() const
{
    return m_CountVisible;
}

void HudWindow::HideCount()
{
    m_CountVisible = false;
    ShowWidget(m_Count, false);
}

void HudWindow::SetTimeText(const std::string& text)
{
    m_TimeText = text;
    SetText(m_Time, text);
}

void HudWindow::SetPointsText(const std::string& text)
{
    m_PointsText = text;
    SetText(m_Points, text);
}

void HudWindow::SetTargetText(const std::string& text)
{
    m_TargetText = text;
    SetText(m_Target, text);
}

void HudWindow::SetDamage(float damage)
{
    m_Damage = damage;
    // The bar is the course's; free driving (mode 0) has none, and without a world there is no course.
    if (m_World == nullptr || m_World->GetGameMode() == kPracticeMode)
        return;
    if (m_DamageBar != nullptr)
        m_DamageBar->SetFilename(DamageBarPicture(DamageBar(damage)), true);
}

void HudWindow::ShowSongName(const std::string& name)
{
    m_SongName = name;
    SetText(m_Song, name);
    _ShowSlot(kSongSlot, true);
}

void HudWindow::SetCountImage(int32_t value)
{
    const std::string picture = CountPicture(value);
    m_CountValue = value;
    m_CountVisible = !picture.empty();
    if (m_Count == nullptr)
        return;
    if (!picture.empty())
        m_Count->SetFilename(picture, false);
    ShowWidget(m_Count, m_CountVisible);
}

void HudWindow::ShowPowerUpIcon(int32_t kind)
{
    const int32_t slot = _SlotOf(kind);
    if (slot >= 0)
        _ShowSlot(slot, true);
}

void HudWindow::HidePowerUpIcon(int32_t kind)
{
    const int32_t slot = _SlotOf(kind);
    if (slot >= 0)
        _ShowSlot(slot, false);
}

bool HudWindow::IsPowerUpIconVisible(int32_t kind) const
{
    const int32_t slot = _SlotOf(kind);
    return slot >= 0 && m_SlotVisible[slot];
}

void HudWindow::UpdateIconTimers()
{
    for (int32_t slot = 0; slot < kSlotCount; ++slot)
        if (m_Watches[slot].GetElapsed() > kIconSeconds)
            _ShowSlot(slot, false);
}

void HudWindow::ShowCourseSummary()
{
    guiWindow* summary = nullptr;
    if (g_pGuiManager != nullptr)
    {
        g_pGuiManager->HideWindow(this, gui::kModalDone);
        summary = g_pGuiManager->FindWindow(kSummaryWindow);
        if (summary != nullptr)
            g_pGuiManager->SwitchWindow(summary, this, gui::kModalDone, false);
    }
    // The application's world is the one running; the attached one stands in when none is current.
    kaApp* app = kaApp::GetSingleton();
    auto* world = app != nullptr ? dynamic_cast<tvWorld*>(app->GetCurrentWorld()) : nullptr;
    if (world == nullptr)
        world = m_World;
    if (world != nullptr)
    {
        world->SetRunPhase(tvWorld::kPhaseSummary);
        if (auto* runSummary = dynamic_cast<CourseSummary*>(summary))
            world->SetSummaryWindow(runSummary);
    }
}

bool HudWindow::OnMouseMove(const guiMsgMouse& message)
{
    if (m_World != nullptr)
        if (tvCamera* camera = m_World->GetFollowCamera())
            camera->HandleInput(message.deltaX, message.deltaY, float(message.data.wheel),
                                message.data.buttons[platform::kMouseLeft],
                                message.data.buttons[platform::kMouseMiddle]);
    return guiWindow::OnMouseMove(message);
}

void HudWindow::_ChangeSong(int32_t step)
{
    Tarvolin* game = Tarvolin::Instance();
    if (game == nullptr)
        return;
    if (g_pWizard != nullptr)
        g_pWizard->StopSong(true);
    ShowSongName(game->PlaySong(game->GetCurrentSongIndex() + step));
    if (g_pWizard != nullptr)
        g_pWizard->StartSong();
}

void HudWindow::_Quit()
{
    if (g_pGuiManager != nullptr)
    {
        g_pGuiManager->HideWindow(this, gui::kModalDone);
        g_pGuiManager->SwitchWindowByName(kCareerWindow, this, gui::kModalDone, false);
    }
    kaApp* app = kaApp::GetSingleton();
    auto* world = app != nullptr ? dynamic_cast<tvWorld*>(app->GetCurrentWorld()) : nullptr;
    if (app != nullptr)
        app->SetCurrentWorld(nullptr);
    // The HUD keeps no pointer to a world that is gone.
    m_World = nullptr;
    if (world == nullptr)
        return;
    if (Tarvolin* game = Tarvolin::Instance())
        if (game->GetGraphicsManager() != nullptr)
            game->GetGraphicsManager()->DetachSceneObject(world);
    delete world;
}

bool HudWindow::OnKey(const guiMsgKey& message)
{
    const bool virtualKey = message.virtualKey != 0;
    if (!(virtualKey && message.key == platform::VK_ESCAPE))
    {
        if (!virtualKey && message.key == 'k')
            _ChangeSong(+1);
        else if (!virtualKey && message.key == 'm')
            _ChangeSong(-1);
        if (m_World != nullptr)
        {
            if (m_World->GetRunPhase() == tvWorld::kPhaseWaiting)
                m_World->StartClock();
            tvCamera* camera = m_World->GetFollowCamera();
            if (camera != nullptr && virtualKey && message.key == platform::VK_UP)
                camera->HandleInput(0.0f, 0.0f, -kZoomStep, false, false);
            else if (camera != nullptr && virtualKey && message.key == platform::VK_DOWN)
                camera->HandleInput(0.0f, 0.0f, kZoomStep, false, false);
        }
    }
    // No menu while the countdown runs: the run has not started yet.
    else if (m_World != nullptr && m_World->GetRunPhase() == tvWorld::kPhaseRunning &&
             !m_World->IsCountingDown() && g_pGuiManager != nullptr)
    {
        if (guiWindow* menu = g_pGuiManager->FindWindow(kInGameMenu))
        {
            if (Tarvolin* game = Tarvolin::Instance())
                game->GetWorldSounds().PlaySound("AreYouSure");
            const int32_t answer = g_pGuiManager->ShowWindow(menu, true);
            // The run may have ended while the menu was up; then the summary owns the world.
            if (answer == 1 && m_World != nullptr && m_World->GetRunPhase() == tvWorld::kPhaseRunning)
                _Quit();
        }
    }
    return guiWindow::OnKey(message);
}

void HudWindow::OnShow()
{
    m_CountVisible = false;
    ShowWidget(m_Count, false);
    SetDamage(0.0f);
    guiWindow::OnShow();
}
