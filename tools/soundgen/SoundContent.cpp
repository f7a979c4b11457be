#include "tools/soundgen/SoundContent.h"

#include "engine/core/kaXmlHelpers.h"
#include "tools/soundgen/Synth.h"
#include "tools/soundgen/WaveWriter.h"

#include <sndfile.h>
#include <tinyxml.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{

const char* const kImpacts[] = {"resources/sounds/game/impacts/impact1.wav",
                                "resources/sounds/game/impacts/impact2.wav",
                                "resources/sounds/game/impacts/impact3.wav"};
const char* const kCheers[] = {"resources/sounds/game/crowd/cheer1.wav",
                               "resources/sounds/game/crowd/cheer2.wav",
                               "resources/sounds/game/crowd/cheer3.wav"};
const char* const kRepair = "Resources/Sounds/Game/repair.wav";
const char* const kJump = "Resources/Sounds/Game/jump.wav";
const char* const kWon = "Resources/Sounds/Game/PointCounter_Final_Won.wav";
const char* const kLost = "Resources/Sounds/Game/PointCounter_Final_Lost.wav";
const char* const kEach = "Resources/Sounds/Game/PointCounter_Each.wav";

// The data spells its paths the Windows way.
std::string DataPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The engine's firing note: a buzzy fundamental with a pulse per cycle and some rasp.
void AddEngine(Synth& synth, std::vector<float>& out, double fromHz, double toHz, float level)
{
    const double rate = synth.Rate();
    double phase = 0.0;
    std::vector<float> rasp = synth.NoiseBuffer(out.size());
    synth.LowPass(rasp, 900.0);
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double hz = fromHz + (toHz - fromHz) * static_cast<double>(i) / out.size();
        const double pulse = std::pow(0.5 + 0.5 * std::cos(phase), 6.0);
        const double body =
            std::sin(phase) * 0.5 + std::sin(2.0 * phase) * 0.3 + std::sin(3.0 * phase) * 0.15;
        out[i] += static_cast<float>(level * (body * 0.6 + pulse * 0.5 + rasp[i] * pulse * 1.5));
        phase += 2.0 * Synth::kPi * hz / rate;
        if (phase > 2.0 * Synth::kPi)
            phase -= 2.0 * Synth::kPi;
    }
}

// Crowd murmur: many voices as band noise with a slow swell.
std::vector<float> Murmur(Synth& synth, double seconds, double swellHz)
{
    std::vector<float> out = synth.NoiseBuffer(synth.Frames(seconds));
    synth.HighPass(out, 300.0);
    synth.LowPass(out, 2500.0);
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double t = static_cast<double>(i) / synth.Rate();
        out[i] *= static_cast<float>(0.75 + 0.25 * std::sin(2.0 * Synth::kPi * swellHz * t));
    }
    return out;
}

} // namespace

const std::vector<SoundContent::Cue>& SoundContent::Cues()
{
    static const std::vector<Cue> cues = {
        {"GetReady", "Get ready!"},
        {"Go", "Go!"},
        {"HurryUp", "Hurry up!"},
        {"TimesRunningOut", "Time is running out!"},
        {"54321", "Five. Four. Three. Two. One."},
        {"DontGiveUp", "Do not give up!"},
        {"GetSomePoints", "Get some points!"},
        {"BeCareful", "Be careful!"},
        {"Point", "Point!"},
        {"Jump", "Jump!"},
        {"Turbo", "Turbo!"},
        {"SelectAVehicle", "Select a vehicle."},
        {"SelectAnArena", "Select an arena."},
        {"AreYouSure", "Are you sure?"},
        {"Congrats", "Congratulations!"},
        {"Destroyed", "Destroyed!"},
        {"BetterLuck", "Better luck next time."},
        {"NewPersonalBest", "New personal best!"},
        {"NewHighScore", "New high score!"},
        {"NewLevelUnlocked", "New level unlocked!"},
    };
    return cues;
}

std::string SoundContent::CuePath(const std::string& name)
{
    return std::string(kAnnouncerFolder) + name + ".wav";
}

