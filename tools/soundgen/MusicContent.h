#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the game's songs: the theme, streamed as Ogg Vorbis, and the songs of the music folder (one
// sampled from WAV loops, one streamed in a folder of its own), each with an intro, an outro and loops at
// groove levels 1 to 5 that add instruments as the level rises. Same bytes on every run.
class MusicContent
{
public:
    static constexpr const char* kThemeList = "Resources/Sounds/Roadblazer Theme/Roadblazer.xml";
    static constexpr int kLevels = 5;
    static constexpr uint32_t kRate = 22050;

    // One song: where its list and parts go and how it sounds.
    struct Plan
    {
        std::string name;
        std::string list;
        // The folder of its parts, and their file ending (".ogg" streamed, ".wav" sampled).
        std::string folder;
        bool streamed;
        int loopsPerLevel;
        int barsPerLoop;
        double bpm;
        // One chord root per bar, in Hz, and whether each is minor.
        std::vector<double> roots;
        std::vector<bool> minor;
        int initLow, initHigh;
        int groovesPerChange;
    };

    static std::vector<Plan> Songs();
    // The part files of a song, in list order: intro, outro, then the loops by level and variant.
    static std::string PartPath(const Plan& plan, const std::string& part);
    static std::string LoopName(int level, int variant);

    explicit MusicContent(const std::string& root) : m_Root(root) {}
    bool WriteAll();
    bool WriteSong(const Plan& plan);

    // The samples of one loop (variant picks which bars of the progression it plays), of the intro and of
    // the outro, before the song's common level is applied.
    static std::vector<float> Groove(const Plan& plan, int level, int variant);
    static std::vector<float> Intro(const Plan& plan);
    static std::vector<float> Outro(const Plan& plan);

private:
    std::string _Path(const std::string& relative) const { return m_Root + "/" + relative; }
    bool _WriteList(const Plan& plan);

    std::string m_Root;
};
