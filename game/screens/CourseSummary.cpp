#include "game/screens/CourseSummary.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiWidgetLookup.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/HudWindow.h"
#include "game/world/tvWorld.h"

#include <algorithm>

namespace
{

constexpr int kAbsoluteClock = 4;

void SetText(guiTextBox* box, const std::string& text)
{
    if (box != nullptr)
        box->SetText(text, 0);
}

void Show(guiImage* image, const std::string& picture)
{
    if (image == nullptr)
        return;
    image->SetFilename(picture, true);
    image->SetVisible(true);
}

void Hide(guiGlyph* widget)
{
    if (widget != nullptr)
        widget->SetVisible(false);
}

struct Award
{
    const char* picture;
    const char* caption;
};

// Steps 1 to 7 place these; step 0 places "str" when the run is won.
const Award kAwards[] = {
    {"ui/coursesummary/str.tga", "ui/coursesummary/str_text.tga"},
    {"ui/coursesummary/npb.tga", "ui/coursesummary/npb_text.tga"},
    {"ui/coursesummary/nhs.tga", "ui/coursesummary/nhs_text.tga"},
    {"UI/coursesummary/nl.tga", "ui/coursesummary/nl_text.tga"},
    {"ui/coursesummary/ncar.tga", "ui/coursesummary/ncar_text.tga"},
    {"ui/coursesummary/nsg.tga", "ui/coursesummary/nsg_text.tga"},
    {"ui/coursesummary/nv.tga", "ui/coursesummary/nv_text.tga"},
    {"ui/coursesummary/rpe.tga", "ui/coursesummary/rpe_text.tga"},
};

int32_t WholeSeconds()
{
    return static_cast<int32_t>(GetTime(kAbsoluteClock));
}

} // namespace

int32_t CourseSummary::ms_TickPhase = 0;

CourseSummary::CourseSummary(const std::string& layoutFile) : guiWindow(layoutFile)
{
    if (auto* button = guiWidgetLookup::Find<guiButton>(*this, "continue_b"))
        button->SetOnClick([this](int) { return OnContinue(); });
    m_TargetBox = guiWidgetLookup::Find<guiTextBox>(*this, "ts text");
    m_PointsBox = guiWidgetLookup::Find<guiTextBox>(*this, "s_text");
    guiWidgetLookup::Find<guiTextBox>(*this, "Course Name Textbox");
    m_LevelBox = guiWidgetLookup::Find<guiTextBox>(*this, "Career Level Textbox");
    m_ReputationImage = guiWidgetLookup::Find<guiImage>(*this, "rpe");
    m_ReputationLabel = guiWidgetLookup::Find<guiImage>(*this, "Reputation Points Label");
    for (int32_t slot = 0; slot < kSlots; ++slot)
    {
        const std::string number = std::to_string(slot + 1);
        m_Images[slot] = guiWidgetLookup::Find<guiImage>(*this, "image_" + number);
        m_Captions[slot] = guiWidgetLookup::Find<guiImage>(*this, "front_" + number);
    }
    _Reset();
}

void CourseSummary::_Reset()
{
    m_Phase = -1;
    m_PointCounter = 0;
    m_PointTotal = 0;
    m_ReputationCounter = 1;
    m_NextSlot = 0;
    m_BlinkSlot = -1;
    m_LastAwardSecond = 0;
    m_LastReputationSecond = 0;
    m_LastBlinkTenth = 0;
    m_Wrecked = m_Passed = m_LevelUp = false;
    m_NewPersonalBest = m_NewHighScore = m_ReputationEarned = false;
    m_NewCar = m_NewStuntGear = m_NewVehicle = false;
    m_Reputation = 0;
}

void CourseSummary::_PlayCue(const char* cue)
{
    m_SoundLog.push_back(cue);
    if (Tarvolin* game = Tarvolin::Instance())
        game->GetWorldSounds().PlaySound(cue);
}

void CourseSummary::_PlayWave(const char* file)
{
    m_SoundLog.push_back(file);
    if (g_pWizard != nullptr && !g_pWizard->IsMuted())
        g_pWizard->LoadAndPlaySound(file, ::GetSoundVolume(), false, 0.0f, 0.0f, 0.0f, true);
}