std::vector<SoundContent::Category> SoundContent::Categories()
{
    std::vector<Category> categories;
    for (const Cue& cue : Cues())
        categories.push_back({cue.name, {DataPath(CuePath(cue.name))}});
    Category crowd{"Crowd", {}};
    for (const char* cheer : kCheers)
        crowd.paths.push_back(DataPath(cheer));
    categories.push_back(crowd);
    categories.push_back({"LaunchPlate", {DataPath(kLaunch)}});
    categories.push_back({kExplosionCategory, {DataPath(kExplosion)}});
    return categories;
}

std::vector<std::string> SoundContent::EffectFiles()
{
    std::vector<std::string> files = {kEngineStart, kEngineLoop, kEngineStop, kCrowdIntro,
                                      kCrowdLoop,   kCrowdOutro, kLaunch,     kRepair,
                                      kJump,        kWon,        kLost,       kEach};
    files.insert(files.end(), std::begin(kImpacts), std::end(kImpacts));
    files.insert(files.end(), std::begin(kCheers), std::end(kCheers));
    const std::vector<std::string> gear = GearEffectFiles();
    files.insert(files.end(), gear.begin(), gear.end());
    return files;
}

bool SoundContent::WriteAll()
{
    return WriteEffects() && WriteGearSounds() && WriteCues() && WriteSoundList();
}

bool SoundContent::_WriteEffect(const std::string& relative, const std::vector<float>& samples, uint32_t rate)
{
    if (WaveWriter::Write(_Path(relative), samples, 1, rate))
        return true;
    std::fprintf(stderr, "soundgen: cannot write %s\n", relative.c_str());
    return false;
}

