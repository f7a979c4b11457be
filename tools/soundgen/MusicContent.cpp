#include "tools/soundgen/MusicContent.h"

#include "engine/core/kaXmlHelpers.h"
#include "tools/soundgen/OggStream.h"
#include "tools/soundgen/Synth.h"
#include "tools/soundgen/WaveWriter.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

// How long a note may ring past its loop's end; the ringing wraps round to the loop's start.
constexpr double kRingSeconds = 0.6;

std::string DataPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// One chord's tones as ratios of its root.
std::vector<double> ChordTones(bool minor)
{
    return {1.0, minor ? 1.18921 : 1.25992, 1.49831};
}

// Adds the layers of a groove level for one bar starting at frame start.
void AddBar(Synth& synth, std::vector<float>& out, size_t start, double beat, double root, bool minor,
            int level, int barIndex)
{
    const std::vector<double> tones = ChordTones(minor);
    const double bar = 4.0 * beat;
    auto at = [&](double seconds) { return start + synth.Frames(seconds); };

    // Pad: the chord held for the bar.
    for (double tone : tones)
        synth.AddTone(out, start, bar, root * tone, root * tone, 0.05f, 2, 0.15, bar * 0.8);
    // Bass: half notes, with eighths pulsing over them from level 3.
    for (int n = 0; n < 2; ++n)
        synth.AddTone(out, at(n * bar / 2), bar / 2 * 0.95, root / 2.0, root / 2.0, 0.14f, 4, 0.005,
                      bar * 0.3);
    if (level >= 3)
        for (int n = 0; n < 8; ++n)
        {
            const double hz = root / 2.0 * (n % 2 == 1 ? 1.49831 : 1.0);
            synth.AddTone(out, at(n * bar / 8), bar / 8 * 0.95, hz, hz, 0.12f, 4, 0.005, bar / 8 * 0.6);
        }
    if (level >= 2)
        for (int b = 0; b < 4; ++b)
            synth.AddTone(out, at(b * beat), 0.3, 120.0, 40.0, 0.35f, 1, 0.001, 0.09);
    if (level >= 3)
    {
        const int hats = level >= 5 ? 16 : 8;
        for (int h = 0; h < hats; ++h)
            synth.AddNoise(out, at(h * bar / hats), 0.1, 6000.0, 10000.0, h % 2 ? 0.10f : 0.16f, 0.001,
                           0.018);
    }
    if (level >= 4)
    {
        for (int b = 1; b < 4; b += 2)
        {
            synth.AddNoise(out, at(b * beat), 0.3, 900.0, 6000.0, 0.45f, 0.001, 0.07);
            synth.AddTone(out, at(b * beat), 0.2, 210.0, 180.0, 0.12f, 1, 0.001, 0.05);
        }
        for (int s = 0; s < 16; ++s)
        {
            const double hz =
                root * 2.0 * tones[static_cast<size_t>(s) % tones.size()] * (s % 8 >= 4 ? 2.0 : 1.0);
            synth.AddTone(out, at(s * bar / 16), bar / 16, hz, hz, 0.07f, 5, 0.003, 0.07);
        }
    }
    if (level >= 5)
    {
        // A lead line over the chord, different in each bar.
        const int steps[4][4] = {{0, 2, 1, 2}, {2, 1, 0, 1}, {1, 2, 2, 0}, {0, 1, 2, 1}};
        for (int b = 0; b < 4; ++b)
        {
            const double hz = root * 4.0 * tones[static_cast<size_t>(steps[barIndex % 4][b])];
            synth.AddTone(out, at(b * beat), beat * 0.9, hz, hz * 1.003, 0.12f, 3, 0.02, beat * 0.7);
            synth.AddTone(out, at(b * beat), beat * 0.9, hz / 2.0, hz / 2.0, 0.08f, 5, 0.02, beat * 0.5);
        }
    }
}

// Folds what rang past frames onto the start and cuts there, so the loop repeats without a break.
void Wrap(std::vector<float>& buffer, size_t frames)
{
    for (size_t i = frames; i < buffer.size(); ++i)
        buffer[i - frames] += buffer[i];
    buffer.resize(frames);
}

} // namespace

std::vector<MusicContent::Plan> MusicContent::Songs()
{
    return {
        {"Roadblazer",
         kThemeList,
         "Resources/Sounds/Roadblazer Theme/",
         true,
         2,
         2,
         120.0,
         {220.0, 174.61, 261.63, 196.0},
         {true, false, false, false},
         1,
         2,
         2},
        {"Cruise Control",
         "Resources/Sounds/Music/Cruise Control.xml",
         "Resources/Sounds/Music/Cruise Control/",
         false,
         1,
         1,
         128.0,
         {164.81, 220.0},
         {false, false},
         1,
         2,
         1},
        {"Night Drive",
         "Resources/Sounds/Music/Night Drive/Night Drive.xml",
         "Resources/Sounds/Music/Night Drive/",
         true,
         1,
         2,
         100.0,
         {146.83, 233.08, 174.61, 261.63},
         {true, false, false, false},
         1,
         3,
         1},
    };
}

std::string MusicContent::LoopName(int level, int variant)
{
    return "groove" + std::to_string(level) + static_cast<char>('a' + variant);
}

std::string MusicContent::PartPath(const Plan& plan, const std::string& part)
{
    return plan.folder + part + (plan.streamed ? ".ogg" : ".wav");
}

