#include "engine/render/kaFont.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"
#include "platform/gfx/GfxStateBlock.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/system/SystemFonts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

using namespace platform;

namespace
{

const char* const kFace = "DejaVuSans.ttf";

std::string InstalledFace()
{
    return ResolveFontFile(GetFontsFolder() + "\\" + kFace);
}

std::string WithBackslashes(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

class FontOnAnyDevice : public GraphicsManagerFixture
{
protected:
    void TearDown() override { SetFontsFolder(""); }

    // Leaves a largest height set before alone.
    void StartWithLargestTexture(uint32_t largest)
    {
        GfxCaps& caps = m_D3D->Adapters[0].Caps;
        caps.MaxTextureWidth = largest;
        caps.MaxTextureHeight = std::min(caps.MaxTextureHeight, largest);
        ASSERT_TRUE(Start(nullptr));
        ASSERT_NE(Device(), nullptr);
    }

    std::unique_ptr<kaFont> Outline(const std::string& face, uint32_t size, uint32_t flags = 0)
    {
        auto font = std::make_unique<kaFont>(face, size, flags);
        font->LoadGlyphs();
        return font;
    }

    // Texels of the page's level 0 as 16-bit values (the outline page format).
    std::vector<uint16_t> PageTexels(const kaFont& font) const
    {
        std::vector<uint16_t> texels;
        GfxTexture* texture = font.GetTexture()->GetTexture();
        LockedRect locked;
        if (!texture || GfxFailed(texture->LockRect(0, &locked, nullptr, LOCK_READONLY)))
            return texels;
        for (uint32_t y = 0; y < font.GetPageHeight(); ++y)
        {
            const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(locked.Bits) +
                                                                static_cast<size_t>(y) * locked.Pitch);
            texels.insert(texels.end(), row, row + font.GetPageWidth());
        }
        texture->UnlockRect(0);
        return texels;
    }

    size_t MessageBoxCount() const { return m_Backend.MessageBoxes().size(); }
};

// Most tests run on a device whose textures may be 2048 texels wide.
class FontTest : public FontOnAnyDevice
{
protected:
    void SetUp() override { StartWithLargestTexture(2048); }
};

// --- Outline fonts --------------------------------------------------------------------------------------

TEST_F(FontTest, PageSizeFollowsThePixelSize)
{
    EXPECT_EQ(kaFont::PageSizeFor(20), 256u);
    EXPECT_EQ(kaFont::PageSizeFor(21), 512u);
    EXPECT_EQ(kaFont::PageSizeFor(40), 512u);
    EXPECT_EQ(kaFont::PageSizeFor(41), 1024u);

    auto small = Outline(kFace, 20);
    EXPECT_EQ(small->GetPageWidth(), 256u);
    EXPECT_EQ(small->GetTexture()->GetWidth(), 256u);
    auto large = Outline(kFace, 41);
    EXPECT_EQ(large->GetPageWidth(), 1024u);
    EXPECT_EQ(large->GetScale(), 1.0f);
    EXPECT_GT(large->GetLineHeight(), 41);
}

TEST_F(FontOnAnyDevice, SmallDeviceShrinksThePageAndWidensTheReportedSizes)
{
    StartWithLargestTexture(512);
    auto font = Outline(kFace, 41);
    EXPECT_EQ(font->GetPageWidth(), 512u);
    EXPECT_EQ(font->GetScale(), 0.5f);
    float l, t, r, b, w, h;
    int32_t advance, bx, by;
    ASSERT_TRUE(font->GetGlyphMetrics('A', l, t, r, b, w, h, advance, bx, by));
    EXPECT_GT(w, 0.0f);
    EXPECT_FLOAT_EQ(w, 2.0f * 512.0f * (r - l));
    EXPECT_FLOAT_EQ(h, 2.0f * 512.0f * (b - t));
}

TEST_F(FontTest, GlyphQueriesRefuseControlAndHighCodes)
{
    auto font = Outline(kFace, 16);
    float l, t, r, b, w, h;
    int32_t advance, bx, by;
    EXPECT_FALSE(font->GetGlyphMetrics('\n', l, t, r, b, w, h, advance, bx, by));
    EXPECT_FALSE(font->GetGlyphMetrics('\t', l, t, r, b, w, h, advance, bx, by));
    EXPECT_FALSE(font->GetGlyphMetrics(static_cast<char>(200), l, t, r, b, w, h, advance, bx, by));
    ASSERT_TRUE(font->GetGlyphMetrics(127, l, t, r, b, w, h, advance, bx, by));
    EXPECT_EQ(r, 0.0f);
    EXPECT_EQ(advance, 0);
    ASSERT_TRUE(font->GetGlyphMetrics('M', l, t, r, b, w, h, advance, bx, by));
    EXPECT_GT(advance, 8);
    EXPECT_GT(by, 8);
    EXPECT_FLOAT_EQ(w, 256.0f * (r - l));
    // A space has an advance and nothing to draw.
    ASSERT_TRUE(font->GetGlyphMetrics(' ', l, t, r, b, w, h, advance, bx, by));
    EXPECT_GT(advance, 0);
    EXPECT_EQ(w, 0.0f);
}

TEST_F(FontTest, GlyphTexelsHoldCoverageOnATransparentPage)
{
    auto font = Outline(kFace, 16);
    const std::vector<uint16_t> texels = PageTexels(*font);
    ASSERT_EQ(texels.size(), 256u * 256u);
    const kaFont::GlyphRect& bar = font->GetGlyphRect('|');
    const uint32_t x = static_cast<uint32_t>(bar.left * 256.0f);
    const uint32_t top = static_cast<uint32_t>(bar.top * 256.0f);
    const uint32_t bottom = static_cast<uint32_t>(bar.bottom * 256.0f);
    ASSERT_GT(bottom, top + 4);
    // The middle of a vertical bar is fully covered; every texel keeps its white colour bits.
    const uint16_t middle = texels[((top + bottom) / 2) * 256 + x];
    EXPECT_EQ(middle >> 12, 0xFu);
    for (uint16_t texel : texels)
        ASSERT_EQ(texel & 0x0FFF, 0x0FFF);
    // The last texel of the page lies below every row of glyphs.
    EXPECT_EQ(texels.back(), 0x0FFF);
}

TEST_F(FontTest, ShelvesWrapOnlyWhenTheGlyphAndItsGapDoNotFit)
{
    auto font = Outline(kFace, 20);
    const float page = static_cast<float>(font->GetPageWidth());
    uint32_t penX = 0;
    int wraps = 0;
    // Every glyph, the blank space too, takes its width and a one-texel gap.
    for (uint32_t code = 32; code < 127; ++code)
    {
        const kaFont::GlyphRect& rect = font->GetGlyphRect(code);
        const uint32_t left = static_cast<uint32_t>(rect.left * page + 0.5f);
        const uint32_t width = static_cast<uint32_t>((rect.right - rect.left) * page + 0.5f);
        if (left == 0 && penX != 0)
        {
            ++wraps;
            EXPECT_GT(penX + width + 1, font->GetPageWidth()) << code;
        }
        else
        {
            EXPECT_EQ(left, penX) << code;
            EXPECT_LE(left + width + 1, font->GetPageWidth()) << code;
        }
        penX = left + width + 1;
    }
    EXPECT_GT(wraps, 0);
}

TEST_F(FontOnAnyDevice, GlyphsThatDoNotFitThePageKeepEmptyEntries)
{
    StartWithLargestTexture(32);
    auto font = Outline(kFace, 60);
    EXPECT_EQ(font->GetPageWidth(), 32u);
    int placed = 0;
    int skipped = 0;
    for (uint32_t code = 33; code < 127; ++code)
    {
        const kaFont::GlyphRect& rect = font->GetGlyphRect(code);
        if (rect.right > 0.0f)
        {
            ++placed;
            EXPECT_LE(rect.right, 1.0f);
            EXPECT_LE(rect.bottom, 1.0f);
        }
        else
        {
            ++skipped;
            EXPECT_EQ(font->GetMetrics(code).advance, 0);
        }
    }
    EXPECT_GT(placed, 0);
    EXPECT_GT(skipped, 0);
}

TEST_F(FontOnAnyDevice, PageCutShortByTheDeviceHoldsOnlyWhatFits)
{
    m_D3D->Adapters[0].Caps.MaxTextureHeight = 32;
    StartWithLargestTexture(2048);
    auto font = Outline(kFace, 16);
    EXPECT_EQ(font->GetPageWidth(), 256u);
    EXPECT_EQ(font->GetPageHeight(), 32u);
    int skipped = 0;
    for (uint32_t code = 33; code < 127; ++code)
    {
        EXPECT_LE(font->GetGlyphRect(code).bottom, 1.0f) << code;
        skipped += font->GetGlyphRect(code).right == 0.0f ? 1 : 0;
    }
    EXPECT_GT(skipped, 0);
}

TEST_F(FontTest, MissingFaceShowsTheMessageAndLeavesEmptyTables)
{
    testsupport::TempDir fonts;
    SetFontsFolder(fonts.Path());
    const size_t before = MessageBoxCount();
    auto font = Outline("Nothing", 16);
    ASSERT_EQ(MessageBoxCount(), before + 1);
    EXPECT_EQ(m_Backend.MessageBoxes().back().text, kaFont::kLoadFailed);
    EXPECT_EQ(m_Backend.MessageBoxes().back().caption, "");
    EXPECT_EQ(font->GetTexture()->GetTexture(), nullptr);
    EXPECT_EQ(font->GetMetrics('A').advance, 0);
    EXPECT_EQ(font->GetPageWidth(), 0u);
}

TEST_F(FontTest, NameWithoutExtensionTriesTrueTypeThenType1)
{
    testsupport::TempDir fonts;
    std::ifstream source(InstalledFace(), std::ios::binary);
    ASSERT_TRUE(source.good());
    const std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    fonts.Write("Other.pfb", bytes);
    fonts.Write("Other.pfb.ttf", "not a font");
    SetFontsFolder(fonts.Path());

    const size_t before = MessageBoxCount();
    auto found = Outline("Other", 16);
    EXPECT_NE(found->GetTexture()->GetTexture(), nullptr);
    EXPECT_GT(found->GetMetrics('A').advance, 0);
    EXPECT_EQ(MessageBoxCount(), before);
    // A name with a dot is tried as it is and nothing is appended.
    auto dotted = Outline("Other.pfb", 16);
    EXPECT_GT(dotted->GetMetrics('A').advance, 0);
    auto once = Outline("Nothing.here", 16);
    EXPECT_EQ(MessageBoxCount(), before + 1);
}

TEST_F(FontTest, NameWithABackslashIsThePathItself)
{
    testsupport::TempDir dir;
    std::ifstream source(InstalledFace(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    dir.Write("faces/Copy.ttf", bytes);
    auto font = Outline(WithBackslashes(dir.File("faces/Copy")), 16);
    EXPECT_GT(font->GetMetrics('A').advance, 0);
}

// --- Font data files ------------------------------------------------------------------------------------

TEST_F(FontTest, WrittenFontDataReadsBackTheSame)
{
    auto source = Outline(kFace, 14, kaFont::kHinting);
    std::stringstream data;
    ASSERT_TRUE(source->WriteFontData(data, true));

    kaFont copy("copy.kaff", 0);
    ASSERT_TRUE(copy.ReadFontData(data, 0));
    EXPECT_TRUE(copy.IsFromFile());
    EXPECT_EQ(copy.GetLineHeight(), source->GetLineHeight());
    EXPECT_EQ(copy.GetTop(), source->GetTop());
    EXPECT_EQ(copy.GetDescent(), source->GetDescent());
    EXPECT_EQ(copy.GetScale(), source->GetScale());
    EXPECT_EQ(copy.GetPageWidth(), 256u);
    for (uint32_t code = 32; code < 127; ++code)
    {
        EXPECT_EQ(copy.GetGlyphRect(code).left, source->GetGlyphRect(code).left);
        EXPECT_EQ(copy.GetGlyphRect(code).bottom, source->GetGlyphRect(code).bottom);
        EXPECT_EQ(copy.GetMetrics(code).advance, source->GetMetrics(code).advance);
        EXPECT_EQ(copy.GetMetrics(code).bearingX, source->GetMetrics(code).bearingX);
        EXPECT_EQ(copy.GetMetrics(code).bearingY, source->GetMetrics(code).bearingY);
    }

    // The page comes back texel for texel, in whatever format the device chose for it.
    ASSERT_NE(copy.GetTexture()->GetTexture(), nullptr);
    std::stringstream again;
    ASSERT_TRUE(copy.WriteFontData(again, false));
    std::stringstream first;
    ASSERT_TRUE(source->WriteFontData(first, false));
    EXPECT_EQ(again.str(), first.str());
}

TEST_F(FontTest, DamagedFontDataStopsWhereItGoesWrong)
{
    auto source = Outline(kFace, 12);
    std::stringstream data;
    ASSERT_TRUE(source->WriteFontData(data, true));
    const std::string bytes = data.str();

    // Cut inside the glyph records: the header's fields stay, the page is not made.
    std::stringstream cut(bytes.substr(0, 24 + 28 * 10 + 5));
    kaFont partial("cut.kaff", 0);
    EXPECT_FALSE(partial.ReadFontData(cut, 0));
    EXPECT_EQ(partial.GetLineHeight(), source->GetLineHeight());
    EXPECT_EQ(partial.GetMetrics(33).advance, source->GetMetrics(33).advance);
    EXPECT_EQ(partial.GetTexture()->GetTexture(), nullptr);

    std::string zeroScale = bytes;
    zeroScale.replace(12, 4, std::string(4, '\0'));
    std::stringstream zero(zeroScale);
    kaFont unscaled("zero.kaff", 0);
    EXPECT_FALSE(unscaled.ReadFontData(zero, 0));
    EXPECT_EQ(unscaled.GetScale(), 1.0f);

    std::string huge = bytes;
    huge.replace(16, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    std::stringstream wide(huge);
    kaFont oversized("huge.kaff", 0);
    EXPECT_FALSE(oversized.ReadFontData(wide, 0));
    EXPECT_EQ(oversized.GetPageWidth(), 0u);
}

TEST_F(FontTest, LoadingAFontDataFileFailsWhenItIsMissingOrDamaged)
{
    auto source = Outline(kFace, 12);
    std::stringstream data;
    ASSERT_TRUE(source->WriteFontData(data, true));
    const std::string bytes = data.str();
    testsupport::TempDir dir;
    dir.Write("whole.kaff", bytes);
    dir.Write("cut.kaff", bytes.substr(0, 40));

    kaFont whole("whole.kaff", 0);
    EXPECT_TRUE(whole.LoadFromFile(WithBackslashes(dir.File("whole.kaff")).c_str(), 0));
    EXPECT_NE(whole.GetTexture()->GetTexture(), nullptr);
    kaFont cut("cut.kaff", 0);
    EXPECT_FALSE(cut.LoadFromFile(WithBackslashes(dir.File("cut.kaff")).c_str(), 0));
    kaFont missing("missing.kaff", 0);
    EXPECT_FALSE(missing.LoadFromFile(WithBackslashes(dir.File("missing.kaff")).c_str(), 0));
}

// --- The font table -------------------------------------------------------------------------------------

TEST_F(FontTest, FontsLoadOnceByNameAndUnknownNamesFallBackToSystem)
{
    kaFont* system = m_Manager->GetFont("System");
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->GetPixelSize(), 16u);
    EXPECT_GT(system->GetMetrics('A').advance, 0);

    auto source = Outline(kFace, 10);
    {
        std::ofstream file(m_Dir.File("small.kaff"), std::ios::binary);
        ASSERT_TRUE(source->WriteFontData(file, true));
    }
    kaFont* small = m_Manager->LoadFont(m_Dir.File("small.kaff"), "bar10m");
    ASSERT_NE(small, nullptr);
    EXPECT_TRUE(small->IsFromFile());
    EXPECT_EQ(small->GetMetrics('e').advance, source->GetMetrics('e').advance);
    EXPECT_EQ(m_Manager->LoadFont(m_Dir.File("other.kaff"), "bar10m"), small);
    EXPECT_EQ(m_Manager->GetFont("bar10m"), small);
    EXPECT_EQ(m_Manager->GetFont("bar99x"), system);
    EXPECT_EQ(m_Manager->GetFontTexture("bar10m"), small->GetTexture());
    EXPECT_EQ(m_Manager->GetFontTexture("nothing"), system->GetTexture());

    float l, t, r, b, w, h;
    int32_t advance, bx, by;
    ASSERT_TRUE(m_Manager->GetGlyphMetrics("bar10m", 'e', l, t, r, b, w, h, advance, bx, by));
    EXPECT_EQ(advance, source->GetMetrics('e').advance);
    EXPECT_FALSE(m_Manager->GetGlyphMetrics("bar10m", '\n', l, t, r, b, w, h, advance, bx, by));

    // Glyph pages are numbered and held in the texture table.
    const kaTexture* page = small->GetTexture();
    ASSERT_NE(page->GetNumber(), 0u);
    EXPECT_EQ(m_Manager->GetTextures().at(page->GetNumber()), page);
    EXPECT_EQ(m_Manager->LoadFont("", "empty"), nullptr);
}

TEST_F(FontTest, DeviceObjectsGoWithTheDeviceAndComeBack)
{
    kaFont* system = m_Manager->GetFont("System");
    ASSERT_NE(system, nullptr);
    ASSERT_NE(system->GetVertexBuffer(), nullptr);
    VertexBufferDesc desc;
    system->GetVertexBuffer()->GetDesc(&desc);
    EXPECT_EQ(desc.Size, kaFont::kVertexBufferBytes);
    EXPECT_EQ(desc.Pool, static_cast<uint32_t>(POOL_DEFAULT));
    EXPECT_NE(system->GetStateBlock(0), nullptr);
    EXPECT_NE(system->GetStateBlock(1), nullptr);
    EXPECT_NE(system->GetStateBlock(0), system->GetStateBlock(1));

    m_Manager->InvalidateDeviceObjects();
    EXPECT_EQ(system->GetVertexBuffer(), nullptr);
    EXPECT_EQ(system->GetStateBlock(0), nullptr);
    m_Manager->RestoreDeviceObjects();
    EXPECT_NE(system->GetVertexBuffer(), nullptr);
    EXPECT_NE(system->GetStateBlock(1), nullptr);
}

TEST_F(FontTest, StateBlockDrawsTextOverTheScene)
{
    kaFont* system = m_Manager->GetFont("System");
    ASSERT_NE(system, nullptr);
    ASSERT_TRUE(GfxSucceeded(system->GetStateBlock(0)->Apply()));
    uint32_t value = 0;
    Device()->GetRenderState(RS_ALPHATESTENABLE, &value);
    EXPECT_EQ(value, 1u);
    Device()->GetRenderState(RS_ALPHAREF, &value);
    EXPECT_EQ(value, 8u);
    Device()->GetRenderState(RS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<uint32_t>(ZB_FALSE));
    Device()->GetTextureStageState(0, TSS_ALPHAOP, &value);
    EXPECT_EQ(value, static_cast<uint32_t>(TOP_MODULATE));
    Device()->GetTextureStageState(1, TSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<uint32_t>(TOP_DISABLE));
    GfxBaseTexture* bound = nullptr;
    Device()->GetTexture(0, &bound);
    EXPECT_EQ(bound, system->GetTexture()->GetBaseTexture());
}

TEST_F(FontTest, RenderStateOutlivingTheManagerLeavesItsTexturesAlone)
{
    auto block = std::make_unique<kaRenderState>();
    kaFont* system = m_Manager->GetFont("System");
    block->AddTexture(system->GetTexture(), 0, 0, 0, false, false);
    EXPECT_EQ(block->GetTexture(0), system->GetTexture());
    m_Manager.reset();
    // The manager dropped the table's references; the block drops its own, the last, on the texture.
    EXPECT_EQ(block->GetTexture(0)->GetRefCount(), 1);
    block.reset();
}

} // namespace

// Text states set through the manager match the recorded block and leave its cache telling the truth,
// so that the next block drawn puts back what text changed.
TEST_F(FontTest, TextStatesThroughTheCacheMatchTheBlockAndAreUndoneByTheNextBlock)
{
    StartWithLargestTexture(2048);
    kaFont* system = m_Manager->GetFont("System");
    ASSERT_NE(system, nullptr);
    // Every state the cache holds starts at a value no text state uses.
    for (uint32_t state = 0; state < kaStateCache::kRenderStates; ++state)
        m_Manager->SetRenderState(state, 0xEE);
    for (uint32_t stage = 0; stage < 2; ++stage)
        for (uint32_t state = 0; state < kaStateCache::kStageStates; ++state)
            m_Manager->SetTextureStageState(stage, state, 0xEE);
    for (uint32_t state = 0; state < kaStateCache::kSamplerStates; ++state)
        m_Manager->SetSamplerState(0, state, 0xEE);
    m_Manager->SetTexture(0, nullptr);

    system->ApplyStates();
    const DeviceState cached = Device()->State();
    ASSERT_TRUE(GfxSucceeded(system->GetStateBlock(0)->Apply()));
    const DeviceState recorded = Device()->State();
    EXPECT_EQ(std::memcmp(cached.RenderStates, recorded.RenderStates, sizeof cached.RenderStates), 0);
    EXPECT_EQ(std::memcmp(cached.StageStates, recorded.StageStates, 2 * sizeof cached.StageStates[0]), 0);
    EXPECT_EQ(std::memcmp(cached.SamplerStates[0], recorded.SamplerStates[0], sizeof cached.SamplerStates[0]),
              0);
    EXPECT_EQ(cached.Textures[0], recorded.Textures[0]);
    EXPECT_NE(cached.Textures[0], nullptr);

    system->ApplyStates();
    kaRenderState block;
    ASSERT_TRUE(block.Apply(Device(), 0));
    uint32_t value = 0;
    Device()->GetRenderState(RS_ALPHATESTENABLE, &value);
    EXPECT_EQ(value, 0u);
    Device()->GetRenderState(RS_ZENABLE, &value);
    EXPECT_EQ(value, static_cast<uint32_t>(ZB_TRUE));
}
