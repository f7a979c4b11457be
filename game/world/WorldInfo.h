#pragma once

#include <cstdint>
#include <string>

class TiXmlElement;

// A course as the course lists show it, read from the head of its world file.
class WorldInfo
{
public:
    static constexpr const char* kDefaultText = "Unnamed";
    static constexpr const char* kRootElement = "World";
    // A course's target when its file names none: the course world and the course lists both use it.
    static constexpr int32_t kDefaultScoreLimit = 10;
    // The target a score-limit text gives: its leading whole number, clamped to 32 bits; the default
    // target when it starts with none (a word is no target of 0, which every run would pass).
    static int32_t ScoreLimitValue(const std::string& text);

    virtual ~WorldInfo() = default;

    // Fields the element lacks keep their values.
    virtual void ReadXml(const TiXmlElement* element);
    // False when the file cannot be read as XML; a file without the root still counts as loaded.
    virtual bool Load(const std::string& path);

    const std::string& GetName() const { return m_Name; }
    const std::string& GetDesigner() const { return m_Designer; }
    const std::string& GetFilePath() const { return m_FilePath; }
    // Kept as the file's text (the default's when the file has none): the course rules convert it alike
    // when the course runs.
    const std::string& GetScoreLimit() const { return m_ScoreLimit; }
    const std::string& GetArena() const { return m_Arena; }
    // A course names the venue it is driven on; a world without one (a terrain the engine editor made) has
    // nothing to drive on.
    bool HasVenue() const { return !m_Arena.empty(); }

private:
    std::string m_Name = kDefaultText;
    std::string m_Designer = kDefaultText;
    std::string m_FilePath;
    std::string m_ScoreLimit = std::to_string(kDefaultScoreLimit);
    std::string m_Arena;
};
