#include "tools/terraingen/EnvironmentContent.h"

#include <cstdio>
#include <string>

// terraingen environment <content folder>: writes the sample sky, sun and water content.
int main(int argc, char** argv)
{
    if (argc != 3 || std::string(argv[1]) != "environment")
    {
        std::fprintf(stderr, "usage: terraingen environment <content folder>\n");
        return 2;
    }
    std::string error;
    if (!EnvironmentContent::Write(argv[2], error))
    {
        std::fprintf(stderr, "terraingen: cannot write %s\n", error.c_str());
        return 1;
    }
    return 0;
}
