// kmfgen [FOLDER]: writes the sample models, their textures, skeletons, animations and descriptors
// under FOLDER (the current folder by default).
#include "tools/kmfgen/SampleModels.h"

#include "engine/model/KM_MessageBox.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // A command-line tool reports on stderr rather than in dialogs.
    KM_MessageBox::SetHook([](const std::string& text, const std::string& caption)
                           { std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str()); });
    if (argc > 2)
    {
        std::fprintf(stderr, "usage: kmfgen [FOLDER]\n");
        return 2;
    }
    SampleModels models(argc == 2 ? argv[1] : ".");
    if (!models.WriteAll())
    {
        std::fprintf(stderr, "kmfgen: could not write %s\n",
                     models.Written().empty() ? "the first file" : models.Written().back().c_str());
        return 1;
    }
    return 0;
}