void CourseSummary::_SetReputationPicture(int32_t counter)
{
    m_ReputationPicture = "ui/coursesummary/" + std::to_string(counter) + ".tga";
    if (m_ReputationImage != nullptr)
        m_ReputationImage->SetFilename(m_ReputationPicture, true);
}

void CourseSummary::OnShow()
{
    for (int32_t slot = 0; slot < kSlots; ++slot)
    {
        Hide(m_Images[slot]);
        Hide(m_Captions[slot]);
        m_SlotPictures[slot].clear();
    }
    Tarvolin* game = Tarvolin::Instance();
    tvPlayer* player = game != nullptr ? game->GetCurrentPlayer() : nullptr;
    auto* world = game != nullptr ? dynamic_cast<tvWorld*>(game->GetCurrentWorld()) : nullptr;
    if (player == nullptr || world == nullptr)
    {
        guiWindow::OnShow();
        return;
    }
    // The run is over: the player's controls no longer drive the car under the summary.
    world->SetSelectedEntity(nullptr);
    SetText(m_LevelBox, world->GetName());
    SetText(m_TargetBox, std::to_string(world->GetScoreLimit()));
    m_PointCounter = 0;
    m_PointTotal = player->GetRunPoints();
    SetText(m_PointsBox, "0");

    const std::string course = game->GetLevelPath();
    const int32_t points = m_PointTotal;
    m_NewPersonalBest = player->GetHighScore(course) < points;
    if (m_NewPersonalBest)
        player->SetHighScore(course, points);
    m_NewHighScore = game->GetHighScore(course) < points && points > 0;
    if (m_NewHighScore)
        game->SetHighScore(course, player->GetPlayerName(), points);

    if (m_Reputation > 0)
    {
        m_ReputationCounter = 1;
        _SetReputationPicture(1);
        m_ReputationEarned = true;
    }
    Hide(m_ReputationImage);
    Hide(m_ReputationLabel);
    guiWindow::OnShow();
}

void CourseSummary::Update()
{
    ++m_UpdateCount;
    const int32_t second = WholeSeconds();
    if (m_Phase == 8 && m_ReputationCounter < m_Reputation && second != m_LastReputationSecond)
    {
        m_LastReputationSecond = second;
        m_ReputationCounter = std::min(m_ReputationCounter + 1, m_Reputation);
        _PlayWave(kWonSound);
        if (m_ReputationCounter > 0)
        {
            m_ReputationEarned = true;
            m_ReputationCounter = std::min(m_ReputationCounter, kMaxReputation);
            _SetReputationPicture(m_ReputationCounter);
        }
    }
    else if (m_Phase == -1 && m_PointCounter < m_PointTotal)
    {
        // A step of at least one point, so that small totals end their count too.
        const int32_t step = std::max(1, m_PointTotal / kCountFrames);
        m_PointCounter = std::min(m_PointCounter + step, m_PointTotal);
        if (m_PointCounter == m_PointTotal)
            m_Phase = 0;
        SetText(m_PointsBox, std::to_string(m_PointCounter));
        _PlayWave(kEachSound);
    }
    else
    {
        if (m_Phase == -1)
            m_Phase = 0;
        if (m_Phase == 0 && second != m_LastAwardSecond)
        {
            ms_TickPhase = second % 4;
            m_LastAwardSecond = second;
            AwardStep(0);
            m_Phase = 1;
        }
        else if (m_Phase >= 1 && m_Phase <= 8 && second % 4 == ms_TickPhase && second != m_LastAwardSecond)
        {
            m_LastAwardSecond = second;
            if (m_Phase <= 3)
            {
                AwardStep(m_Phase);
                ++m_Phase;
            }
            else if (m_Phase <= 7)
            {
                for (int32_t step = 4; step <= 7; ++step)
                    AwardStep(step);
                m_Phase = 8;
            }
            else if (m_ReputationCounter >= m_Reputation)
            {
                _Steady();
                m_Phase = kFinished;
            }
        }
    }
    _Blink();
}

