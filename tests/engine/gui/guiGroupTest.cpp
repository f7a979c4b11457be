#include "engine/gui/guiGroup.h"

#include "engine/gui/GuiParamTable.h"
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

// A group of 200 by 100 asked for at 400, 300 inside a window covering the screen.
class GroupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Window = m_Desk.AddWindow("w", 0, 0, 640, 480);
        m_Group = new guiGroup(Px(400, 300), Px(200, 100));
        m_Window->AddChild(m_Group);
        m_Desk.Frame();
    }

    testsupport::GuiDesk m_Desk;
    guiWindow* m_Window = nullptr;
    guiGroup* m_Group = nullptr;
};

TEST_F(GroupTest, AlignmentPlacesTheCornerAroundTheRequestedPoint)
{
    struct Case
    {
        int32_t flags;
        float x, y;
    } cases[] = {{18, 300, 250},      {36, 200, 200},     {0, 400, 300},    {2 | 4, 300, 300},
                 {16 | 32, 400, 250}, {4 | 32, 200, 200}, {1 | 8, 400, 300}};
    for (const Case& c : cases)
    {
        m_Group->ApplyAlignment(c.flags);
        EXPECT_EQ(Values(m_Group->GetPosition()), std::make_pair(c.x, c.y)) << c.flags;
        EXPECT_EQ(Values(m_Group->GetRequestedPosition()), std::make_pair(400.0f, 300.0f)) << c.flags;
        m_Desk.Frame();
        EXPECT_EQ(Xy(m_Group->GetPixelPosition()), std::make_pair(int(c.x), int(c.y))) << c.flags;
        EXPECT_EQ(m_Group->GetHitRect().left, int(c.x)) << c.flags;
    }
    // A new size or point places the group again by the same flags.
    m_Group->ApplyAlignment(36);
    m_Group->SetSize(Px(100, 50));
    EXPECT_EQ(Values(m_Group->GetPosition()), std::make_pair(300.0f, 250.0f));
    m_Group->SetPosition(Px(100, 100));
    EXPECT_EQ(Values(m_Group->GetPosition()), std::make_pair(0.0f, 50.0f));
}

TEST_F(GroupTest, ChildrenAreDrawnFromTheAlignedCornerAndTheRelativePointFromTheParent)
{
    auto* child = new guiPlaceholder(Px(10, 5), Px(20, 20));
    m_Group->AddChild(child);
    m_Group->ApplyAlignment(18);
    m_Desk.Frame();
    EXPECT_EQ(Xy(child->GetDrawingOrigin()), std::make_pair(300, 250));
    EXPECT_EQ(child->GetHitRect().left, 310);

    m_Group->SetPosition(guiCoordPair::Relative(0.5f, 0.25f));
    m_Desk.Frame();
    EXPECT_EQ(Values(m_Group->GetPosition()), std::make_pair(220.0f, 70.0f));
    EXPECT_EQ(Xy(child->GetDrawingOrigin()), std::make_pair(220, 70));
}

TEST_F(GroupTest, TheAspectRuleUsesTheRatiosWholePart)
{
    struct Case
    {
        int32_t setting;
        float ratio;
        std::pair<float, float> size;
    } cases[] = {
        {1, 2.0f, {100, 200}},
        {1, 2.7f, {100, 200}},
        {1, 0.0f, {100, 10}},
        {0, 2.0f, {100, 10}},
        {2, 0.0f, {100, 10}},
        {2, 2.0f, {5, 10}},
        {2, 3.9f, {3, 10}},
        {3, 2.0f, {100, 10}},
        // No whole part to divide by: the size is kept as given.
        {2, 0.5f, {100, 10}},
        {2, -0.9f, {100, 10}},
    };
    for (const Case& c : cases)
    {
        m_Group->SetSize(Px(1, 1));
        m_Group->SetAspectSetting(c.setting);
        m_Group->SetAspectRatio(c.ratio);
        m_Group->SetSize(Px(100, 10));
        EXPECT_EQ(Values(m_Group->GetSize()), c.size) << c.setting << " " << c.ratio;
        EXPECT_FALSE(m_Group->GetSize().y.IsRelative());
        m_Group->SetAspectSetting(0);
    }
    // A rule set after the size takes hold when the group is next drawn.
    m_Group->SetSize(Px(30, 10));
    m_Group->SetAspectRatio(3.0f);
    m_Group->SetAspectSetting(1);
    m_Group->ApplyAlignment(36);
    m_Desk.Frame();
    EXPECT_EQ(Values(m_Group->GetSize()), std::make_pair(30.0f, 90.0f));
    EXPECT_EQ(Values(m_Group->GetPosition()), std::make_pair(370.0f, 210.0f));
}

