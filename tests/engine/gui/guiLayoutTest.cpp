#include "engine/gui/guiLayout.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiGlyph.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/TestLabel.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace
{

using testsupport::TempDir;

// A root panel holding a label with a nested panel, a child that is not saved, and a hidden panel.
TestPanel* BuildTree()
{
    TestPanel* root = new TestPanel(guiCoordPair::Pixels(400, 300), guiCoordPair::Pixels(640, 480));
    root->SetName("main window");
    root->caption = "two  blanks ";
    root->weight = 0.125f;
    root->SetId(3);

    TestLabel* label =
        new TestLabel({guiCoord::Relative(0.5f), guiCoord::Pixels(20)}, guiCoordPair::Relative(0.25f, 0.1f));
    label->SetName("ok button");
    label->text = "first line\nsecond line";
    label->slot = 4;
    label->SetClipMode(guiGlyph::kClipToParent);
    label->SetChildOrder(5);
    root->AddChild(label);

    TestPanel* nested = new TestPanel(guiCoordPair::Pixels(-3.5f, 1e6f), guiCoordPair::Pixels(1, 1));
    nested->SetName("");
    label->AddChild(nested);

    TestPanel* own = new TestPanel();
    own->SetName("made by its parent");
    own->SetSaveable(false);
    root->AddChild(own);

    TestPanel* hidden = new TestPanel();
    hidden->SetName("hidden");
    hidden->SetVisible(false);
    hidden->SetClipMode(guiGlyph::kClipToSelf);
    root->AddChild(hidden);
    return root;
}

// The glyph block lines of an empty panel: caption, weight, then the glyph's fields.
std::string PanelBlock(const std::string& name, int id, int children)
{
    return "Caption \nWeight 1\nName " + name + "\nID " + std::to_string(id) +
           "\nPosition 0 0 0 0\nSize 0 0 0 0\nVisible true\nChildOrder -1\nClipMode 0\nNumChildren " +
           std::to_string(children) + "\n";
}

class LayoutTest : public ::testing::Test
{
protected:
    void TearDown() override { gui::SetLayoutVersion(gui::kLayoutVersion); }

    guiGlyph* LoadBytes(const std::string& bytes)
    {
        return gui::LoadLayout(m_Dir.Write("layout" + std::to_string(++m_Files) + ".kab", bytes));
    }

    TempDir m_Dir;
    int m_Files = 0;
};

} // namespace

TEST_F(LayoutTest, WritingWhatWasReadGivesTheSameBytes)
{
    guiGlyph* tree = BuildTree();
    const std::string text = gui::FormatLayout(*tree, false);
    const std::string binary = gui::FormatLayout(*tree, true);
    tree->Release();

    for (const bool isBinary : {false, true})
    {
        const std::string& bytes = isBinary ? binary : text;
        guiGlyph* read = LoadBytes(bytes);
        ASSERT_NE(read, nullptr) << isBinary;
        EXPECT_EQ(gui::FormatLayout(*read, isBinary), bytes);
        EXPECT_EQ(gui::FormatLayout(*read, false), text) << "both readings give the same tree";
        read->Release();
    }

    guiGlyph* read = LoadBytes(binary);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetChildCount(), 2) << "the unsaved child is not written";
    auto* label = static_cast<TestLabel*>(read->FindChild("OK BUTTON"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetClassName(), "[TestLabel]");
    EXPECT_EQ(label->text, "first line\nsecond line");
    EXPECT_EQ(label->slot, 4);
    EXPECT_EQ(label->GetPosition(), (guiCoordPair{guiCoord::Relative(0.5f), guiCoord::Pixels(20)}));
    EXPECT_EQ(static_cast<TestPanel*>(read)->caption, "two  blanks ");
    EXPECT_FALSE(read->FindChild("hidden")->IsVisible());
    read->Release();
}

