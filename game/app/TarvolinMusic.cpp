#include "engine/core/Song.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"
#include "game/app/SongInfo.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/RaceDisplay.h"
#include "game/world/tvWorld.h"

#include <algorithm>
#include <climits>
#include <utility>

void Tarvolin::_StartMusic()
{
    SetMusicCallback([this] { ChooseNextGroove(); });
    m_WorldSounds.Load(kWorldSoundsFile);
    if (g_pWizard && !g_pWizard->IsMusicMuted())
    {
        LoadThemeSong(kThemeSong);
        g_pWizard->StartSong();
    }
}

void Tarvolin::QueueThemeMusic(bool queued)
{
    m_ThemeMusicQueued = queued;
    m_ThemeMusicTime = 0.0f;
}

void Tarvolin::UpdateThemeMusic(float frameTime)
{
    if (!m_ThemeMusicQueued)
        return;
    m_ThemeMusicTime += frameTime;
    if (m_ThemeMusicTime <= kThemeDelay)
        return;
    LoadThemeSong(kThemeSong);
    if (g_pWizard)
        g_pWizard->StartSong();
    m_ThemeMusicQueued = false;
    m_ThemeMusicTime = 0.0f;
}

void Tarvolin::LoadThemeSong(const std::string& fileName)
{
    if (!g_pWizard)
        return;
    const bool paused = IsPaused();
    SetPaused(true);
    g_pWizard->LoadSong(fileName, false, false, 0.0f, 0.0f, 0.0f, 100.0f, 4.0f);
    SetPaused(paused);
    if (Song* song = g_pWizard->GetSong())
        song->loopEndCallback = m_MusicCallback;
}

std::string Tarvolin::PlaySong(int32_t index)
{
    if (m_Songs.empty())
        return std::string();
    const int32_t count = GetSongCount();
    if (index < 0)
        index = RandomInt(count);
    if (index >= count)
        index = 0;
    LoadThemeSong(m_Songs[static_cast<size_t>(index)]->path);
    m_CurrentSongIndex = index;
    return m_Songs[static_cast<size_t>(index)]->name;
}

void Tarvolin::ChangeSong(bool next)
{
    if (IsEditor() || !GetCurrentWorld())
        return;
    const bool paused = IsPaused();
    SetPaused(true);
    // With no songs listed the keys leave the playing song alone.
    std::string name;
    if (!m_Songs.empty() && g_pWizard)
    {
        g_pWizard->StopSong(true);
        if (next)
        {
            name = PlaySong(m_CurrentSongIndex + 1);
            if (name.empty())
                name = PlaySong(0);
        }
        else
        {
            name = PlaySong(m_CurrentSongIndex > 0 ? m_CurrentSongIndex - 1 : GetSongCount() - 1);
        }
        g_pWizard->StartSong();
    }
    SetPaused(paused);
    // During the course preview the world has no HUD yet.
    if (auto* course = dynamic_cast<tvWorld*>(GetCurrentWorld()))
        if (RaceDisplay* hud = course->GetHudWindow())
            hud->ShowSongName(name);
}

namespace
{

// Wheel spin rates below which the music calms down, and from which it gets busier.
constexpr float kCalmSpinRate = 30.0f;
constexpr float kBusySpinRate = 60.0f;

// Draws the song's next loop within its current range.
void PickNextGroove(Song& song)
{
    if (!song.HasCandidates())
        return;
    song.busy = true;
    if (song.IsStreamed())
    {
        song.SetNextCandidate(static_cast<size_t>(RandomInt(static_cast<int>(song.streamCandidates.size()))));
    }
    else
    {
        const size_t count = song.candidates.size();
        size_t index = static_cast<size_t>(RandomInt(static_cast<int>(count)));
        // Not the loop playing now, when there is another.
        if (song.candidates[index] == song.currentLoop && count > 1)
            index = index + 1 < count ? index + 1 : index - 1;
        song.SetNextCandidate(index);
    }
    ++song.changeCount;
    song.busy = false;
}

// One step up, short of overflowing a range that was never narrowed.
int32_t StepUp(int32_t level)
{
    return level < INT_MAX ? level + 1 : level;
}

// The groove range a course's music moves to at a wheel spin rate: calm loops while the wheels turn slowly,
// busier ones while they spin fast.
std::pair<int32_t, int32_t> GrooveRangeForSpin(float rate, int32_t low, int32_t high)
{
    int32_t newLow = low;
    int32_t newHigh = high;
    if (rate < kCalmSpinRate)
    {
        newLow = low > 1 ? low - 1 : low;
        newHigh = high > 2 ? high - 1 : high;
    }
    else if (rate < kBusySpinRate)
    {
        if (low > 3)
        {
            newLow = low - 1;
            newHigh = high > 4 ? high - 1 : high;
        }
        else if (high > 4)
            newHigh = high - 1;
        else if (low == 3 && high == 4)
            newLow = newHigh = 1;
        else if (high == 4)
            newLow = low + 1;
        else if (high < low + 2)
            newHigh = high + 1;
        else if (low < 3)
            newLow = low + 1;
    }
    else if (high < 5 && high < low + 2)
        newHigh = high + 1;
    else if (low < 4)
        newLow = low + 1;
    return {std::max(newLow, 1), std::max(newHigh, 1)};
}

} // namespace

void Tarvolin::ChooseNextGroove()
{
    Song* song = g_pWizard ? g_pWizard->GetSong() : nullptr;
    if (!song || song->busy)
        return;
    const int32_t low = song->grooveLow;
    const int32_t high = song->grooveHigh;
    if (!GetCurrentWorld())
    {
        // Outside a course the music climbs to the busier loops and then swings between them.
        if (high == 4 && (low == 1 || low == 4))
            song->SetGrooveRange(1, 4);
        else if (low < 4 || high < 4)
            song->SetGrooveRange(StepUp(low), StepUp(high));
        else
            song->SetGrooveRange(-1, -1);
        if (song->HasCandidates())
            PickNextGroove(*song);
        return;
    }
    // In a course the range follows the player vehicle's wheel spin once the song has played the grooves
    // owed to its last change; without a player vehicle the next loop is drawn within the current range.
    if (!m_pVehicle || song->groovesPerChange > song->changeCount)
    {
        PickNextGroove(*song);
        return;
    }
    const std::pair<int32_t, int32_t> range = GrooveRangeForSpin(m_pVehicle->GetWheelSpinRate(), low, high);
    if (range.first != low || range.second != high)
        song->SetGrooveRange(range.first, range.second);
    else
        PickNextGroove(*song);
}
