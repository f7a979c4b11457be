// imagetool: procedural images written through the engine's own TGA and BMP writers, and a converter of
// any image the engine reads into a TGA for inspection.
//
//   imagetool checker OUT W H CELL COLOUR COLOUR
//   imagetool gradient OUT W H FROM TO [vertical]
//   imagetool glow OUT W H COLOUR
//   imagetool convert IN OUT.tga
//   imagetool sample FOLDER          the images of the sample content
//
// Colours are hexadecimal RRGGBB (opaque) or AARRGGBB. OUT ends in .tga or .bmp; a picture with alpha
// becomes a 32-bit TGA, any other a 24-bit TGA or BMP.

#include "platform/files/Files.h"
#include "tools/imagetool/Picture.h"
#include "tools/imagetool/Fireball.h"
#include "tools/imagetool/ItemPictures.h"
#include "tools/imagetool/ProceduralImage.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

constexpr uint32_t kMaxSide = 8192;
constexpr uint32_t kBikePaint = 0xFFE08C14;
constexpr const char* kShopPreviewFolder = "ui/stuntshop/previews/";
constexpr uint32_t kPreviewWidth = 160;
constexpr uint32_t kPreviewHeight = 120;

int Usage()
{
    std::fprintf(stderr, "usage: imagetool checker OUT W H CELL COLOUR COLOUR\n"
                         "       imagetool gradient OUT W H FROM TO [vertical]\n"
                         "       imagetool glow OUT W H COLOUR\n"
                         "       imagetool convert IN OUT.tga\n"
                         "       imagetool sample FOLDER\n");
    return 2;
}

bool ParseNumber(const char* text, uint32_t& value, uint32_t low, uint32_t high)
{
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(text, &end, 10);
    if (!*text || *end || parsed < low || parsed > high)
        return false;
    value = uint32_t(parsed);
    return true;
}

