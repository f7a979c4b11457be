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
#include <utility>
#include <vector>

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

std::string LowerFolder(const std::string& file)
{
    return guigen::LayoutPath(file);
}

} // namespace

TEST_F(ScreenLayoutsTest, EveryLayoutIsWrittenInTextFormWithItsWindowName)
{
    std::set<std::string> files;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
    {
        EXPECT_TRUE(files.insert(LowerFolder(layout.file)).second) << layout.file;
        std::ifstream in(m_Dir.File(LowerFolder(layout.file)));
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
    EXPECT_EQ(files.count("ui/editor/addsun.kab"), 1u);
}

// The in-game menu comes up over a run whose clock keeps going, and as the course editor's exit: its words
// claim no pause and speak of no run, and its two buttons stay the ones that answer quit and resume.
TEST(InGameMenuWordsTest, TheWordsSayNothingOfAPauseOrARun)
{
    const guigen::ScreenLayout* menu = nullptr;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
        if (std::string(layout.window) == "InGameMenu")
            menu = &layout;
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> texts;
    for (const guigen::ScreenLabel& label : menu->labels)
        texts.push_back(label.text);
    std::vector<std::string> buttons;
    for (const guigen::ScreenWidget& row : menu->widgets)
        if (&row.record() == &guiButton::StaticClassInfo())
        {
            buttons.push_back(row.name);
            texts.push_back(row.text);
        }
    EXPECT_EQ(buttons, (std::vector<std::string>{"ok_quit", "cancel_quit"}));
    ASSERT_FALSE(menu->labels.empty());
    for (const std::string& text : texts)
    {
        std::string word;
        std::istringstream words(text);
        while (words >> word)
        {
            std::string bare;
            for (const char c : word)
                if (std::isalpha(static_cast<unsigned char>(c)))
                    bare += char(std::tolower(static_cast<unsigned char>(c)));
            for (const char* raceWord : {"pause", "paused", "run", "race", "course", "driving"})
                EXPECT_NE(bare, raceWord) << text;
        }
    }
}

TEST(LayoutPathTest, EveryLayoutLandsUnderTheLowerCaseInterfaceFolderWithForwardSlashes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ui/common/main.kab", "ui/common/main.kab"},
        {"UI/common/saveworld.kab", "ui/common/saveworld.kab"},
        {"UI/editor/createterrain.kab", "ui/editor/createterrain.kab"},
        // Found through the interface search path, as the code loads it.
        {"editor\\addsun.kab", "ui/editor/addsun.kab"},
        {"Ui\\editor\\Sky.kab", "ui/editor/Sky.kab"},
        {"uistuff.kab", "ui/uistuff.kab"},
    };
    for (const auto& [file, expected] : cases)
        EXPECT_EQ(guigen::LayoutPath(file), expected) << file;
}

TEST_F(ScreenLayoutsTest, EachButtonHasFourPicturesOfItsSizeThatDifferVisibly)
{
    std::set<std::pair<int, int>> sizes;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
        for (const guigen::ScreenWidget& row : layout.widgets)
            if (&row.record() == &guiButton::StaticClassInfo())
                sizes.insert({int(row.width), int(row.height)});
    ASSERT_FALSE(sizes.empty());
    for (const auto& [width, height] : sizes)
    {
        int means[4][3] = {};
        for (int state = 0; state < 4; ++state)
        {
            kaTGAImage picture;
            ASSERT_TRUE(picture.Load(m_Dir.File(guigen::ButtonPicture(width, state, height))))
                << width << " " << height << " " << state;
            ASSERT_EQ(int(picture.GetWidth()), width);
            ASSERT_EQ(int(picture.GetHeight()), height);
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

TEST_F(ScreenLayoutsTest, GroupedWidgetsAreBuiltInsideTheirGroupAndCellsAreTheirWidget)
{
    int grouped = 0;
    for (const guigen::ScreenLayout& layout : guigen::ScreenContract())
    {
        guiGlyph* root = guigen::BuildScreen(layout);
        ASSERT_NE(root, nullptr) << layout.file;
        root->AddRef();
        if (layout.cell)
        {
            ASSERT_EQ(layout.widgets.size(), 1u) << layout.file;
            // The root is the widget, or a decorator that stands in for it.
            guiGlyph* widget = root->FindChild(layout.widgets[0].name);
            ASSERT_NE(widget, nullptr) << layout.file;
            EXPECT_EQ(root->DynamicCast(layout.widgets[0].record()), widget) << layout.file;
        }
        for (const guigen::ScreenWidget& row : layout.widgets)
        {
            if (row.parent == nullptr)
                continue;
            ++grouped;
            guiGlyph* group = root->FindChild(row.parent);
            ASSERT_NE(group, nullptr) << layout.file << " " << row.parent;
            guiGlyph* widget = group->FindChild(row.name);
            EXPECT_TRUE(widget != nullptr && widget != group) << layout.file << " " << row.name;
        }
        root->Release();
    }
    EXPECT_GT(grouped, 0);
}