bool SoundContent::WriteEffects()
{
    bool ok = true;
    // Engine: the loop is 40 firing cycles in exactly one second, so it repeats without a seam; the
    // start cranks up into that note and the stop winds down from it.
    {
        Synth synth(kEngineRate, 11);
        std::vector<float> loop(synth.Frames(1.0));
        AddEngine(synth, loop, 40.0, 40.0, 0.5f);
        ok = _WriteEffect(kEngineLoop, loop, kEngineRate) && ok;

        std::vector<float> start(synth.Frames(1.2));
        const size_t crank = synth.Frames(0.5);
        for (int stroke = 0; stroke < 5; ++stroke)
            synth.AddNoise(start, static_cast<size_t>(stroke) * crank / 5, 0.08, 100.0, 1200.0, 0.5f, 0.01,
                           0.03);
        std::vector<float> catchUp(start.size() - crank);
        AddEngine(synth, catchUp, 70.0, 40.0, 0.55f);
        Synth::Fade(catchUp, synth.Frames(0.05), 0);
        for (size_t i = 0; i < catchUp.size(); ++i)
            start[crank + i] += catchUp[i];
        ok = _WriteEffect(kEngineStart, start, kEngineRate) && ok;

        std::vector<float> stop(synth.Frames(0.9));
        AddEngine(synth, stop, 40.0, 8.0, 0.5f);
        Synth::Fade(stop, 0, stop.size());
        ok = _WriteEffect(kEngineStop, stop, kEngineRate) && ok;
    }

    Synth synth(kEffectRate, 23);
    // Impacts: a metal clang, a heavy thud and a crunch.
    {
        std::vector<float> clang(synth.Frames(0.6));
        synth.AddNoise(clang, 0, 0.6, 800.0, 6000.0, 0.6f, 0.001, 0.05);
        synth.AddTone(clang, 0, 0.6, 523.0, 510.0, 0.3f, 3, 0.001, 0.15);
        synth.AddTone(clang, 0, 0.6, 1390.0, 1370.0, 0.2f, 1, 0.001, 0.1);
        std::vector<float> thud(synth.Frames(0.5));
        synth.AddTone(thud, 0, 0.5, 90.0, 45.0, 0.8f, 2, 0.002, 0.12);
        synth.AddNoise(thud, 0, 0.5, 60.0, 900.0, 0.5f, 0.001, 0.04);
        std::vector<float> crunch(synth.Frames(0.7));
        for (int piece = 0; piece < 6; ++piece)
            synth.AddNoise(crunch, synth.Frames(0.04 * piece), 0.3, 400.0, 5000.0, 0.4f, 0.001, 0.04);
        synth.AddTone(crunch, 0, 0.7, 70.0, 50.0, 0.5f, 2, 0.002, 0.15);
        std::vector<float>* impacts[] = {&clang, &thud, &crunch};
        for (int i = 0; i < 3; ++i)
        {
            Synth::Normalize(*impacts[i], 0.9f);
            ok = _WriteEffect(kImpacts[i], *impacts[i], kEffectRate) && ok;
        }
    }
    // Crowd: a swell, a four-second murmur that loops without a seam, a fade; cheers with whistles.
    {
        std::vector<float> loop = Murmur(synth, 4.5, 0.5);
        Synth::MakeSeamless(loop, synth.Frames(4.0));
        Synth::Normalize(loop, 0.5f);
        ok = _WriteEffect(kCrowdLoop, loop, kEffectRate) && ok;
        std::vector<float> intro = Murmur(synth, 2.0, 0.5);
        Synth::Normalize(intro, 0.5f);
        Synth::Fade(intro, intro.size(), 0);
        ok = _WriteEffect(kCrowdIntro, intro, kEffectRate) && ok;
        std::vector<float> outro = Murmur(synth, 2.0, 0.5);
        Synth::Normalize(outro, 0.5f);
        Synth::Fade(outro, 0, outro.size());
        ok = _WriteEffect(kCrowdOutro, outro, kEffectRate) && ok;
        for (int i = 0; i < 3; ++i)
        {
            std::vector<float> cheer = Murmur(synth, 2.0 + 0.3 * i, 1.5 + i);
            for (size_t s = 0; s < cheer.size(); ++s)
                cheer[s] *= 1.6f * std::sin(Synth::kPi * static_cast<float>(s) / cheer.size());
            synth.AddTone(cheer, synth.Frames(0.2 + 0.1 * i), 0.6, 1800.0 + 200 * i, 2600.0, 0.15f, 1, 0.05,
                          0.0);
            synth.AddTone(cheer, synth.Frames(0.9), 0.4, 2400.0, 1900.0 - 100 * i, 0.12f, 1, 0.05, 0.3);
            Synth::Normalize(cheer, 0.85f);
            Synth::Fade(cheer, synth.Frames(0.01), synth.Frames(0.2));
            ok = _WriteEffect(kCheers[i], cheer, kEffectRate) && ok;
        }
    }
    // The launch plate's whoosh: noise whose band sweeps up and back down.
    {
        std::vector<float> whoosh(synth.Frames(1.0));
        std::vector<float> noise = synth.NoiseBuffer(whoosh.size());
        double low = 0.0;
        for (size_t i = 0; i < whoosh.size(); ++i)
        {
            const double t = static_cast<double>(i) / whoosh.size();
            const double cutoff = 300.0 + 3500.0 * std::sin(Synth::kPi * t);
            const double a = 1.0 - std::exp(-2.0 * Synth::kPi * cutoff / kEffectRate);
            low += a * (noise[i] - low);
            whoosh[i] = static_cast<float>(low * std::sin(Synth::kPi * t));
        }
        Synth::Normalize(whoosh, 0.85f);
        ok = _WriteEffect(kLaunch, whoosh, kEffectRate) && ok;
    }
    // Power-ups and the point counter.
    {
        std::vector<float> repair(synth.Frames(0.8));
        for (int click = 0; click < 6; ++click)
            synth.AddNoise(repair, synth.Frames(0.07 * click), 0.05, 1500.0, 7000.0, 0.5f, 0.001, 0.01);
        synth.AddTone(repair, synth.Frames(0.4), 0.4, 440.0, 880.0, 0.4f, 3, 0.01, 0.2);
        std::vector<float> jump(synth.Frames(0.5));
        synth.AddTone(jump, 0, 0.5, 200.0, 900.0, 0.6f, 2, 0.01, 0.25);
        std::vector<float> each(synth.Frames(0.08));
        synth.AddTone(each, 0, 0.08, 1320.0, 1320.0, 0.6f, 2, 0.002, 0.03);
        std::vector<float> won(synth.Frames(1.2));
        const double rising[] = {523.25, 659.25, 783.99, 1046.5};
        for (int n = 0; n < 4; ++n)
            synth.AddTone(won, synth.Frames(0.12 * n), 1.2 - 0.12 * n, rising[n], rising[n], 0.3f, 3, 0.005,
                          0.4);
        std::vector<float> lost(synth.Frames(1.2));
        const double falling[] = {392.0, 349.23, 311.13, 261.63};
        for (int n = 0; n < 4; ++n)
            synth.AddTone(lost, synth.Frames(0.2 * n), 1.2 - 0.2 * n, falling[n], falling[n] * 0.98, 0.3f, 2,
                          0.01, 0.3);
        struct
        {
            const char* path;
            std::vector<float>* samples;
        } parts[] = {{kRepair, &repair}, {kJump, &jump}, {kEach, &each}, {kWon, &won}, {kLost, &lost}};
        for (auto& part : parts)
        {
            Synth::Normalize(*part.samples, 0.85f);
            Synth::Fade(*part.samples, 0, synth.Frames(0.01));
            ok = _WriteEffect(part.path, *part.samples, kEffectRate) && ok;
        }
    }
    return ok;
}

