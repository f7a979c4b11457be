#include "engine/core/Song.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"

void Song::SetNextCandidate(size_t index)
{
    if (IsStreamed())
    {
        if (index >= streamCandidates.size())
            return;
        streamNextLoop = streamCandidates[index];
        if (g_pWizard && g_pWizard->GetSong() == this)
            g_pWizard->LoadNextStreamLoop();
        return;
    }
    // The sequencer has already started the current loop when it asks for the next one: replacing the
    // current loop would leave it waiting for a loop that never starts.
    if (index < candidates.size())
        nextLoop = candidates[index];
}

void Song::SetGrooveRange(int32_t low, int32_t high)
{
    if (busy)
        return;
    grooveLow = low;
    grooveHigh = high;
    busy = true;
    changeCount = 0;
    if (IsStreamed())
    {
        std::vector<Part*> found;
        for (const auto& loop : streamLoops)
            if (InGrooveRange(loop->grooveLevel))
                found.push_back(loop.get());
        if (!found.empty())
            streamCandidates = std::move(found);
    }
    else
    {
        std::vector<kaSoundHandle*> found;
        for (const auto& loop : loops)
            if (InGrooveRange(loop->id3))
                found.push_back(loop.get());
        if (!found.empty())
            candidates = std::move(found);
    }
    if (HasCandidates())
    {
        const int count = static_cast<int>(IsStreamed() ? streamCandidates.size() : candidates.size());
        SetNextCandidate(static_cast<size_t>(RandomInt(count)));
        changeCount = 1;
    }
    busy = false;
}
