#include "tools/guigen/FileDialogPictures.h"

#include "engine/render/kaTGAImage.h"

#include "platform/files/Files.h"

#include <algorithm>
#include <cstring>

namespace guigen
{

namespace
{

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

struct Glyph
{
    char letter;
    const char* rows[kGlyphHeight];
};

// Only the letters the captions use.
const Glyph kGlyphs[] = {
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
};

const Glyph* FindGlyph(char letter)
{
    for (const Glyph& glyph : kGlyphs)
        if (glyph.letter == letter)
            return &glyph;
    return nullptr;
}

void Put(std::vector<uint8_t>& texels, int width, int x, int y, const uint8_t (&bgr)[3])
{
    uint8_t* texel = &texels[(std::size_t(y) * width + x) * 4];
    std::memcpy(texel, bgr, 3);
    texel[3] = 255;
}

bool MakeFolders(const std::string& path)
{
    std::size_t at = 0;
    while ((at = path.find('/', at + 1)) != std::string::npos)
    {
        const std::string part = path.substr(0, at);
        if (!platform::IsDirectory(part) && !platform::CreateDirectory(part))
            return false;
    }
    return true;
}

} // namespace

std::vector<uint8_t> FileDialogTexels(const std::string& caption, bool save)
{
    const int width = int(kFileDialogWidth);
    const int height = int(kFileDialogHeight);
    // Saving is warm, loading cool; both dark enough for light text and buttons.
    const float base[3] = {save ? 0.30f : 0.08f, save ? 0.12f : 0.16f, save ? 0.08f : 0.30f};
    std::vector<uint8_t> texels(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y)
    {
        const float shade = 1.0f - 0.5f * float(y) / float(height);
        const uint8_t bgr[3] = {uint8_t(base[2] * shade * 255.0f), uint8_t(base[1] * shade * 255.0f),
                                uint8_t(base[0] * shade * 255.0f)};
        for (int x = 0; x < width; ++x)
            Put(texels, width, x, y, bgr);
    }
    // A rim, so that the dialog stands off the screen behind it.
    const uint8_t rim[3] = {200, 170, 120};
    for (int x = 0; x < width; ++x)
    {
        Put(texels, width, x, 0, rim);
        Put(texels, width, x, height - 1, rim);
    }
    for (int y = 0; y < height; ++y)
    {
        Put(texels, width, 0, y, rim);
        Put(texels, width, width - 1, y, rim);
    }
    // Light but not white: the buttons' captions are the only white on the dialog.
    const uint8_t ink[3] = {90, 210, 255};
    const int advance = (kGlyphWidth + 1) * kCaptionScale;
    const int left = std::max(0, (width - int(caption.size()) * advance + kCaptionScale) / 2);
    for (std::size_t i = 0; i < caption.size(); ++i)
    {
        const Glyph* glyph = FindGlyph(caption[i]);
        if (glyph == nullptr)
            continue;
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int column = 0; column < kGlyphWidth; ++column)
            {
                if (glyph->rows[row][column] != '#')
                    continue;
                for (int dy = 0; dy < kCaptionScale; ++dy)
                    for (int dx = 0; dx < kCaptionScale; ++dx)
                    {
                        const int x = left + int(i) * advance + column * kCaptionScale + dx;
                        const int y = kCaptionTop + row * kCaptionScale + dy;
                        if (x < width && y < height)
                            Put(texels, width, x, y, ink);
                    }
            }
    }
    return texels;
}

bool WriteFileDialogPictures(const std::string& folder, std::string& error)
{
    for (const FileDialogPicture& picture : kFileDialogPictures)
    {
        const bool save = &picture != &kFileDialogPictures[0];
        const std::vector<uint8_t> texels = FileDialogTexels(picture.caption, save);
        const std::string path = folder + "/" + picture.file;
        kaTGAImage image;
        if (!MakeFolders(path) ||
            !image.Create(int(kFileDialogWidth), int(kFileDialogHeight), 32, 8, texels.data()) ||
            !image.Save(path, false))
        {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

} // namespace guigen
