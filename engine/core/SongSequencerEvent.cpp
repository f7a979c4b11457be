#include "engine/core/SongSequencerEvent.h"

#include "engine/core/Song.h"
#include "engine/core/Wizard.h"
#include "platform/audio/MusicGraph.h"

using platform::MusicGraph;

bool SongSequencerEvent::Update(float /*dt*/)
{
    if (!m_Wizard || !m_Song)
        return false;
    return m_Song->IsStreamed() ? _UpdateStreamed() : _UpdateSampled();
}

bool SongSequencerEvent::_StreamEnded()
{
    MusicGraph* graph = m_Wizard->_ActiveGraph();
    // A graph that answers no position (its file missing or unreadable) has nothing to play: it counts
    // as ended, so the song moves past that part.
    bool ended = true;
    if (graph)
    {
        uint32_t capabilities = 0;
        graph->GetCapabilities(capabilities);
        int64_t current = 0, stop = 0, duration = 0;
        if (graph->GetCurrentPosition(current) == platform::kResultOk &&
            graph->GetStopPosition(stop) == platform::kResultOk &&
            graph->GetDuration(duration) == platform::kResultOk)
            ended = current >= duration - kEndMargin;
    }
    if (ended && graph)
    {
        graph->Stop();
        const int64_t start = 0;
        graph->SetPositions(&start, platform::kSeekingAbsolutePositioning, nullptr,
                            platform::kSeekingNoPositioning);
    }
    return ended;
}

bool SongSequencerEvent::_UpdateStreamed()
{
    const bool ended = _StreamEnded();
    const bool control = m_Wizard->_ActiveGraph() != nullptr;
    switch (m_State)
    {
    case 0:
        if (!control || !ended)
            return false;
        if (m_Song->streamCurrentLoop)
        {
            m_Wizard->_SwitchToGraph(Wizard::kCurrentLoopGraph);
            m_State = 1;
        }
        else if (m_Song->streamOutro)
        {
            m_Wizard->_SwitchToGraph(Wizard::kOutroGraph);
            m_State = 3;
        }
        return false;
    case 1:
        if (!control || !ended)
            return false;
        return _OnStreamLoopEnd();
    case 2:
        if (!control)
            return false;
        {
            int32_t state = 0;
            m_Wizard->_ActiveGraph()->GetState(kStateChangeTimeoutMs, state);
        }
        m_State = 1;
        // A loop that already played through (the sequencer ran late) was stopped and rewound by the end
        // test above: its end is taken now, or the song would wait for it for ever.
        return ended ? _OnStreamLoopEnd() : false;
    case 3:
        if (!ended)
            return false;
        m_State = 4;
        if (m_Song->unloadWhenFinished)
            m_Wizard->UnloadSong();
        return true;
    default:
        return false;
    }
}

bool SongSequencerEvent::_OnStreamLoopEnd()
{
    if (m_Song->hold)
    {
        // The end test stopped and rewound the loop; held, it plays again rather than fall silent for
        // good.
        m_Wizard->_ActiveGraph()->Run();
        return false;
    }
    if (m_Song->stopRequested)
    {
        if (m_Song->streamOutro)
            m_Wizard->_SwitchToGraph(Wizard::kOutroGraph);
        m_State = 3;
        m_Song->stopRequested = false;
        return false;
    }
    if (m_Song->streamNextLoop)
    {
        m_State = 2;
        m_Wizard->_SwapLoopGraphs();
        m_Wizard->_SwitchToGraph(Wizard::kCurrentLoopGraph);
    }
    else if (m_Song->streamOutro)
    {
        m_Wizard->_SwitchToGraph(Wizard::kOutroGraph);
        m_State = 3;
    }
    if (m_Song->loopEndCallback)
        m_Song->loopEndCallback();
    return false;
}

bool SongSequencerEvent::_UpdateSampled()
{
    const int32_t volume = GetMusicVolume();
    auto play = [this, volume](kaSoundHandle* part)
    {
        if (part)
            m_Wizard->PlaySound(*part, false, volume);
    };
    auto playing = [this](kaSoundHandle* part) { return part && m_Wizard->IsSoundPlaying(*part); };

    switch (m_State)
    {
    case 0:
        if (m_Song->stopRequested)
        {
            m_State = 3;
            if (m_Song->intro)
                m_Wizard->StopSound(*m_Song->intro);
            play(m_Song->outro.get());
            m_Song->stopRequested = false;
            return false;
        }
        if (!m_Song->intro || playing(m_Song->intro.get()))
            return false;
        if (m_Song->currentLoop)
        {
            play(m_Song->currentLoop);
            m_State = 1;
        }
        else if (m_Song->outro)
        {
            play(m_Song->outro.get());
            m_State = 3;
        }
        return false;
    case 1:
        if (playing(m_Song->currentLoop) || m_Song->hold)
            return false;
        if (m_Song->stopRequested)
        {
            m_State = 3;
            play(m_Song->outro.get());
            m_Song->stopRequested = false;
            return false;
        }
        if (m_Song->nextLoop)
        {
            m_State = 2;
            m_Song->currentLoop = m_Song->nextLoop;
            play(m_Song->currentLoop);
        }
        else if (m_Song->outro)
        {
            play(m_Song->outro.get());
            m_State = 3;
        }
        if (m_Song->loopEndCallback)
            m_Song->loopEndCallback();
        return false;
    case 2:
        if (m_Song->stopRequested)
        {
            m_State = 3;
            play(m_Song->outro.get());
            m_Song->stopRequested = false;
        }
        else
        {
            // Playing, or already played through when the sequencer ran late: either way the loop's end
            // is looked for from now on, so the song cannot stall here.
            m_State = 1;
        }
        return false;
    case 3:
        if (playing(m_Song->outro.get()))
            return false;
        m_State = 4;
        if (m_Song->unloadWhenFinished)
            m_Wizard->UnloadSong();
        return true;
    default:
        return false;
    }
}