std::vector<float> MusicContent::Groove(const Plan& plan, int level, int variant)
{
    Synth synth(kRate, static_cast<uint32_t>(1000 + level * 10 + variant));
    const double beat = 60.0 / plan.bpm;
    const size_t barFrames = synth.Frames(4.0 * beat);
    const size_t frames = barFrames * static_cast<size_t>(plan.barsPerLoop);
    std::vector<float> out(frames + synth.Frames(kRingSeconds));
    for (int b = 0; b < plan.barsPerLoop; ++b)
    {
        const size_t chord =
            static_cast<size_t>(variant * plan.barsPerLoop + b + level - 1) % plan.roots.size();
        AddBar(synth, out, barFrames * static_cast<size_t>(b), beat, plan.roots[chord], plan.minor[chord],
               level, b);
    }
    Wrap(out, frames);
    // The band also plays harder as the level rises.
    const float drive = 0.7f + 0.075f * static_cast<float>(level);
    for (float& sample : out)
        sample *= drive;
    return out;
}

std::vector<float> MusicContent::Intro(const Plan& plan)
{
    Synth synth(kRate, 7);
    const double beat = 60.0 / plan.bpm;
    std::vector<float> out(synth.Frames(4.0 * beat));
    // The first chord swells in; the kick joins on the last two beats.
    for (double tone : ChordTones(plan.minor[0]))
        synth.AddTone(out, 0, 4.0 * beat, plan.roots[0] * tone, plan.roots[0] * tone, 0.07f, 2, 3.0 * beat,
                      0.0);
    for (int b = 2; b < 4; ++b)
        synth.AddTone(out, synth.Frames(b * beat), 0.3, 120.0, 40.0, 0.3f, 1, 0.001, 0.09);
    return out;
}

std::vector<float> MusicContent::Outro(const Plan& plan)
{
    Synth synth(kRate, 9);
    const double beat = 60.0 / plan.bpm;
    std::vector<float> out(synth.Frames(8.0 * beat));
    // One last hit on the first chord, left to ring out.
    for (double tone : ChordTones(plan.minor[0]))
    {
        synth.AddTone(out, 0, 8.0 * beat, plan.roots[0] * tone, plan.roots[0] * tone, 0.08f, 3, 0.005,
                      2.0 * beat);
        synth.AddTone(out, 0, 8.0 * beat, plan.roots[0] / 2.0, plan.roots[0] / 2.0, 0.05f, 4, 0.005,
                      1.5 * beat);
    }
    synth.AddTone(out, 0, 0.3, 120.0, 40.0, 0.35f, 1, 0.001, 0.09);
    synth.AddNoise(out, 0, 1.5, 3000.0, 9000.0, 0.12f, 0.001, 0.4);
    Synth::Fade(out, 0, synth.Frames(beat));
    return out;
}

bool MusicContent::WriteAll()
{
    for (const Plan& plan : Songs())
        if (!WriteSong(plan))
            return false;
    return true;
}

bool MusicContent::WriteSong(const Plan& plan)
{
    std::vector<std::pair<std::string, std::vector<float>>> parts;
    parts.emplace_back("intro", Intro(plan));
    parts.emplace_back("outro", Outro(plan));
    for (int level = 1; level <= kLevels; ++level)
        for (int variant = 0; variant < plan.loopsPerLevel; ++variant)
            parts.emplace_back(LoopName(level, variant), Groove(plan, level, variant));

    // One gain for the whole song, so that the levels keep their difference in loudness.
    float peak = 0.0f;
    for (const auto& part : parts)
        peak = std::max(peak, Synth::Peak(part.second));
    const float gain = peak > 0.0f ? 0.9f / peak : 1.0f;
    for (auto& part : parts)
    {
        for (float& sample : part.second)
            sample *= gain;
        const std::string path = _Path(PartPath(plan, part.first));
        const bool written = plan.streamed ? OggStream::Write(path, part.second, kRate)
                                           : WaveWriter::Write(path, part.second, 1, kRate);
        if (!written)
        {
            std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return _WriteList(plan);
}

bool MusicContent::_WriteList(const Plan& plan)
{
    auto text = [](TiXmlElement& parent, const char* name, const std::string& value)
    {
        TiXmlElement element(name);
        element.InsertEndChild(TiXmlText(value.c_str()));
        parent.InsertEndChild(element);
    };
    TiXmlElement song("song");
    text(song, "name", plan.name);
    TiXmlElement range("initGrooveRange");
    text(range, "high", std::to_string(plan.initHigh));
    text(range, "low", std::to_string(plan.initLow));
    song.InsertEndChild(range);
    text(song, "numGroovesPerChange", std::to_string(plan.groovesPerChange));
    text(song, "stream", plan.streamed ? "1" : "0");
    TiXmlElement content("content");
    text(content, "intro", DataPath(PartPath(plan, "intro")));
    text(content, "outro", DataPath(PartPath(plan, "outro")));
    TiXmlElement loops("loops");
    for (int level = 1; level <= kLevels; ++level)
        for (int variant = 0; variant < plan.loopsPerLevel; ++variant)
        {
            TiXmlElement loop("loop");
            text(loop, "grooveLevel", std::to_string(level));
            text(loop, "file", DataPath(PartPath(plan, LoopName(level, variant))));
            loops.InsertEndChild(loop);
        }
    content.InsertEndChild(loops);
    song.InsertEndChild(content);
    TiXmlDocument document;
    document.InsertEndChild(song);
    const std::string path = _Path(plan.list);
    return !WaveWriter::Prepare(path).empty() && SaveXmlDocument(document, WaveWriter::Prepare(path));
}
