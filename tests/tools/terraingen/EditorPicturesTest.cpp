#include "tools/terraingen/EditorPictures.h"
#include "engine/render/kaImage.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace
{

// The pixel's bytes as stored, blue first.
const uint8_t* PixelAt(const kaImage& image, uint32_t x, uint32_t y)
{
    return image.GetPixels() + size_t(y) * image.GetRowBytes() + size_t(x) * image.GetBitsPerPixel() / 8;
}

} // namespace

TEST(EditorPicturesTest, FlaresAndTheGravelTileLoadWithTheirDepthsAndShapes)
{
    testsupport::TempDir dir;
    ASSERT_EQ(std::system((std::string(TERRAINGEN_PATH) + " environment '" + dir.Path() + "'").c_str()), 0);
    const struct
    {
        const char* name;
        uint32_t side;
        uint32_t bits;
    } pictures[] = {{EditorPictures::kFlareSpot, 64, 24},
                    {EditorPictures::kFlareHalo, 64, 32},
                    {EditorPictures::kGravelTile, 128, 24}};
    for (const auto& picture : pictures)
    {
        SCOPED_TRACE(picture.name);
        const auto image = kaTerrain::LoadHeightMapImage(dir.File(picture.name));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), picture.side);
        EXPECT_EQ(image->GetHeight(), picture.side);
        EXPECT_EQ(image->GetBitsPerPixel(), picture.bits);
    }
    // The spot is bright in the middle and black in the corners, so that it adds nothing there.
    const auto spot = kaTerrain::LoadHeightMapImage(dir.File(EditorPictures::kFlareSpot));
    ASSERT_NE(spot, nullptr);
    EXPECT_GT(PixelAt(*spot, 32, 32)[0], 200);
    EXPECT_EQ(PixelAt(*spot, 0, 0)[0], 0);
    // The halo is see-through at its middle and on its ring opaque enough to show.
    const auto halo = kaTerrain::LoadHeightMapImage(dir.File(EditorPictures::kFlareHalo));
    ASSERT_NE(halo, nullptr);
    EXPECT_EQ(PixelAt(*halo, 32, 32)[3], 0);
    EXPECT_GT(PixelAt(*halo, 32 + 22, 32)[3], 150);
    // The tile is no flat colour.
    const auto gravel = kaTerrain::LoadHeightMapImage(dir.File(EditorPictures::kGravelTile));
    ASSERT_NE(gravel, nullptr);
    int differing = 0;
    for (uint32_t x = 1; x < 128; ++x)
        differing += PixelAt(*gravel, x, 40)[0] != PixelAt(*gravel, x - 1, 40)[0] ? 1 : 0;
    EXPECT_GT(differing, 10);
}
