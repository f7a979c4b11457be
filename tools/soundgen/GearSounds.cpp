// The course gear's sounds: the power grate's three-part electric hum and the explosive barrel's blast.
#include "tools/soundgen/SoundContent.h"

#include "tools/soundgen/Synth.h"

#include <vector>

std::vector<std::string> SoundContent::GearEffectFiles()
{
    return {kGrateIntro, kGrateLoop, kGrateOutro, kExplosion};
}

bool SoundContent::WriteGearSounds()
{
    Synth synth(kEffectRate, 47);
    bool ok = true;
    // Mains hum with a crackle; the loop repeats without a seam, the intro swells in, the outro dies away.
    auto hum = [&](double seconds)
    {
        std::vector<float> out(synth.Frames(seconds + 0.5));
        synth.AddTone(out, 0, seconds + 0.5, 100.0, 100.0, 0.5f, 6, 0.0, 0.0);
        synth.AddNoise(out, 0, seconds + 0.5, 2000.0, 8000.0, 0.15f, 0.0, 0.0);
        return out;
    };
    std::vector<float> loop = hum(1.0);
    Synth::MakeSeamless(loop, synth.Frames(1.0));
    Synth::Normalize(loop, 0.7f);
    std::vector<float> intro(synth.Frames(0.3));
    synth.AddTone(intro, 0, 0.3, 40.0, 100.0, 0.5f, 6, 0.25, 0.0);
    synth.AddNoise(intro, 0, 0.3, 2000.0, 8000.0, 0.15f, 0.25, 0.0);
    Synth::Normalize(intro, 0.7f);
    std::vector<float> outro(synth.Frames(0.4));
    synth.AddTone(outro, 0, 0.4, 100.0, 50.0, 0.5f, 6, 0.0, 0.12);
    Synth::Normalize(outro, 0.7f);
    Synth::Fade(outro, 0, synth.Frames(0.05));
    ok = _WriteEffect(kGrateIntro, intro, kEffectRate) && ok;
    ok = _WriteEffect(kGrateLoop, loop, kEffectRate) && ok;
    ok = _WriteEffect(kGrateOutro, outro, kEffectRate) && ok;

    // The blast: a low roar of noise over a falling thump.
    std::vector<float> blast(synth.Frames(1.5));
    synth.AddNoise(blast, 0, 1.5, 30.0, 1800.0, 0.9f, 0.003, 0.35);
    synth.AddTone(blast, 0, 1.0, 90.0, 30.0, 0.6f, 2, 0.002, 0.25);
    Synth::Normalize(blast, 0.9f);
    Synth::Fade(blast, 0, synth.Frames(0.1));
    ok = _WriteEffect(kExplosion, blast, kEffectRate) && ok;
    return ok;
}
