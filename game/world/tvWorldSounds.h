#pragma once

#include <memory>
#include <string>
#include <vector>

class SoundCategory;
class TiXmlElement;

// The world sound list: categories of wave files by name, played one at random. Game events name the
// category; the list ("Data\Sounds\Sounds.xml") decides what is heard.
class tvWorldSounds
{
public:
    static constexpr float kMaxDistance = 160.0f;
    static constexpr float kMinDistance = 10.0f;

    tvWorldSounds();
    virtual ~tvWorldSounds();
    tvWorldSounds(const tvWorldSounds&) = delete;
    tvWorldSounds& operator=(const tvWorldSounds&) = delete;

    // Appends the categories under a "soundList" element; the table is not cleared first.
    virtual void ReadXml(const TiXmlElement* element);
    // Reads the list file; a missing or broken file adds nothing.
    virtual bool Load(const std::string& path);

    // Plays one random sound of every category of that name, unless effects are switched off.
    void PlaySound(const std::string& category);

    float GetLastPlayTime() const { return m_LastPlayTime; }
    const std::string& GetPath() const { return m_Path; }
    size_t GetCategoryCount() const { return m_Categories.size(); }
    const SoundCategory* GetCategory(size_t index) const;

private:
    float m_LastPlayTime = 0.0f;
    std::string m_Path;
    std::vector<std::unique_ptr<SoundCategory>> m_Categories;
};