TEST_F(GroupTest, OnlyTheChildrenTakeTheMouse)
{
    guiGlyph* hit = nullptr;
    EXPECT_FALSE(m_Group->HitTest(kaPoint(450, 350), hit));
    m_Desk.MoveTo(450, 350);
    m_Desk.Button(0, true);
    EXPECT_EQ(m_Window->GetFocusedWidget(), nullptr);
    m_Desk.Button(0, false);

    auto* child = new guiPlaceholder(Px(10, 10), Px(20, 20));
    m_Group->AddChild(child);
    m_Desk.Frame();
    struct Case
    {
        int x, y;
        bool hits;
    } cases[] = {{415, 315, true}, {450, 350, false}, {405, 305, false}, {429, 329, true}};
    for (const Case& c : cases)
    {
        hit = nullptr;
        EXPECT_EQ(m_Group->HitTest(kaPoint(c.x, c.y), hit), c.hits) << c.x;
        EXPECT_EQ(hit, c.hits ? child : nullptr) << c.x;
    }
    m_Group->SetVisible(false);
    EXPECT_FALSE(m_Group->HitTest(kaPoint(415, 315), hit));
}

TEST(Group, ReadingPlacesTheGroupFromItsPointAgain)
{
    testsupport::TempDir dir;
    guiGroup* group = new guiGroup(Px(400, 300), Px(200, 100));
    group->AddRef();
    group->ApplyAlignment(18);
    group->SetAspectSetting(2);
    group->SetAspectRatio(2.5f);
    group->AddChild(new guiPlaceholder(Px(1, 2), Px(3, 4)));
    const std::string text = gui::FormatLayout(*group, false);
    const std::string block = "ReportedPos 300 0 250 0\nAlignment 18\nAspectSetting 2\nAspectRatio 2.5\n";
    ASSERT_NE(text.find(block), std::string::npos) << text;
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*group, binary, dir);
        ASSERT_NE(read, nullptr);
        guiGroup* copy = read->DynamicCast<guiGroup>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetChildCount(), 1);
        EXPECT_EQ(copy->GetAspectRatio(), 2.5f);
        EXPECT_EQ(Values(copy->GetRequestedPosition()), std::make_pair(400.0f, 300.0f));
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*group, binary));
        read->Release();
    }
    // The corner stored is not trusted: it comes from the point and the flags.
    std::string moved = text;
    moved.replace(moved.find(block), 24, "ReportedPos 7 0 9 0\n");
    guiGlyph* read = gui::LoadLayout(dir.Write("moved.kab", moved));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Values(read->GetPosition()), std::make_pair(300.0f, 250.0f));
    read->Release();
    group->Release();
}

TEST(Group, ThePropertySheetAlignsAndSetsTheAspect)
{
    guiGroup* group = new guiGroup(Px(400, 300), Px(200, 100));
    group->AddRef();
    GuiParamTable sheet(16);
    group->GetProperties(sheet);
    std::vector<std::string> names;
    for (const GuiParamTable::Entry* entry : sheet.GetEntries())
        names.push_back(entry->name);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              (std::vector<std::string>{"AspectRatio", "AspectSetting", "Alignment", "Notes"}));
    GuiParamTable change(16);
    change.Insert("Alignment", "36", ka::any());
    change.Insert("AspectRatio", "2", ka::any());
    change.Insert("AspectSetting", "bad", ka::any());
    group->SetProperties(change);
    EXPECT_EQ(Values(group->GetPosition()), std::make_pair(200.0f, 200.0f));
    EXPECT_EQ(group->GetAspectRatio(), 2.0f);
    EXPECT_EQ(group->GetAspectSetting(), 0);
    group->Release();
}

} // namespace