void CourseSummary::_Steady()
{
    if (m_BlinkSlot < 0)
        return;
    if (m_Images[m_BlinkSlot] != nullptr)
        m_Images[m_BlinkSlot]->SetVisible(true);
    if (m_Captions[m_BlinkSlot] != nullptr)
        m_Captions[m_BlinkSlot]->SetVisible(true);
    m_BlinkSlot = -1;
}

void CourseSummary::_Place(const std::string& picture, const std::string& caption)
{
    const int32_t slot = m_NextSlot;
    Show(m_Images[slot], picture);
    Show(m_Captions[slot], caption);
    m_SlotPictures[slot] = picture;
    m_BlinkSlot = slot;
    m_NextSlot = std::min(slot + 1, kSlots - 1);
}

void CourseSummary::_Blink()
{
    if (m_BlinkSlot < 0)
        return;
    const int32_t tenth = static_cast<int32_t>(GetTime(kAbsoluteClock) * 10.0);
    if (tenth % 5 != 0 || tenth == m_LastBlinkTenth)
        return;
    m_LastBlinkTenth = tenth;
    if (guiImage* image = m_Images[m_BlinkSlot])
        image->SetVisible(!image->IsVisible());
}

void CourseSummary::AwardStep(int32_t step)
{
    _Steady();
    // A step 1 to 3 that does not apply hands over to the next step in its place, and only to that one, so
    // every award that applies still gets its own tick.
    if (step >= 1 && step <= 3)
    {
        const bool applies = step == 1 ? m_NewPersonalBest : step == 2 ? m_NewHighScore : m_LevelUp;
        if (!applies)
        {
            m_Phase = step + 1;
            AwardStep(step + 1);
            return;
        }
    }
    switch (step)
    {
    case 0:
        if (m_Passed)
        {
            _PlayWave(kWonSound);
            _PlayCue("Congrats");
            _Place(kAwards[0].picture, kAwards[0].caption);
        }
        else if (m_Wrecked)
            _PlayCue("Destroyed");
        else
        {
            _PlayWave(kLostSound);
            _PlayCue("BetterLuck");
        }
        break;
    case 1:
        _PlayCue("NewPersonalBest");
        _Place(kAwards[1].picture, kAwards[1].caption);
        break;
    case 2:
        _PlayCue("NewHighScore");
        _Place(kAwards[2].picture, kAwards[2].caption);
        break;
    case 3:
        _PlayCue("NewLevelUnlocked");
        _Place(kAwards[3].picture, kAwards[3].caption);
        break;
    case 4:
    case 5:
    case 6:
        if ((step == 4 && m_NewCar) || (step == 5 && m_NewStuntGear) || (step == 6 && m_NewVehicle))
            _Place(kAwards[step].picture, kAwards[step].caption);
        break;
    case 7:
        if (m_ReputationEarned)
        {
            _PlayWave(kWonSound);
            if (m_ReputationImage != nullptr)
                m_ReputationImage->SetVisible(true);
            if (m_ReputationLabel != nullptr)
                m_ReputationLabel->SetVisible(true);
            _Place(kAwards[7].picture, kAwards[7].caption);
        }
        break;
    default:
        break;
    }
}

bool CourseSummary::OnContinue()
{
    _Reset();
    if (g_pGuiManager != nullptr)
    {
        g_pGuiManager->HideWindow(this, gui::kModalDone);
        g_pGuiManager->SwitchWindowByName(kCareerWindow, this, gui::kModalDone, true);
    }
    Tarvolin* game = Tarvolin::Instance();
    if (game == nullptr)
        return true;
    auto* world = dynamic_cast<tvWorld*>(game->GetCurrentWorld());
    game->SetCurrentWorld(nullptr);
    if (world != nullptr)
    {
        world->SetSummaryWindow(nullptr);
        // The HUD must not keep a world that is gone.
        if (g_pGuiManager != nullptr)
            if (auto* hud = dynamic_cast<HudWindow*>(g_pGuiManager->FindWindow(tvWorld::kHudWindow)))
                if (hud->GetWorld() == world)
                    hud->SetWorld(nullptr);
        if (game->GetGraphicsManager() != nullptr)
            game->GetGraphicsManager()->DetachSceneObject(world);
        delete world;
    }
    game->QueueThemeMusic(true);
    return true;
}
