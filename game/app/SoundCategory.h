#pragma once

#include "engine/core/kaSoundHandle.h"

#include <string>
#include <vector>

// A named set of sounds of the world sound list; the game plays one of them at random.
class SoundCategory
{
public:
    explicit SoundCategory(const std::string& name) : m_Name(name) {}

    void AddSound(const kaSoundHandle& sound) { m_Sounds.push_back(sound); }
    const std::string& GetName() const { return m_Name; }
    const std::vector<kaSoundHandle>& GetSounds() const { return m_Sounds; }

private:
    std::vector<kaSoundHandle> m_Sounds;
    std::string m_Name;
};