bool SoundContent::Speak(const std::string& words, std::vector<float>& samples, uint32_t& rate)
{
    const char* folder = std::getenv("TMPDIR");
    std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/soundgen-XXXXXX";
    const int handle = mkstemp(&pattern[0]);
    if (handle < 0)
        return false;
    close(handle);

    // A fixed voice, speed and pitch: the same words give the same samples on every run.
    const pid_t child = fork();
    if (child == 0)
    {
        execlp("espeak-ng", "espeak-ng", "-v", "en-us", "-s", "150", "-p", "45", "-a", "150", "-w",
               pattern.c_str(), words.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = -1;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        std::remove(pattern.c_str());
        std::fprintf(stderr, "soundgen: espeak-ng did not run (install it with scripts/install-deps.sh)\n");
        return false;
    }

    SF_INFO info = {};
    SNDFILE* file = sf_open(pattern.c_str(), SFM_READ, &info);
    std::vector<float> read;
    if (file && info.channels > 0 && info.frames > 0)
    {
        read.resize(static_cast<size_t>(info.frames * info.channels));
        read.resize(static_cast<size_t>(sf_readf_float(file, read.data(), info.frames) * info.channels));
    }
    if (file)
        sf_close(file);
    std::remove(pattern.c_str());
    if (read.empty())
        return false;

    // Mono, the silence around the words cut to 20 ms, the peak at 0.9.
    samples.clear();
    for (size_t i = 0; i + info.channels <= read.size(); i += static_cast<size_t>(info.channels))
        samples.push_back(read[i]);
    rate = static_cast<uint32_t>(info.samplerate);
    constexpr float kSilence = 0.01f;
    const size_t margin = rate / 50;
    size_t first = 0, last = samples.size();
    while (first < last && std::fabs(samples[first]) < kSilence)
        ++first;
    while (last > first && std::fabs(samples[last - 1]) < kSilence)
        --last;
    if (first == last)
        return false;
    first = first > margin ? first - margin : 0;
    last = std::min(samples.size(), last + margin);
    samples = std::vector<float>(samples.begin() + static_cast<long>(first),
                                 samples.begin() + static_cast<long>(last));
    Synth::Normalize(samples, 0.9f);
    Synth::Fade(samples, margin / 2, margin / 2);
    return true;
}

bool SoundContent::WriteCues()
{
    for (const Cue& cue : Cues())
    {
        std::vector<float> samples;
        uint32_t rate = 0;
        if (!Speak(cue.words, samples, rate))
        {
            std::fprintf(stderr, "soundgen: cannot speak the cue %s\n", cue.name);
            return false;
        }
        if (!_WriteEffect(CuePath(cue.name), samples, rate))
            return false;
    }
    return true;
}

bool SoundContent::WriteSoundList()
{
    TiXmlDocument document;
    TiXmlElement root("soundList");
    for (const Category& category : Categories())
    {
        TiXmlElement element("category");
        TiXmlElement name("name");
        name.InsertEndChild(TiXmlText(category.name.c_str()));
        element.InsertEndChild(name);
        for (const std::string& path : category.paths)
        {
            TiXmlElement file("path");
            file.InsertEndChild(TiXmlText(path.c_str()));
            element.InsertEndChild(file);
        }
        root.InsertEndChild(element);
    }
    document.InsertEndChild(root);
    const std::string path = _Path(kSoundList);
    if (!WaveWriter::Prepare(path).empty() && SaveXmlDocument(document, WaveWriter::Prepare(path)))
        return true;
    std::fprintf(stderr, "soundgen: cannot write %s\n", kSoundList);
    return false;
}
