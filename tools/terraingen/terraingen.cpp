// terraingen [FOLDER]: writes the sample height maps, layer masks, ground tiles, detail texture and base
// images under FOLDER (the current folder by default).
#include "tools/terraingen/TerrainSamples.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc > 2)
    {
        std::fprintf(stderr, "usage: terraingen [FOLDER]\n");
        return 2;
    }
    std::string failed;
    if (!TerrainSamples::WriteAll(argc == 2 ? argv[1] : ".", failed))
    {
        std::fprintf(stderr, "terraingen: could not write %s\n", failed.c_str());
        return 1;
    }
    return 0;
}
