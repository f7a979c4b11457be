#include "tools/guigen/TreeIcons.h"

#include "engine/render/kaTGAImage.h"
#include "platform/files/Files.h"

namespace guigen
{

std::vector<uint8_t> TreeIconTexels(bool plus)
{
    const int side = static_cast<int>(kTreeIconSide);
    const int middle = side / 2;
    std::vector<uint8_t> texels(static_cast<std::size_t>(side) * side * 4, 0);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
        {
            uint8_t* texel = &texels[(static_cast<std::size_t>(y) * side + x) * 4];
            const bool frame = x == 0 || y == 0 || x == side - 1 || y == side - 1;
            const bool bar =
                (y == middle && x >= 2 && x <= side - 3) || (plus && x == middle && y >= 2 && y <= side - 3);
            if (frame)
                texel[0] = texel[1] = texel[2] = 160;
            else if (!bar)
                texel[0] = texel[1] = texel[2] = 255;
            texel[3] = 255;
        }
    return texels;
}

bool WriteTreeIcons(const std::string& folder, std::string& error)
{
    for (const bool plus : {false, true})
    {
        const std::string file = folder + "/" + (plus ? kPlusIconFile : kMinusIconFile);
        const std::vector<uint8_t> texels = TreeIconTexels(plus);
        kaTGAImage icon;
        if (!icon.Create(kTreeIconSide, kTreeIconSide, 32, 8, texels.data()) || !icon.Save(file, false))
        {
            error = "cannot write " + file;
            return false;
        }
    }
    return true;
}

} // namespace guigen
