#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTexture.h"

#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace
{

class KaffGenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Previous = platform::SetDirect3DFactory([]() -> platform::GfxDirect3D*
                                                  { return new platform::TestDirect3D; });
        m_Manager = std::make_unique<kaGraphicsManager>();
        ASSERT_TRUE(m_Manager->Initialize(nullptr, nullptr, nullptr, false));
    }

    void TearDown() override
    {
        m_Manager.reset();
        platform::SetDirect3DFactory(m_Previous);
    }

    int Run(const std::string& arguments)
    {
        return std::system(
            ("cd '" + m_Dir.Path() + "' && '" KAFFGEN_PATH "' " + arguments + " >/dev/null 2>&1").c_str());
    }

    // The font data file read back on the test device; null when it does not read.
    std::unique_ptr<kaFont> Read(const std::string& relative)
    {
        std::ifstream file(m_Dir.File(relative), std::ios::binary);
        auto font = std::make_unique<kaFont>(relative, 0);
        if (!file || !font->ReadFontData(file, 0))
            return nullptr;
        return font;
    }

    testsupport::TempDir m_Dir;
    platform::Direct3DFactory m_Previous;
    std::unique_ptr<kaGraphicsManager> m_Manager;
};

TEST_F(KaffGenTest, RendersAFaceIntoAFontDataFileThatReadsBack)
{
    ASSERT_EQ(Run("DejaVuSans.ttf 12 small.kaff hinting"), 0);
    auto font = Read("small.kaff");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetPageWidth(), 256u);
    EXPECT_EQ(font->GetScale(), 1.0f);
    EXPECT_GT(font->GetLineHeight(), 12);
    EXPECT_GT(font->GetMetrics('W').advance, font->GetMetrics('i').advance);
    EXPECT_GT(font->GetGlyphRect('g').bottom, font->GetGlyphRect('g').top);
    ASSERT_NE(font->GetTexture()->GetTexture(), nullptr);
    EXPECT_EQ(m_Dir.Entries(), std::vector<std::string>{"small.kaff"});
}

TEST_F(KaffGenTest, BoldFaceIsWiderThanTheMediumOne)
{
    ASSERT_EQ(Run("DejaVuSans.ttf 16 m.kaff hinting"), 0);
    ASSERT_EQ(Run("DejaVuSans-Bold.ttf 16 b.kaff hinting"), 0);
    auto medium = Read("m.kaff");
    auto bold = Read("b.kaff");
    ASSERT_NE(medium, nullptr);
    ASSERT_NE(bold, nullptr);
    EXPECT_GT(bold->GetMetrics('m').advance, medium->GetMetrics('m').advance);
}

TEST_F(KaffGenTest, RefusesBadArgumentsAndWritesNothing)
{
    EXPECT_NE(Run("DejaVuSans.ttf 0 zero.kaff"), 0);
    EXPECT_NE(Run("DejaVuSans.ttf 12x bad.kaff"), 0);
    EXPECT_NE(Run("DejaVuSans.ttf 12 odd.kaff sharp"), 0);
    EXPECT_NE(Run("C:\\\\nowhere\\\\Missing.ttf 12 missing.kaff"), 0);
    EXPECT_FALSE(m_Dir.Exists("zero.kaff"));
    EXPECT_FALSE(m_Dir.Exists("bad.kaff"));
    EXPECT_FALSE(m_Dir.Exists("odd.kaff"));
    EXPECT_FALSE(m_Dir.Exists("missing.kaff"));
}

TEST_F(KaffGenTest, SampleWritesTheNineInterfaceFontsTheSameEveryTime)
{
    ASSERT_EQ(Run("sample out"), 0);
    const char* names[] = {"10m", "12m", "14m", "16m", "18m", "24m", "16b", "18b", "24b"};
    for (const char* name : names)
    {
        const std::string file = std::string("out/ui/fonts/barmeno") + name + ".kaff";
        auto font = Read(file);
        ASSERT_NE(font, nullptr) << file;
        EXPECT_GT(font->GetMetrics('A').advance, 0) << file;
    }
    const std::string first = m_Dir.Read("out/ui/fonts/barmeno24b.kaff");
    ASSERT_EQ(Run("sample out"), 0);
    EXPECT_EQ(m_Dir.Read("out/ui/fonts/barmeno24b.kaff"), first);
    // The larger sizes need the larger page.
    EXPECT_EQ(Read("out/ui/fonts/barmeno24m.kaff")->GetPageWidth(), 512u);
}

} // namespace
