#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the game's sound effects, the announcer's cues and the world sound list under a root folder,
// the same bytes on every run. The cues are spoken by espeak-ng and then trimmed and levelled here, so
// the files do not carry the speaker's own framing.
class SoundContent
{
public:
    static constexpr const char* kSoundList = "Data/Sounds/Sounds.xml";
    static constexpr const char* kEngineStart = "resources/sounds/game/engine/start.wav";
    static constexpr const char* kEngineLoop = "resources/sounds/game/engine/loop.wav";
    static constexpr const char* kEngineStop = "resources/sounds/game/engine/stop.wav";
    static constexpr const char* kCrowdIntro = "resources/sounds/game/crowd/intro.wav";
    static constexpr const char* kCrowdLoop = "resources/sounds/game/crowd/loop.wav";
    static constexpr const char* kCrowdOutro = "resources/sounds/game/crowd/outro.wav";
    static constexpr const char* kLaunch = "resources/sounds/game/launch.wav";
    // The power grate's hum in three parts, and the explosive barrel's blast (world sound "Explosion").
    static constexpr const char* kGrateIntro = "Resources/Sounds/Game/Grate/intro.wav";
    static constexpr const char* kGrateLoop = "Resources/Sounds/Game/Grate/loop.wav";
    static constexpr const char* kGrateOutro = "Resources/Sounds/Game/Grate/outro.wav";
    static constexpr const char* kExplosion = "Resources/Sounds/Game/explosion.wav";
    static constexpr const char* kExplosionCategory = "Explosion";
    static constexpr const char* kAnnouncerFolder = "Resources/Sounds/Announcer/";
    // The engine loop's rate: the vehicle plays it at 44100 Hz and up.
    static constexpr uint32_t kEngineRate = 44100;
    static constexpr uint32_t kEffectRate = 22050;

    // An announcer cue: its category name (also its file's name) and the words spoken.
    struct Cue
    {
        const char* name;
        const char* words;
    };
    // A category of the world sound list and its files, as the list names them.
    struct Category
    {
        std::string name;
        std::vector<std::string> paths;
    };

    static const std::vector<Cue>& Cues();
    static std::string CuePath(const std::string& name);
    static std::vector<Category> Categories();
    // Every effect file written, cues aside.
    static std::vector<std::string> EffectFiles();
    static std::vector<std::string> GearEffectFiles();

    explicit SoundContent(const std::string& root) : m_Root(root) {}

    bool WriteAll();
    bool WriteEffects();
    bool WriteGearSounds();
    bool WriteCues();
    bool WriteSoundList();

    // Runs espeak-ng on the words; the samples come back trimmed of silence and levelled. False when
    // the speaker cannot be run or gives nothing.
    static bool Speak(const std::string& words, std::vector<float>& samples, uint32_t& rate);

private:
    std::string _Path(const std::string& relative) const { return m_Root + "/" + relative; }
    bool _WriteEffect(const std::string& relative, const std::vector<float>& samples, uint32_t rate);

    std::string m_Root;
};
