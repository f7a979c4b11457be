// playsound FILE.wav: plays a WAV file through the sound device and waits for it to end.
// SDL_AUDIODRIVER chooses the output (SDL_AUDIODRIVER=disk writes it to SDL_DISKAUDIOFILE).

#include "engine/core/SoundBuffer.h"
#include "engine/core/SoundManager.h"
#include "engine/core/WaveFile.h"
#include "platform/audio/AudioTypes.h"
#include "platform/system/ClockSource.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: playsound FILE.wav\n");
        return 2;
    }
    SoundManager* manager = SoundManager::Instance();
    if (!manager->Init(nullptr))
    {
        std::fprintf(stderr, "playsound: no sound device could be opened\n");
        return 1;
    }
    std::unique_ptr<SoundBuffer> sound;
    const platform::HResult result =
        manager->CreateSound(&sound, argv[1], platform::kBufferCtrlVolume, platform::Guid(), 1);
    if (result != platform::kResultOk)
    {
        std::fprintf(stderr, "playsound: cannot play %s (0x%08X)\n", argv[1], static_cast<unsigned>(result));
        manager->Shutdown();
        return 1;
    }
    const platform::WaveFormat* format = manager->GetWaveFile(argv[1])->GetFormat();
    const double seconds = static_cast<double>(manager->GetWaveFile(argv[1])->GetDataSize()) /
                           static_cast<double>(format->avgBytesPerSec ? format->avgBytesPerSec : 1);
    std::printf("playing %s: %u Hz, %u channel(s), %u bits, %.2f s\n", argv[1], format->samplesPerSec,
                format->channels, format->bitsPerSample, seconds);

    sound->Play(0, 0);
    // Waits for the end, with a margin for an output that runs slower than real time.
    const uint32_t limitMs = static_cast<uint32_t>(seconds * 1000.0) * 2 + 5000;
    for (uint32_t waited = 0; sound->IsAnyPlaying() && waited < limitMs; waited += 10)
        platform::Sleep(10);
    // Lets the output play what it has taken from the mixer.
    platform::Sleep(200);
    sound.reset();
    manager->Shutdown();
    return 0;
}
