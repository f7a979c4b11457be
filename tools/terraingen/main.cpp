// terraingen [FOLDER]: writes the sample height maps, layer masks, ground tiles, detail texture and base
// images under FOLDER (the current folder by default).
// terraingen environment FOLDER: writes the sample sky, sun and water content, the road and marker pictures
// and the terrain-type list under FOLDER.
#include "tools/terraingen/DecalContent.h"
#include "tools/terraingen/EditorPictures.h"
#include "tools/terraingen/EnvironmentContent.h"
#include "tools/terraingen/TerrainSamples.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]) == "environment")
    {
        if (argc != 3)
        {
            std::fprintf(stderr, "usage: terraingen environment <content folder>\n");
            return 2;
        }
        std::string error;
        if (!EnvironmentContent::Write(argv[2], error) || !DecalContent::Write(argv[2], error) ||
            !EditorPictures::Write(argv[2], error))
        {
            std::fprintf(stderr, "terraingen: cannot write %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (argc > 2)
    {
        std::fprintf(stderr, "usage: terraingen [FOLDER] | terraingen environment FOLDER\n");
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