TEST_F(LayoutTest, TheTextFormSpellsEveryField)
{
    TestPanel root;
    root.SetName("a b");
    TestPanel* skipped = new TestPanel();
    skipped->SetSaveable(false);
    root.AddChild(skipped);
    root.AddChild(new TestPanel());
    EXPECT_EQ(gui::FormatLayout(root, false),
              "T1.11\n[TestPanel]\nCaption \nWeight 1\nName a b\nID -1\nPosition 0 0 0 0\nSize 0 0 0 0\n"
              "Visible true\nChildOrder -1\nClipMode 0\nNumChildren 1\n[TestPanel]\nCaption \nWeight 1\n"
              "Name \nID -1\nPosition 0 0 0 0\nSize 0 0 0 0\nVisible true\nChildOrder 1\nClipMode 0\n"
              "NumChildren 0\n");
}

TEST_F(LayoutTest, TheIdIsReadFromVersionOnePointZeroFour)
{
    const struct
    {
        const char* version;
        bool hasId;
    } cases[] = {{"1.03", false}, {"1.04", true}, {"1.11", true}};
    for (const auto& c : cases)
    {
        std::string block = PanelBlock("root", 9, 1) + "[TestPanel]\n" + PanelBlock("child", 8, 0);
        if (!c.hasId)
            for (const char* id : {"ID 9\n", "ID 8\n"})
                block.erase(block.find(id), 5);
        guiGlyph* root = LoadBytes(std::string("T") + c.version + "\n[TestPanel]\n" + block);
        ASSERT_NE(root, nullptr) << c.version;
        ASSERT_EQ(root->GetChildCount(), 1) << c.version;
        EXPECT_EQ(root->GetId(), c.hasId ? 9 : -1) << c.version;
        EXPECT_EQ(root->GetChild(0)->GetId(), c.hasId ? 8 : -1) << c.version;
        EXPECT_EQ(root->GetChild(0)->GetName(), "child");
        root->Release();
    }

    // The binary form follows the same gate.
    TestPanel panel;
    panel.SetId(6);
    std::string bytes = gui::FormatLayout(panel, true);
    bytes.replace(1, 4, "1.03");
    const std::size_t id = bytes.find(std::string("\x06\0\0\0", 4));
    ASSERT_NE(id, std::string::npos);
    bytes.erase(id, 4);
    guiGlyph* old = LoadBytes(bytes);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->GetId(), -1);
    EXPECT_EQ(gui::GetLayoutVersion(), 1.03f);
    old->Release();
}

TEST_F(LayoutTest, UnknownClassesCountAgainstTheChildren)
{
    guiGlyph* root =
        LoadBytes("T1.11\n[TestPanel]\n" + PanelBlock("root", 1, 2) + "[Nowhere]\n[TestPanel]\n" +
                  PanelBlock("first", 2, 0) + "[TestPanel]\n" + PanelBlock("second", 3, 0));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->GetChildCount(), 1);
    EXPECT_EQ(root->GetChild(0)->GetName(), "first");
    root->Release();
}

TEST_F(LayoutTest, TheBinaryHeaderSeparatorIsOneCharacter)
{
    TestLabel label;
    label.SetName("id starts with a line end");
    const std::string bytes = gui::FormatLayout(label, true);
    EXPECT_EQ(bytes.substr(0, 10), std::string("B1.11\n\n\x04\0\0", 10));
    guiGlyph* root = LoadBytes(bytes);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetClassName(), "[TestLabel]");
    EXPECT_EQ(root->GetName(), "id starts with a line end");
    root->Release();

    // A separator other than a line end serves as well.
    std::string spaced = bytes;
    spaced[5] = ' ';
    root = LoadBytes(spaced);
    ASSERT_NE(root, nullptr);
    root->Release();
}

TEST_F(LayoutTest, FilesThatAreNoLayoutsGiveNothing)
{
    EXPECT_EQ(gui::LoadLayout(m_Dir.File("missing.kab")), nullptr);
    for (const char* bytes : {"", "X1.11\n[TestPanel]\n", "  \n", "T", "Tx\n[TestPanel]\n"})
        EXPECT_EQ(LoadBytes(bytes), nullptr) << bytes;
    guiGlyph* spaced = LoadBytes("\n  T1.11\n[TestPanel]\n" + PanelBlock("x", 1, 0));
    ASSERT_NE(spaced, nullptr);
    spaced->Release();
}

