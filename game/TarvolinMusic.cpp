#include "engine/core/Song.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"
#include "game/SongInfo.h"
#include "game/Tarvolin.h"

#include <climits>

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
    if (!m_Songs.empty() && g_pWizard)
    {
        g_pWizard->StopSong(true);
        if (next)
        {
            if (PlaySong(m_CurrentSongIndex + 1).empty())
                PlaySong(0);
        }
        else
        {
            PlaySong(m_CurrentSongIndex > 0 ? m_CurrentSongIndex - 1 : GetSongCount() - 1);
        }
        g_pWizard->StartSong();
    }
    SetPaused(paused);
    // The course HUD that shows the song's name does not exist yet.
}

namespace
{

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
    // owed to its last change. The game's vehicle class does not exist yet, so a course runs as one
    // without a player vehicle: the next loop is drawn within the current range.
    PickNextGroove(*song);
}
