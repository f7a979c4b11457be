#include "engine/gui/guiOptionGroup.h"

#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiLayout.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// Members "a", "b", "c" of 20 by 20 at x 0, 30, 60 inside a group at 100, 100; group events are logged.
class OptionGroupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        guiWindow* window = m_Desk.AddWindow("w", 0, 0, 640, 480);
        m_Group = new guiOptionGroup(guiCoordPair::Pixels(100, 100), guiCoordPair::Pixels(100, 30));
        for (int i = 0; i < 3; ++i)
        {
            auto* box = new guiCheckBox(guiCoordPair::Pixels(float(30 * i), 0), guiCoordPair::Pixels(20, 20));
            box->SetName(std::string(1, char('a' + i)));
            box->SetClickSound(false);
            m_Group->AddChild(box);
        }
        m_Group->AddHandler(gui::kEventValueChanged,
                            [this](const guiMsgEvent& event)
                            {
                                m_Events.push_back(event.text);
                                return true;
                            });
        window->AddChild(m_Group);
        m_Desk.Frame();
    }
    std::string Checked() const
    {
        std::string names;
        for (const guiCheckBox* member : m_Group->GetMembers())
            if (member->IsChecked())
                names += member->GetName();
        return names;
    }

    testsupport::GuiDesk m_Desk;
    guiOptionGroup* m_Group = nullptr;
    std::vector<std::string> m_Events;
};

TEST_F(OptionGroupTest, ClicksKeepExactlyOneMemberChecked)
{
    EXPECT_EQ(Checked(), "a");
    struct Case
    {
        int x;
        const char* checked;
        std::vector<std::string> events;
    } cases[] = {{170, "c", {"c"}}, {170, "c", {}}, {140, "b", {"b"}}, {110, "a", {"a"}}};
    for (const Case& c : cases)
    {
        m_Events.clear();
        m_Desk.Click(c.x, 110);
        EXPECT_EQ(Checked(), c.checked) << c.x;
        EXPECT_EQ(m_Events, c.events) << c.x;
    }
}

TEST_F(OptionGroupTest, SelectingByNameSkipsDisabledAndUnknownMembers)
{
    m_Group->GetMembers()[1]->SetEnabled(false);
    struct Case
    {
        const char* name;
        const char* checked;
        int events;
    } cases[] = {{"b", "a", 0}, {"zz", "a", 0}, {"a", "a", 0}, {"c", "c", 1}};
    for (const Case& c : cases)
    {
        m_Events.clear();
        m_Group->SelectByName(c.name, true);
        EXPECT_EQ(Checked(), c.checked) << c.name;
        EXPECT_EQ(int(m_Events.size()), c.events) << c.name;
    }
    m_Group->RemoveChild(m_Group->GetMembers()[2]);
    EXPECT_EQ(m_Group->GetSelection(), "");
}

TEST_F(OptionGroupTest, TheSelectionComesBackByNameInBothForms)
{
    testsupport::TempDir dir;
    m_Group->SelectByName("b", false);
    const std::string text = gui::FormatLayout(*m_Group, false);
    EXPECT_NE(text.find("Selection b\n"), std::string::npos);
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*m_Group, binary, dir);
        ASSERT_NE(read, nullptr);
        guiOptionGroup* copy = read->DynamicCast<guiOptionGroup>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetMembers().size(), 3u);
        EXPECT_EQ(copy->GetSelection(), "b");
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*m_Group, binary));
        read->Release();
    }
    std::string unknown = text;
    unknown.replace(unknown.find("Selection b\n"), 12, "Selection no such\n");
    guiGlyph* read = gui::LoadLayout(dir.Write("unknown.kab", unknown));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DynamicCast<guiOptionGroup>()->GetSelection(), "a");
    read->Release();
}

TEST_F(OptionGroupTest, MembersLeavingTheGroupGetTheirOwnClickHandlerBack)
{
    // "d" has a handler of its own before it joins; it leaves the group by removal, "b" by the group's end.
    std::vector<std::string> own;
    auto* d = new guiCheckBox(guiCoordPair::Pixels(90, 0), guiCoordPair::Pixels(20, 20));
    d->SetName("d");
    d->SetClickSound(false);
    d->SetOnClick(
        [&own](int checked)
        {
            own.push_back("d" + std::to_string(checked));
            return true;
        });
    d->AddRef();
    m_Group->AddChild(d);
    guiCheckBox* b = m_Group->GetMembers()[1];
    b->AddRef();
    m_Desk.Click(140, 110);
    ASSERT_EQ(Checked(), "b");

    m_Group->RemoveChild(d);
    m_Events.clear();
    const gui::MouseData press;
    for (const char* expected : {"d1", "d0"})
    {
        d->OnMouseDown(0, press);
        EXPECT_EQ(own.back(), expected);
        EXPECT_EQ(Checked(), "b") << "the group's selection is not the removed box's business";
    }
    EXPECT_TRUE(m_Events.empty());
    EXPECT_EQ(m_Group->GetMembers().size(), 3u);

    // The group is destroyed; the box it held stays and clicks on its own.
    guiWindow* window = m_Desk.manager.FindWindow("w");
    ASSERT_EQ(window->RemoveChild(m_Group), 0);
    m_Group = nullptr;
    for (const bool checked : {false, true})
    {
        b->OnMouseDown(0, press);
        EXPECT_EQ(b->IsChecked(), checked);
    }
    EXPECT_TRUE(m_Events.empty());
    b->Release();
    d->Release();
}

} // namespace
