#pragma once

class Wizard;

// Something in the sound system that takes time, advanced once a frame until it reports that it has
// finished; the queue then deletes it.
class SoundEvent
{
public:
    explicit SoundEvent(Wizard* wizard) : m_Wizard(wizard) {}
    virtual ~SoundEvent() = default;
    SoundEvent(const SoundEvent&) = delete;
    SoundEvent& operator=(const SoundEvent&) = delete;

    // True when finished.
    virtual bool Update(float dt) = 0;

protected:
    Wizard* m_Wizard;
};
