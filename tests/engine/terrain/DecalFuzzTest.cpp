#include "engine/terrain/Road.h"
#include "engine/terrain/TerrainMarker.h"
#include "tests/support/engine/terrain/DecalTestSupport.h"

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <exception>
#include <memory>
#include <random>
#include <string>

namespace
{

class DecalFuzzTest : public DecalFixture
{
protected:
    // Every piece of the decal lies on the terrain, and the bounds keep their order inside the samples.
    void ExpectInside(kaDraggableDecal& decal, int iteration)
    {
        ASSERT_GE(decal.GetStartX(), 0) << iteration;
        ASSERT_GE(decal.GetStartZ(), 0) << iteration;
        ASSERT_LT(decal.GetStartX(), decal.GetEndX()) << iteration;
        ASSERT_LT(decal.GetStartZ(), decal.GetEndZ()) << iteration;
        ASSERT_LE(decal.GetEndX(), kSamples - 1) << iteration;
        ASSERT_LE(decal.GetEndZ(), kSamples - 1) << iteration;
        for (int32_t i = 0; i < kaDraggableDecal::kTiles; ++i)
            if (const kaTerrainDecal* tile = decal.GetTile(i))
            {
                ASSERT_GE(tile->GetFirstColumn(), 0) << iteration;
                ASSERT_LE(tile->GetFirstColumn() + tile->GetColumns(), kSamples - 1) << iteration;
                ASSERT_GE(tile->GetFirstRow(), 0) << iteration;
                ASSERT_LE(tile->GetFirstRow() + tile->GetRows(), kSamples - 1) << iteration;
            }
    }
};

TEST_F(DecalFuzzTest, MutatedBlocksAndEditsKeepEveryTileOnTheTerrain)
{
    std::mt19937 random(20261207u);
    const char* const numbers[] = {"0",   "1",   "-1",   "31",   "32",   "33",    "-2147483648", "2147483647",
                                   "nan", "inf", "-inf", "1e40", "0.25", "-0.25", "abc",         "",
                                   "90",  "180", "270",  "359",  "-90",  "4.5",   "1e-30",       "7"};
    const auto pick = [&](int high) { return int(random() % uint32_t(high)); };
    const auto value = [&]()
    {
        return pick(3) == 0 ? std::string(numbers[pick(int(std::size(numbers)))])
                            : std::to_string(pick(80) - 20);
    };
    const char* const keys[] = {"widthScale", "lengthScale", "rotation",
                                "showDecal",  "showHandles", "terrainType"};
    int converted = 0;
    for (int iteration = 0; iteration < 10000; ++iteration)
    {
        std::string block = "<entity>";
        if (pick(8))
            block += "<startCorner><x>" + value() + "</x><z>" + value() + "</z></startCorner>";
        if (pick(8))
            block += "<endCorner><x>" + value() + "</x><z>" + value() + "</z></endCorner>";
        for (const char* key : keys)
            if (pick(2))
                block += std::string("<") + key + ">" + value() + "</" + key + ">";
        block += "</entity>";
        // Now and then cut short anywhere.
        if (pick(10) == 0)
            block.resize(size_t(pick(int(block.size()))));
        TiXmlDocument document;
        document.Parse(block.c_str());
        std::unique_ptr<kaDraggableDecal> decal;
        if (iteration % 2)
            decal = std::make_unique<Road>();
        else
            decal = std::make_unique<TerrainMarker>();
        decal->SetWorld(&m_World);
        try
        {
            decal->ReadXml(document.RootElement());
            ++converted;
        }
        catch (const std::exception&)
        {
            // A value that does not convert refuses the block; the decal stays whole.
        }
        if (decal->GetTile(15) || decal->GetTile(0))
            ExpectInside(*decal, iteration);
        // Edits with wild values afterwards.
        decal->SetScales(pick(4) == 0 ? -1.0f : 0.25f * float(pick(5)), pick(4) == 0 ? std::nanf("") : 0.5f);
        decal->SetRect(pick(80) - 20, pick(80) - 20, pick(80) - 20, pick(80) - 20);
        if (decal->GetTile(15) || decal->GetTile(0))
            ExpectInside(*decal, iteration);
        if (HasFatalFailure())
            return;
    }
    // A good share of the blocks were read through, not all refused.
    EXPECT_GT(converted, 1000);
}

} // namespace
