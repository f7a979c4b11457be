// worldgen [FOLDER]: writes the sample init data and the sample course under FOLDER (the current folder
// by default).
#include "tools/worldgen/SampleWorld.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc > 2)
    {
        std::fprintf(stderr, "usage: worldgen [FOLDER]\n");
        return 2;
    }
    SampleWorld world(argc == 2 ? argv[1] : ".");
    if (!world.WriteAll())
    {
        std::fprintf(stderr, "worldgen: could not write the sample world\n");
        return 1;
    }
    return 0;
}