TEST_F(LayoutTest, DamagedChildCountsStopAtTheEndOfTheFile)
{
    const std::string header = "T1.11\n[TestPanel]\n";
    const std::string block = PanelBlock("root", 1, 0);
    const std::string cut = block.substr(0, block.find("NumChildren"));
    const struct
    {
        std::string bytes;
        int children;
    } cases[] = {
        {header + cut + "NumChildren 2147483647\n", 0},
        {header + cut + "NumChildren 2147483647\n[TestPanel]\n" + PanelBlock("one", 2, 0), 1},
        {header + cut + "NumChildren -5\n[TestPanel]\n" + PanelBlock("ignored", 2, 0), 0},
        {header + cut + "NumChildren 3\n[TestPanel]\nCaption half a block\n", 1},
    };
    for (const auto& c : cases)
    {
        guiGlyph* root = LoadBytes(c.bytes);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->GetChildCount(), c.children);
        root->Release();
    }

    // A binary count of 2^31 with nothing after it, as a failed read of the count would leave it.
    TestPanel panel;
    std::string bytes = gui::FormatLayout(panel, true);
    bytes.replace(bytes.size() - 4, 4, std::string("\0\0\0\x80", 4));
    guiGlyph* root = LoadBytes(bytes);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetChildCount(), 0);
    root->Release();
}

TEST_F(LayoutTest, DeepNestingIsCutAtSixtyFourLevels)
{
    constexpr int kLevels = 100000;
    std::string text = "T1.11\n";
    std::string binary = "B1.11\n";
    kaBinaryStream chain(nullptr);
    for (int i = 0; i < kLevels; ++i)
    {
        const int children = i + 1 < kLevels ? 1 : 0;
        text += "[TestPanel]\n" + PanelBlock(std::to_string(i), i, children);
        std::stringstream level;
        kaBinaryStream out(level.rdbuf());
        out.WriteUInt32(1000).WriteString("").WriteFloat(1.0f).WriteString(std::to_string(i)).WriteInt32(i);
        guiCoordPair().Write(out);
        guiCoordPair().Write(out);
        out.WriteBool(true).WriteInt32(-1).WriteInt32(0).WriteInt32(children);
        binary += level.str();
    }
    for (const std::string* bytes : {&text, &binary})
    {
        testsupport::DebugCapture capture;
        guiGlyph* root = LoadBytes(*bytes);
        ASSERT_NE(root, nullptr);
        int levels = 1;
        for (guiGlyph* at = root; at->GetChildCount() > 0; at = at->GetChild(0))
            ++levels;
        EXPECT_EQ(levels, guiGlyph::kMaxLayoutNesting);
        EXPECT_TRUE(capture.Contains("nested deeper than 64 levels"));
        root->Release();
    }

    // The cut ends with the load: the next file reads whole.
    guiGlyph* next =
        LoadBytes("T1.11\n[TestPanel]\n" + PanelBlock("a", 1, 1) + "[TestPanel]\n" + PanelBlock("b", 2, 0));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->GetChildCount(), 1);
    next->Release();
}

TEST_F(LayoutTest, SavingWritesTheFormattedBytesAndNoTemporaryFile)
{
    guiGlyph* tree = BuildTree();
    for (bool binary : {false, true})
    {
        const std::string file = m_Dir.File(binary ? "tree.kab" : "text.kab");
        ASSERT_TRUE(gui::SaveLayout(*tree, file, binary));
        EXPECT_EQ(m_Dir.Read(binary ? "tree.kab" : "text.kab"), gui::FormatLayout(*tree, binary));
    }
    EXPECT_FALSE(gui::SaveLayout(*tree, m_Dir.File("no folder/tree.kab"), false));
    tree->Release();
    EXPECT_EQ(m_Dir.Read("text.kab").substr(0, 18), "T1.11\n[TestPanel]\n");
}
