#include "game/screens/CoursePreview.h"

#include "editor/WindowClassIds.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/HudWindow.h"
#include "game/world/tvWorld.h"

namespace
{

void SetText(guiTextBox* box, const std::string& text)
{
    if (box != nullptr)
        box->SetText(text);
}

} // namespace

const kaClassInfo& CoursePreview::StaticClassInfo()
{
    static const kaClassInfo record("[CoursePreview]", kCoursePreviewClassId, &guiWindow::StaticClassInfo());
    return record;
}

CoursePreview::CoursePreview(const std::string& layoutFile, Tarvolin* app) : guiWindow(layoutFile), m_App(app)
{
    m_Name = guiWidgetLookup::Find<guiTextBox>(*this, kNameBox);
    m_Target = guiWidgetLookup::Find<guiTextBox>(*this, kTargetBox);
    m_Best = guiWidgetLookup::Find<guiTextBox>(*this, kBestBox);
    m_Top = guiWidgetLookup::Find<guiTextBox>(*this, kTopBox);
    m_Holder = guiWidgetLookup::Find<guiTextBox>(*this, kHolderBox);
    if (auto* begin = guiWidgetLookup::Find<guiButton>(*this, kBeginName))
        begin->SetOnClick([this](int) { return OnBegin(); });
    if (auto* back = guiWidgetLookup::Find<guiButton>(*this, kBackName))
        back->SetOnClick([this](int) { return OnBack(); });
}

void CoursePreview::OnShow()
{
    auto* world = m_App != nullptr ? dynamic_cast<tvWorld*>(m_App->GetCurrentWorld()) : nullptr;
    if (world != nullptr)
    {
        const std::string target = std::to_string(world->GetScoreLimit());
        if (g_pGuiManager != nullptr)
            if (auto* hud = dynamic_cast<HudWindow*>(g_pGuiManager->FindWindow(kHudWindow)))
                hud->SetTargetText(target);
        SetText(m_Target, target);
        SetText(m_Name, world->GetName());
        if (tvPlayer* player = m_App->GetCurrentPlayer())
        {
            const std::string course = m_App->GetLevelPath();
            SetText(m_Best, std::to_string(player->GetHighScore(course)));
            SetText(m_Top, std::to_string(m_App->GetHighScore(course)));
            SetText(m_Holder, m_App->GetHighScorePlayer(course));
        }
    }
    guiWindow::OnShow();
}

bool CoursePreview::OnBegin()
{
    if (g_pGuiManager != nullptr)
        g_pGuiManager->HideWindow(this, gui::kModalDone);
    if (auto* world = m_App != nullptr ? dynamic_cast<tvWorld*>(m_App->GetCurrentWorld()) : nullptr)
        world->StartRound();
    if (g_pGuiManager != nullptr)
        if (guiWindow* hud = g_pGuiManager->FindWindow(kHudWindow))
            g_pGuiManager->SwitchWindow(hud, this, gui::kModalDone, true);
    return true;
}

bool CoursePreview::OnBack()
{
    if (g_pGuiManager != nullptr)
    {
        g_pGuiManager->HideWindow(this, gui::kModalDone);
        // Back the way the player came: vehicle select when the course was chosen before it.
        const bool chosen =
            m_App != nullptr && (m_App->GetGameMode() == kCareerMode || m_App->IsCourseChosen());
        g_pGuiManager->SwitchWindowByName(chosen ? kCarSelect : kCourseSelect, this, gui::kModalDone, false);
    }
    if (m_App == nullptr)
        return true;
    auto* world = dynamic_cast<tvWorld*>(m_App->GetCurrentWorld());
    m_App->SetCurrentWorld(nullptr);
    if (world != nullptr)
    {
        // The HUD must not keep a world that is gone.
        if (g_pGuiManager != nullptr)
            if (auto* hud = dynamic_cast<HudWindow*>(g_pGuiManager->FindWindow(kHudWindow)))
                if (hud->GetWorld() == world)
                    hud->SetWorld(nullptr);
        if (m_App->GetGraphicsManager() != nullptr)
            m_App->GetGraphicsManager()->DetachSceneObject(world);
        delete world;
    }
    m_App->QueueThemeMusic(true);
    return true;
}
