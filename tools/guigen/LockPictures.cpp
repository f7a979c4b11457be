#include "tools/guigen/LockPictures.h"

#include "engine/render/kaTGAImage.h"
#include "platform/files/Files.h"

#include <cmath>

namespace guigen
{

std::vector<uint8_t> PadlockTexels(int side, bool open)
{
    std::vector<uint8_t> texels(std::size_t(side) * side * 4, 0);
    const float s = float(side);
    const float bodyTop = s * 0.5f;
    const float left = s * 0.15f, right = s * 0.85f;
    // The shackle: a half ring over the body, lifted clear of it when open.
    const float lift = open ? s * 0.18f : 0.0f;
    const float centreX = s * 0.5f, centreY = bodyTop - lift;
    const float outer = s * 0.28f, inner = s * 0.17f;
    const uint8_t body[3] = {uint8_t(open ? 40 : 200), uint8_t(open ? 170 : 40), 40};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
        {
            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
            uint8_t* texel = &texels[(std::size_t(y) * side + x) * 4];
            const bool inBody = py >= bodyTop && py <= s * 0.95f && px >= left && px <= right;
            const float d = std::hypot(px - centreX, py - centreY);
            const bool ring = py <= centreY && d <= outer && d >= inner;
            // The legs run down from the ring into the body; the open lock's left leg stands clear.
            const bool leg = py > centreY && py < bodyTop &&
                             ((px >= centreX + inner && px <= centreX + outer) ||
                              (!open && px >= centreX - outer && px <= centreX - inner));
            if (inBody)
            {
                // A dark keyhole in the middle of the body.
                const bool hole = std::fabs(px - centreX) < s * 0.06f && py > s * 0.6f && py < s * 0.8f;
                for (int c = 0; c < 3; ++c)
                    texel[2 - c] = hole ? 20 : body[c];
                texel[3] = 255;
            }
            else if (ring || leg)
            {
                texel[0] = texel[1] = texel[2] = 210;
                texel[3] = 255;
            }
        }
    return texels;
}

bool WriteLockPictures(const std::string& folder, std::string& error)
{
    const struct
    {
        const char* file;
        int side;
        bool open;
    } pictures[] = {
        {kLockedPicture, kLockSide, false},
        {kUnlockedPicture, kLockSide, true},
        {kLockMarkPicture, kLockMarkSide, false},
    };
    for (const auto& entry : pictures)
    {
        const std::string path = folder + "/" + entry.file;
        const std::string parent = path.substr(0, path.rfind('/'));
        const std::string grand = parent.substr(0, parent.rfind('/'));
        for (const std::string& dir : {grand, parent})
            if (!platform::IsDirectory(dir) && !platform::CreateDirectory(dir))
            {
                error = "cannot make " + dir;
                return false;
            }
        const std::vector<uint8_t> texels = PadlockTexels(entry.side, entry.open);
        kaTGAImage picture;
        if (!picture.Create(entry.side, entry.side, 32, 8, texels.data()) || !picture.Save(path, false))
        {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

} // namespace guigen
