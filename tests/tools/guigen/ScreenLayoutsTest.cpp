#include "tools/guigen/ScreenLayouts.h"

#include "engine/gui/guiButton.h"
#include "engine/render/kaTGAImage.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/TempDir.h"
#include "tools/guigen/GuiContent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace
{

class ScreenLayoutsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(guigen::WriteContent(".", error)) << error;
    }

    testsupport::TempDir m_Dir;
    testsupport::CurrentDirectory m_Here{m_Dir.File("")};
};

std::string LowerFolder(const guigen::ScreenLayout& layout)
{
    return guigen::LayoutPath(layout);
}

} // namespace

TEST_F(ScreenLayoutsTest, EveryLayoutIsWrittenInTextFormWithItsWindowName)
{
    std::set<std::string> files;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
    {
        EXPECT_TRUE(files.insert(LowerFolder(layout)).second) << layout.file;
        std::ifstream in(m_Dir.File(LowerFolder(layout)));
        ASSERT_TRUE(in) << layout.file;
        std::string version;
        std::getline(in, version);
        EXPECT_EQ(version, "T1.11") << layout.file;
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_NE(text.str().find(std::string("\nName ") + layout.window + "\n"), std::string::npos) << layout.file;
        for (const guigen::ScreenWidget& row : layout.widgets)
            EXPECT_NE(text.str().find(std::string("Name ") + row.name + "\n"), std::string::npos)
                << layout.file << " " << row.name;
    }
    EXPECT_EQ(files.count("ui/common/loading.kab"), 1u);
}

TEST_F(ScreenLayoutsTest, EachButtonHasFourPicturesOfItsSizeThatDifferVisibly)
{
    std::set<int> widths;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
        for (const guigen::ScreenWidget& row : layout.widgets)
            if (&row.record() == &guiButton::StaticClassInfo())
                widths.insert(int(row.width));
    ASSERT_FALSE(widths.empty());
    for (const int width : widths)
    {
        int means[4][3] = {};
        for (int state = 0; state < 4; ++state)
        {
            kaTGAImage picture;
            ASSERT_TRUE(picture.Load(m_Dir.File(guigen::ButtonPicture(width, state)))) << width << " " << state;
            ASSERT_EQ(int(picture.GetWidth()), width);
            ASSERT_EQ(picture.GetHeight(), 28u);
            const uint32_t bytes = picture.GetBitsPerPixel() / 8;
            const uint32_t count = picture.GetWidth() * picture.GetHeight();
            long sums[3] = {};
            for (uint32_t i = 0; i < count; ++i)
                for (int c = 0; c < 3; ++c)
                    sums[c] += picture.GetPixels()[i * bytes + c];
            for (int c = 0; c < 3; ++c)
                means[state][c] = int(sums[c] / long(count));
        }
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
            {
                int largest = 0;
                for (int c = 0; c < 3; ++c)
                    largest = std::max(largest, std::abs(means[a][c] - means[b][c]));
                EXPECT_GE(largest, 30) << "width " << width << " states " << a << " and " << b;
            }
    }
}
