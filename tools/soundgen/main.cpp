// soundgen [FOLDER]: writes the game's sounds, announcer cues, world sound list and songs under FOLDER (the
// current folder by default).
#include "tools/soundgen/MusicContent.h"
#include "tools/soundgen/SoundContent.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc > 2)
    {
        std::fprintf(stderr, "usage: soundgen [FOLDER]\n");
        return 2;
    }
    const std::string root = argc == 2 ? argv[1] : ".";
    SoundContent sounds(root);
    MusicContent music(root);
    if (!sounds.WriteAll() || !music.WriteAll())
    {
        std::fprintf(stderr, "soundgen: could not write the sounds\n");
        return 1;
    }
    return 0;
}
