// kmfdump FILE: prints the text form of a KMF model, skeleton or animation file.
#include "engine/model/KM_FileReader.h"
#include "engine/model/KM_MaterialList.h"
#include "engine/model/KM_ObjectList.h"
#include "engine/model/KM_Scene.h"
#include "engine/model/KM_Stream.h"
#include "platform/system/DebugOutput.h"

#include "engine/model/KM_MessageBox.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // A command-line tool reports on stderr rather than in dialogs.
    KM_MessageBox::SetHook([](const std::string& text, const std::string& caption)
                           { std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str()); });
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: kmfdump FILE\n");
        return 2;
    }
    // The readers' diagnostics are the user's to see.
    platform::SetDebugSink(
        [](const std::string& line)
        {
            std::fputs(line.c_str(), stderr);
            if (line.empty() || line.back() != '\n')
                std::fputc('\n', stderr);
        });

    KM_Stream in;
    if (!in.Open(argv[1], KM_Stream::kBinary))
    {
        std::fprintf(stderr, "kmfdump: cannot open %s\n", argv[1]);
        return 1;
    }
    KM_FileReader::TopLevel top;
    const bool read =
        in.ReadHeader() && KM_FileReader::ReadTopLevel(&in, true, KM_FileReader::kErroneousModel, top);

    KM_Stream out;
    out.AttachForWrite(stdout, KM_Stream::kText);
    if (top.scene)
        top.scene->Write(&out);
    if (top.materials)
        top.materials->Write(&out);
    if (top.objects)
        top.objects->Write(&out);
    out.Close();
    if (!read)
    {
        std::fprintf(stderr, "kmfdump: %s did not read completely\n", argv[1]);
        return 1;
    }
    return 0;
}
