#include "tools/guigen/ScrollImages.h"

#include "engine/render/kaBMPImage.h"

#include "platform/files/Files.h"

#include <cstdlib>

namespace guigen
{

namespace
{

enum class Direction
{
    kUp,
    kDown,
    kLeft,
    kRight,
};

struct Canvas
{
    Canvas(uint32_t w, uint32_t h, uint8_t grey) : width(w), height(h), bytes(std::size_t(w) * h * 3, grey) {}

    void Set(uint32_t x, uint32_t y, uint8_t b, uint8_t g, uint8_t r)
    {
        uint8_t* at = &bytes[(std::size_t(y) * width + x) * 3];
        at[0] = b;
        at[1] = g;
        at[2] = r;
    }
    // A one-pixel frame, light on the top and left and dark on the bottom and right.
    void Bevel(uint8_t light, uint8_t dark)
    {
        for (uint32_t x = 0; x < width; ++x)
        {
            Set(x, 0, light, light, light);
            Set(x, height - 1, dark, dark, dark);
        }
        for (uint32_t y = 0; y < height; ++y)
        {
            Set(0, y, light, light, light);
            Set(width - 1, y, dark, dark, dark);
        }
    }

    uint32_t width;
    uint32_t height;
    std::vector<uint8_t> bytes;
};

// A solid triangle 9 pixels wide at its base, 5 deep, centred in the square.
bool InTriangle(Direction direction, int x, int y)
{
    int along = 0;
    int across = 0;
    switch (direction)
    {
    case Direction::kUp:
        along = y - 5;
        across = x - 7;
        break;
    case Direction::kDown:
        along = 10 - y;
        across = x - 7;
        break;
    case Direction::kLeft:
        along = x - 5;
        across = y - 7;
        break;
    case Direction::kRight:
        along = 10 - x;
        across = y - 7;
        break;
    }
    return along >= 0 && along < 5 && std::abs(across) <= along;
}

ScrollPicture Arrow(const std::string& name, Direction direction, char look)
{
    // Normal, rollover (lighter) and clicked (darker, the arrow pushed in by a pixel).
    const uint8_t face = look == 'R' ? 0x90 : look == 'C' ? 0x48 : 0x70;
    const int push = look == 'C' ? 1 : 0;
    Canvas canvas(kScrollSide, kScrollSide, face);
    for (uint32_t y = 0; y < kScrollSide; ++y)
        for (uint32_t x = 0; x < kScrollSide; ++x)
            if (InTriangle(direction, int(x) - push, int(y) - push))
                canvas.Set(x, y, 0x20, 0xE8, 0xF0);
    if (look == 'C')
        canvas.Bevel(0x30, 0xA0);
    else
        canvas.Bevel(0xC0, 0x30);
    return {name + "_" + look + ".bmp", canvas.width, canvas.height, canvas.bytes};
}

ScrollPicture Thumb(const std::string& file, uint32_t width, uint32_t height)
{
    Canvas canvas(width, height, 0xB0);
    canvas.Bevel(0xF0, 0x40);
    // Three grip lines across the middle.
    const bool vertical = height > width;
    for (int line = -2; line <= 2; line += 2)
        for (uint32_t i = 4; i + 4 < (vertical ? width : height); ++i)
        {
            if (vertical)
                canvas.Set(i, height / 2 + line, 0x60, 0x60, 0x60);
            else
                canvas.Set(width / 2 + line, i, 0x60, 0x60, 0x60);
        }
    return {file, canvas.width, canvas.height, canvas.bytes};
}

ScrollPicture Back(const std::string& file, bool vertical)
{
    Canvas canvas(kScrollSide, kScrollSide, 0x28);
    // A groove down the middle of the track.
    for (uint32_t i = 0; i < kScrollSide; ++i)
    {
        if (vertical)
            canvas.Set(kScrollSide / 2, i, 0x50, 0x50, 0x50);
        else
            canvas.Set(i, kScrollSide / 2, 0x50, 0x50, 0x50);
    }
    return {file, canvas.width, canvas.height, canvas.bytes};
}

} // namespace

std::vector<ScrollPicture> ScrollPictures()
{
    const std::string prefix = "UI_Scroll";
    std::vector<ScrollPicture> pictures;
    const std::pair<const char*, Direction> arrows[] = {{"UpArrow", Direction::kUp},
                                                        {"DownArrow", Direction::kDown},
                                                        {"LeftArrow", Direction::kLeft},
                                                        {"RightArrow", Direction::kRight}};
    for (const auto& [name, direction] : arrows)
        for (char look : {'N', 'R', 'C'})
            pictures.push_back(Arrow(prefix + name, direction, look));
    pictures.push_back(Thumb(prefix + "Slider_N.bmp", kScrollSide, kThumbLength));
    pictures.push_back(Thumb(prefix + "HSlider_N.bmp", kThumbLength, kScrollSide));
    pictures.push_back(Back(prefix + "Back.bmp", true));
    pictures.push_back(Back(prefix + "HBack.bmp", false));
    return pictures;
}

bool WriteScrollPictures(const std::string& folder, std::string& error)
{
    const std::string common = folder + "/" + kScrollFolder;
    if (!platform::IsDirectory(common) && !platform::CreateDirectory(common))
    {
        error = "cannot make " + common;
        return false;
    }
    for (const ScrollPicture& picture : ScrollPictures())
    {
        kaBMPImage image;
        const std::string path = common + "/" + picture.file;
        if (!image.Create(picture.width, picture.height, 24, picture.bytes.data()) ||
            !image.Save(path, false))
        {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

} // namespace guigen
