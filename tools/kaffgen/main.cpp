// kaffgen: interface fonts rendered from an outline font through the engine's FreeType path and written as
// font data files (".kaff"): metrics, then the glyph page as a compressed 32-bit TGA.
//
//   kaffgen FACE SIZE OUT.kaff [hinting]   FACE: a font of the fonts folder or a path with '\'
//   kaffgen sample FOLDER                  the nine interface fonts under FOLDER/ui/fonts
//
// The page is laid out on the CPU test device, so the tool needs no display.

#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTexture.h"

#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{

constexpr uint32_t kMaxPixelSize = 256;

struct SampleFont
{
    const char* file;
    const char* face;
    uint32_t size;
};

// The interface fonts: a medium and a bold face at the sizes the screens ask for.
const SampleFont kSampleFonts[] = {
    {"barmeno10m.kaff", "DejaVuSans.ttf", 10},      {"barmeno12m.kaff", "DejaVuSans.ttf", 12},
    {"barmeno14m.kaff", "DejaVuSans.ttf", 14},      {"barmeno16m.kaff", "DejaVuSans.ttf", 16},
    {"barmeno18m.kaff", "DejaVuSans.ttf", 18},      {"barmeno24m.kaff", "DejaVuSans.ttf", 24},
    {"barmeno16b.kaff", "DejaVuSans-Bold.ttf", 16}, {"barmeno18b.kaff", "DejaVuSans-Bold.ttf", 18},
    {"barmeno24b.kaff", "DejaVuSans-Bold.ttf", 24},
};

int Usage()
{
    std::fprintf(stderr, "usage: kaffgen FACE SIZE OUT.kaff [hinting]\n"
                         "       kaffgen sample FOLDER\n");
    return 2;
}

bool Render(const std::string& face, uint32_t size, bool hinting, const std::string& out)
{
    kaFont font(face, size, hinting ? kaFont::kHinting : 0);
    font.LoadGlyphs();
    if (!font.GetTexture() || !font.GetTexture()->GetTexture())
    {
        std::fprintf(stderr, "kaffgen: %s at %u pixels could not be rendered\n", face.c_str(), size);
        return false;
    }
    std::ostringstream data(std::ios::binary);
    if (!font.WriteFontData(data, true) || !platform::SafeFileWriter::WriteWhole(out, data.str()))
    {
        std::fprintf(stderr, "kaffgen: cannot write %s\n", out.c_str());
        return false;
    }
    return true;
}

int Sample(const std::string& folder)
{
    const std::string fonts = folder + "/ui/fonts";
    if (!platform::CreateDirectory(folder) || !platform::CreateDirectory(folder + "/ui") ||
        !platform::CreateDirectory(fonts))
    {
        std::fprintf(stderr, "kaffgen: cannot create %s\n", fonts.c_str());
        return 1;
    }
    for (const SampleFont& sample : kSampleFonts)
        if (!Render(sample.face, sample.size, true, fonts + "/" + sample.file))
            return 1;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    platform::SetDirect3DFactory([]() -> platform::GfxDirect3D* { return new platform::TestDirect3D; });
    kaGraphicsManager manager;
    if (!manager.Initialize(nullptr, nullptr, nullptr, false) || !manager.GetDevice())
    {
        std::fprintf(stderr, "kaffgen: no device to lay the glyphs out on\n");
        return 1;
    }

    const std::string command = argv[1];
    if (command == "sample" && argc == 3)
        return Sample(argv[2]);
    if (argc != 4 && argc != 5)
        return Usage();
    char* end = nullptr;
    const unsigned long size = std::strtoul(argv[2], &end, 10);
    if (!*argv[2] || *end || size == 0 || size > kMaxPixelSize)
        return Usage();
    const bool hinting = argc == 5 && std::string(argv[4]) == "hinting";
    if (argc == 5 && !hinting)
        return Usage();
    return Render(argv[1], static_cast<uint32_t>(size), hinting, argv[3]) ? 0 : 1;
}
