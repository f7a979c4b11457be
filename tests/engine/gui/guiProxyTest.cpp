#include "engine/gui/guiProxy.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiPlaceholder.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/TestPanel.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// A placeholder block of the version's syntax with the given children.
std::string Placeholder(const std::string& name, bool withId, int children)
{
    return "[Placeholder]\nPassMouse true\nNotes \nName " + name + "\n" + (withId ? "ID 9\n" : "") +
           "Position 0 0 0 0\nSize 10 0 10 0\nVisible true\nChildOrder -1\nClipMode 1\nNumChildren " +
           std::to_string(children) + "\n";
}

std::string Proxy(const std::string& file, bool withId)
{
    return "[Proxy]\nFilename " + file + "\nName proxy\n" + (withId ? "ID 9\n" : "") +
           "Position 0 0 0 0\nSize 0 0 0 0\nVisible true\nChildOrder -1\nClipMode 0\nNumChildren 0\n";
}

// Layout files in a folder that is the current one, as the file system finds them.
class ProxyTest : public ::testing::Test
{
protected:
    void SetUp() override { m_Dir.Write("part.kab", "T1.11\n" + Placeholder("part", true, 0)); }
    void TearDown() override { gui::SetLayoutVersion(gui::kLayoutVersion); }

    testsupport::TempDir m_Dir;
    testsupport::CurrentDirectory m_Here{m_Dir.File("")};
};

TEST_F(ProxyTest, ASavedProxyHoldsItsFileNameAndReadsBackOneEmbeddedChild)
{
    guiProxy proxy(guiCoordPair::Pixels(5, 5), guiCoordPair::Pixels(50, 50));
    proxy.SetFilename("part.kab");
    proxy.AddChild(new guiPlaceholder{guiCoordPair(), guiCoordPair()});
    ASSERT_EQ(proxy.GetChildCount(), 2);
    EXPECT_FALSE(proxy.GetChild(0)->IsSaveable());
    EXPECT_FALSE(proxy.IsInHitList());
    for (bool binary : {false, true})
    {
        const std::string bytes = gui::FormatLayout(proxy, binary);
        EXPECT_EQ(bytes.find("part\n"), std::string::npos) << "the embedded root is not saved";
        guiGlyph* read = testsupport::RoundTrip(proxy, binary, m_Dir);
        ASSERT_NE(read, nullptr);
        ASSERT_EQ(read->GetChildCount(), 2);
        EXPECT_EQ(read->GetChild(0)->GetName(), "part");
        EXPECT_FALSE(read->GetChild(0)->IsSaveable());
        EXPECT_TRUE(read->GetChild(1)->IsSaveable());
        EXPECT_FALSE(read->IsInHitList());
        EXPECT_EQ(read->FindChild("PART"), read->GetChild(0));
        read->Release();
    }
}

TEST_F(ProxyTest, OnlyTheTextFormDropsAFolderFollowedByParentDirs)
{
    guiProxy source{guiCoordPair(), guiCoordPair()};
    source.SetFilename("skins/../part.kab");
    struct Case
    {
        bool binary;
        const char* name;
    } cases[] = {{false, "part.kab"}, {true, "skins/../part.kab"}};
    for (const Case& c : cases)
    {
        guiGlyph* read = testsupport::RoundTrip(source, c.binary, m_Dir);
        ASSERT_NE(read, nullptr);
        guiProxy* proxy = read->DynamicCast<guiProxy>();
        EXPECT_EQ(proxy->GetFilename(), c.name);
        read->Release();
    }
    GuiParamTable sheet(8);
    sheet.Insert("Filename", "skins/../part.kab\n*.kab\n", ka::any());
    source.SetProperties(sheet);
    EXPECT_EQ(source.GetFilename(), "skins/../part.kab");
}

TEST_F(ProxyTest, SettingTheSameFileNameReloadsAndDropsChanges)
{
    guiProxy proxy{guiCoordPair(), guiCoordPair()};
    proxy.SetFilename("part.kab");
    proxy.GetChild(0)->SetName("changed");
    GuiParamTable sheet(8);
    proxy.GetProperties(sheet);
    ASSERT_NE(sheet.Find("Filename"), nullptr);
    EXPECT_EQ(sheet.Find("Filename")->text, "part.kab\n*.kab\n");
    proxy.SetProperties(sheet);
    ASSERT_EQ(proxy.GetChildCount(), 1);
    EXPECT_EQ(proxy.GetChild(0)->GetName(), "part");
}

TEST_F(ProxyTest, FilesThatFailOrEmbedThemselvesEmbedNothing)
{
    m_Dir.Write("self.kab", "T1.11\n" + Proxy("self.kab", true));
    m_Dir.Write("a.kab", "T1.11\n" + Placeholder("a", true, 1) + Proxy("b.kab", true));
    m_Dir.Write("b.kab", "T1.11\n" + Proxy("a.kab", true));
    struct Case
    {
        const char* file;
        int depth;
        bool reported;
    } cases[] = {{"missing.kab", 1, false}, {"self.kab", 2, true}, {"a.kab", 4, true}};
    for (const Case& c : cases)
    {
        testsupport::DebugCapture debug;
        guiProxy proxy{guiCoordPair(), guiCoordPair()};
        proxy.SetFilename(c.file);
        int depth = 0;
        for (guiGlyph* glyph = &proxy; glyph != nullptr; glyph = glyph->GetChild(glyph->GetChildCount() - 1))
            ++depth;
        EXPECT_EQ(depth, c.depth) << c.file;
        EXPECT_EQ(debug.Contains("embeds itself"), c.reported) << c.file;
    }
}

TEST_F(ProxyTest, TheOuterFileKeepsItsOwnVersionAfterANestedLoad)
{
    // The outer file predates ids; the embedded one has them.
    m_Dir.Write("old.kab", "T1.03\n" + Placeholder("outer", false, 2) + Proxy("part.kab", false) +
                               Placeholder("after", false, 0));
    guiGlyph* read = gui::LoadLayout("old.kab");
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->GetChildCount(), 2);
    EXPECT_EQ(read->GetChild(0)->GetChild(0)->GetId(), 9);
    EXPECT_EQ(read->GetChild(1)->GetName(), "after");
    EXPECT_EQ(read->GetChild(1)->GetId(), -1);
    read->Release();
}

} // namespace