bool ParseColour(const std::string& text, uint32_t& colour)
{
    if ((text.size() != 6 && text.size() != 8) ||
        text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    colour = uint32_t(std::strtoul(text.c_str(), nullptr, 16));
    if (text.size() == 6)
        colour |= 0xFF000000u;
    return true;
}

int Write(const Picture& picture, const std::string& path)
{
    std::string error;
    if (!picture.Save(path, error))
    {
        std::fprintf(stderr, "imagetool: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

bool WriteSample(const std::string& folder, const std::string& name, const Picture& picture)
{
    for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
        platform::CreateDirectory(folder + "/" + name.substr(0, slash));
    return Write(picture, folder + "/" + name) == 0;
}

// The images the engine and game open by name. The game finds names in any case; the folders are spelt
// as the other generators spell them, so that whichever runs first, the tree has one of each.
int Sample(const std::string& folder)
{
    bool ok = WriteSample(folder, "resources/DefaultTexture.bmp",
                          ProceduralImage::Checker(64, 64, 8, 0xFFFF00FF, 0xFF202020));
    // The splash sequence: publisher, rating, title.
    ok = WriteSample(folder, "ui/MorlanixSplash.bmp",
                     ItemPictures::Splash(512, 512, 0xFF081810, 0xFF20A060, false, "Morlanix", "presents")) &&
         ok;
    ok = WriteSample(folder, "ui/ESRB.bmp",
                     ItemPictures::Splash(800, 600, 0xFF101018, 0xFF404060, true, "Everyone",
                                          "content rated for all ages")) &&
         ok;
    ok = WriteSample(
             folder, "ui/splash.bmp",
             ItemPictures::Splash(800, 600, 0xFF301008, 0xFFE08020, true, "Tarvolin", "stunt driving")) &&
         ok;
    // What particle emitters put on their quads.
    ok =
        WriteSample(folder, "resources/particles/spark.tga", ProceduralImage::Glow(32, 32, 0xFFFFE0A0)) && ok;
    // The explosive gear's flash.
    ok = WriteSample(folder, "resources/particles/explosion.tga", Fireball(64)) && ok;
    // What a course's trees stand up.
    ok = WriteSample(folder, "resources/trees/tree.tga",
                     ProceduralImage::Tree(64, 128, 0xFF5A3A1E, 0xFF2E7D32)) &&
         ok;
    // The default vehicle's picture on the vehicle screen.
    ok = WriteSample(folder, "UI/vehicles/charger.bmp",
                     ProceduralImage::CarSide(256, 128, 0xFFC81E1E, 0xFF8CB4DC, 0xFF506040)) &&
         ok;
    // The course's fade to white: one colour, tinted by the image's alpha.
    ok = WriteSample(folder, "resources/White.bmp",
                     ProceduralImage::Checker(16, 16, 16, 0xFFFFFFFF, 0xFFFFFFFF)) &&
         ok;
    // The motorcycle's picture on the vehicle screen.
    ok = WriteSample(folder, "UI/vehicles/motorcycle.bmp", ItemPictures::Motorcycle(256, 128, kBikePaint)) &&
         ok;
    // What the stunt shop shows of each item it sells, in its preview boxes' size.
    const struct
    {
        std::string file;
        Picture picture;
    } previews[] = {
        {std::string(kShopPreviewFolder) + "stunt_yard.bmp",
         ItemPictures::Yard(kPreviewWidth, kPreviewHeight)},
        {std::string(kShopPreviewFolder) + "explosive_barrel.bmp",
         ItemPictures::Barrel(kPreviewWidth, kPreviewHeight)},
        {std::string(kShopPreviewFolder) + "box.bmp", ItemPictures::Box(kPreviewWidth, kPreviewHeight)},
        {std::string(kShopPreviewFolder) + "ball.bmp", ItemPictures::Ball(kPreviewWidth, kPreviewHeight)},
        {std::string(kShopPreviewFolder) + "motorcycle.bmp",
         ItemPictures::Motorcycle(kPreviewWidth, kPreviewHeight, kBikePaint)},
    };
    for (const auto& preview : previews)
        ok = WriteSample(folder, preview.file, preview.picture) && ok;
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string command = argv[1];
    const std::string out = argv[2];
    uint32_t width = 0;
    uint32_t height = 0;
    const bool sized =
        argc >= 5 && ParseNumber(argv[3], width, 1, kMaxSide) && ParseNumber(argv[4], height, 1, kMaxSide);

    if (command == "checker" && argc == 8 && sized)
    {
        uint32_t cell = 0;
        uint32_t first = 0;
        uint32_t second = 0;
        if (!ParseNumber(argv[5], cell, 1, kMaxSide) || !ParseColour(argv[6], first) ||
            !ParseColour(argv[7], second))
            return Usage();
        return Write(ProceduralImage::Checker(width, height, cell, first, second), out);
    }
    if (command == "gradient" && (argc == 7 || argc == 8) && sized)
    {
        uint32_t from = 0;
        uint32_t to = 0;
        const bool vertical = argc == 8 && std::string(argv[7]) == "vertical";
        if (!ParseColour(argv[5], from) || !ParseColour(argv[6], to) || (argc == 8 && !vertical))
            return Usage();
        return Write(ProceduralImage::Gradient(width, height, from, to, vertical), out);
    }
    if (command == "glow" && argc == 6 && sized)
    {
        uint32_t colour = 0;
        if (!ParseColour(argv[5], colour))
            return Usage();
        return Write(ProceduralImage::Glow(width, height, colour), out);
    }
    if (command == "convert" && argc == 4)
    {
        const std::string target = argv[3];
        if (target.size() < 4 ||
            (target.substr(target.size() - 4) != ".tga" && target.substr(target.size() - 4) != ".TGA"))
        {
            std::fprintf(stderr, "imagetool: convert writes a .tga file\n");
            return 2;
        }
        Picture picture;
        std::string error;
        if (!Picture::Load(out, picture, error))
        {
            std::fprintf(stderr, "imagetool: %s\n", error.c_str());
            return 1;
        }
        return Write(picture, target);
    }
    if (command == "sample" && argc == 3)
        return Sample(out);
    return Usage();
}
