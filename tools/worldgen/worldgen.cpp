// worldgen [FOLDER]: writes the sample init data, the sample courses, the stunt yard, the gear run, the stunt
// shop's items and the editor's palette records under FOLDER (the current folder by default).
#include "tools/worldgen/EditorContent.h"
#include "tools/worldgen/GearRun.h"
#include "tools/worldgen/SampleWorld.h"
#include "tools/worldgen/StuntYard.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc > 2)
    {
        std::fprintf(stderr, "usage: worldgen [FOLDER]\n");
        return 2;
    }
    const std::string root = argc == 2 ? argv[1] : ".";
    SampleWorld world(root);
    StuntYard yard(root);
    GearRun run(root);
    if (!world.WriteAll() || !yard.WriteAll() || !run.WriteAll() || !EditorContent::Write(root))
    {
        std::fprintf(stderr, "worldgen: could not write the sample world\n");
        return 1;
    }
    return 0;
}
