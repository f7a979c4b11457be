// guigen: writes the interface sample content into a folder.
//
//   guigen FOLDER

#include "tools/guigen/GuiContent.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: guigen FOLDER\n");
        return 2;
    }
    std::string error;
    if (!guigen::WriteContent(argv[1], error))
    {
        std::fprintf(stderr, "guigen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
