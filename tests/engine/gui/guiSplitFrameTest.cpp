#include "engine/gui/guiSplitFrame.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiPlaceholder.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using testsupport::Px;
using testsupport::Values;

namespace
{

// A placeholder that tells when it is destroyed.
class Tracked : public guiPlaceholder
{
public:
    explicit Tracked(bool& destroyed) : guiPlaceholder(Px(0, 0), Px(10, 10)), m_Destroyed(destroyed) {}
    ~Tracked() override { m_Destroyed = true; }

private:
    bool& m_Destroyed;
};

TEST(SplitFrame, TheMasterSlotTakesItsSizeAndTheOtherTheRest)
{
    struct Case
    {
        bool horizontal;
        int32_t master;
        guiCoord masterSize;
        std::pair<float, float> frame, slot0, slot1At, slot1;
    } cases[] = {
        {true, 0, guiCoord::Relative(0.25f), {300, 50}, {75, 50}, {75, 0}, {225, 50}},
        {true, 1, guiCoord::Relative(0.25f), {300, 50}, {225, 50}, {225, 0}, {75, 50}},
        {true, 7, guiCoord::Pixels(40), {300, 50}, {260, 50}, {260, 0}, {40, 50}},
        {false, 0, guiCoord::Pixels(100), {200, 400}, {200, 100}, {0, 100}, {200, 300}},
        {false, 1, guiCoord::Pixels(100), {200, 400}, {200, 300}, {0, 300}, {200, 100}},
        {false, 0, guiCoord::Relative(0.5f), {200, 401}, {200, 200}, {0, 200}, {200, 201}},
    };
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    for (const Case& c : cases)
    {
        auto* frame = new guiSplitFrame(Px(10, 20), Px(c.frame.first, c.frame.second));
        frame->SetHorizontal(c.horizontal);
        frame->SetMaster(c.master);
        frame->SetMasterSize(c.masterSize);
        window->AddChild(frame);
        desk.Frame();
        const std::string what = std::to_string(c.horizontal) + " " + std::to_string(c.master);
        EXPECT_EQ(Values(frame->GetSlot(0)->GetSize()), c.slot0) << what;
        EXPECT_EQ(Values(frame->GetSlot(0)->GetPosition()), std::make_pair(0.0f, 0.0f)) << what;
        EXPECT_EQ(Values(frame->GetSlot(1)->GetPosition()), c.slot1At) << what;
        EXPECT_EQ(Values(frame->GetSlot(1)->GetSize()), c.slot1) << what;
        EXPECT_EQ(Xy(frame->GetSlot(1)->GetDrawingOrigin()), std::make_pair(10, 20)) << what;
        window->RemoveChild(frame);
    }
}

TEST(SplitFrame, SlotsAreGroupsThatFollowTheFramesPixelHeight)
{
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    auto* frame = new guiSplitFrame(Px(0, 0), guiCoordPair::Relative(0.5f, 0.5f));
    window->AddChild(frame);
    desk.Frame();
    for (int32_t slot : {0, 1})
    {
        guiGroup* group = frame->GetSlot(slot);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->GetName(), slot == 0 ? "Slot0" : "Slot1");
        EXPECT_EQ(Xy(group->GetPixelSize()), std::make_pair(160, 240)) << slot;
    }
    EXPECT_EQ(frame->GetSlot(2), nullptr);
    EXPECT_EQ(frame->GetSlot(-1), nullptr);
}

TEST(SplitFrame, NewContentsReplaceTheOldAndTheSameGlyphStays)
{
    guiSplitFrame* frame = new guiSplitFrame(Px(0, 0), Px(300, 100));
    frame->AddRef();
    bool firstGone = false;
    bool secondGone = false;
    auto* first = new Tracked(firstGone);
    auto* second = new Tracked(secondGone);
    EXPECT_TRUE(frame->SetSlotContent(0, first));
    EXPECT_TRUE(frame->SetSlotContent(0, first));
    EXPECT_FALSE(firstGone);
    EXPECT_EQ(frame->GetSlot(0)->GetChildCount(), 1);
    EXPECT_EQ(first->GetParent(), frame->GetSlot(0));

    // Bad slots, and a slot asked to hold itself or its frame, change nothing.
    struct Case
    {
        int32_t slot;
        guiGlyph* content;
    } refused[] = {{2, second}, {-1, second}, {0, frame->GetSlot(0)}, {1, frame}};
    for (const Case& c : refused)
    {
        EXPECT_FALSE(frame->SetSlotContent(c.slot, c.content)) << c.slot;
        EXPECT_EQ(frame->GetSlot(0)->GetChild(0), first) << c.slot;
        EXPECT_EQ(frame->GetSlot(1)->GetChildCount(), 0) << c.slot;
    }

    EXPECT_TRUE(frame->SetSlotContent(0, second));
    EXPECT_TRUE(firstGone);
    EXPECT_EQ(frame->GetSlot(0)->GetChildCount(), 1);
    EXPECT_EQ(frame->GetSlot(0)->GetChild(0), second);

    // A slot the frame no longer has takes nothing, and the layout passes it by.
    frame->RemoveChild(frame->GetSlot(0));
    EXPECT_TRUE(secondGone);
    EXPECT_EQ(frame->GetSlot(0), nullptr);
    auto* spare = new guiPlaceholder(Px(0, 0), Px(1, 1));
    spare->AddRef();
    EXPECT_FALSE(frame->SetSlotContent(0, spare));
    frame->Layout();
    EXPECT_EQ(Values(frame->GetSlot(1)->GetSize()), std::make_pair(150.0f, 100.0f));
    spare->Release();
    frame->Release();
}

class SplitFrameFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Frame = new guiSplitFrame(Px(5, 6), Px(200, 400));
        m_Frame->AddRef();
        m_Frame->SetHorizontal(false);
        m_Frame->SetMaster(1);
        m_Frame->SetMasterSize(guiCoord::Pixels(120));
        m_Frame->SetSlotContent(0, new guiPlaceholder(Px(1, 2), Px(3, 4)));
        m_Frame->SetSlotContent(1, new guiPlaceholder(Px(5, 6), Px(7, 8)));
        m_Frame->Layout();
        m_Text = gui::FormatLayout(*m_Frame, false);
    }
    void TearDown() override { m_Frame->Release(); }

    testsupport::TempDir m_Dir;
    guiSplitFrame* m_Frame = nullptr;
    std::string m_Text;
};

constexpr const char* kSlotLines = "Slot0 true 0\nSlot1 true 1\n";

TEST_F(SplitFrameFileTest, WrittenReadAndWrittenAgainKeepsItsBytesInBothForms)
{
    EXPECT_NE(m_Text.find(std::string("Horizontal false\nMaster 1\nMasterSize 120 0\n") + kSlotLines),
              std::string::npos)
        << m_Text;
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*m_Frame, binary, m_Dir);
        ASSERT_NE(read, nullptr);
        guiSplitFrame* copy = read->DynamicCast<guiSplitFrame>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetSlot(0), copy->GetChild(0));
        EXPECT_EQ(copy->GetSlot(1), copy->GetChild(1));
        EXPECT_EQ(copy->GetSlot(1)->GetChildCount(), 1);
        EXPECT_FALSE(copy->IsHorizontal());
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*m_Frame, binary));
        read->Release();
    }
}

TEST_F(SplitFrameFileTest, SlotReferencesThatNameNoGroupAreNone)
{
    // A third child that is no group.
    m_Frame->AddChild(new guiPlaceholder(Px(0, 0), Px(1, 1)));
    const std::string text = gui::FormatLayout(*m_Frame, false);
    struct Case
    {
        const char* lines;
        bool slot0, slot1;
    } cases[] = {
        {"Slot0 true 0\nSlot1 false\n", true, false},
        {"Slot0 true 9\nSlot1 true -3\n", false, false},
        {"Slot0 true 2\nSlot1 true 1\n", false, true},
        {"Slot0 true 1\nSlot1 true 1\n", true, false},
    };
    for (const Case& c : cases)
    {
        std::string changed = text;
        changed.replace(changed.find(kSlotLines), std::string(kSlotLines).size(), c.lines);
        guiGlyph* read = gui::LoadLayout(m_Dir.Write("slots.kab", changed));
        ASSERT_NE(read, nullptr) << c.lines;
        guiSplitFrame* copy = read->DynamicCast<guiSplitFrame>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetSlot(0) != nullptr, c.slot0) << c.lines;
        EXPECT_EQ(copy->GetSlot(1) != nullptr, c.slot1) << c.lines;
        copy->Layout();
        EXPECT_EQ(copy->SetSlotContent(0, nullptr), c.slot0) << c.lines;
        read->Release();
    }
}

TEST(SplitFrame, ThePropertySheetTakesEffectAtTheNextLayout)
{
    guiSplitFrame* frame = new guiSplitFrame(Px(0, 0), Px(300, 100));
    frame->AddRef();
    GuiParamTable sheet(16);
    frame->GetProperties(sheet);
    std::vector<std::string> names;
    for (const GuiParamTable::Entry* entry : sheet.GetEntries())
        names.push_back(entry->name);
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"MasterSize", "Master", "Horiz"}));
    EXPECT_EQ(sheet.Find("MasterSize")->text, "0.5 1");
    GuiParamTable change(16);
    change.Insert("MasterSize", "0.1 1", ka::any());
    change.Insert("Master", "1", ka::any());
    change.Insert("Horiz", "0", ka::any());
    frame->SetProperties(change);
    EXPECT_EQ(Values(frame->GetSlot(0)->GetSize()), std::make_pair(0.0f, 0.0f));
    frame->Layout();
    EXPECT_EQ(Values(frame->GetSlot(0)->GetSize()), std::make_pair(300.0f, 90.0f));
    frame->Release();
}

} // namespace
