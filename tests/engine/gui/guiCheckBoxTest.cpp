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

// A box of 40 by 40 at 10, 10 whose change events and clicks are counted.
class CheckBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        guiWindow* window = m_Desk.AddWindow("w", 0, 0, 640, 480);
        m_Box = new guiCheckBox(guiCoordPair::Pixels(10, 10), guiCoordPair::Pixels(40, 40));
        m_Box->SetName("box");
        m_Box->SetClickSound(false);
        m_Box->AddHandler(gui::kEventValueChanged,
                          [this](const guiMsgEvent& event)
                          {
                              m_Events.push_back(event.text);
                              return true;
                          });
        m_Box->SetOnClick(
            [this](int checked)
            {
                m_Clicks.push_back(checked);
                return true;
            });
        window->AddChild(m_Box);
        m_Desk.Frame();
    }

    testsupport::GuiDesk m_Desk;
    guiCheckBox* m_Box = nullptr;
    std::vector<std::string> m_Events;
    std::vector<int> m_Clicks;
};

TEST_F(CheckBoxTest, EachPressTogglesAndAReleaseChangesNothing)
{
    m_Desk.MoveTo(20, 20);
    m_Desk.Button(0, true);
    EXPECT_TRUE(m_Box->IsChecked());
    EXPECT_EQ(m_Box->GetState(), guiButton::kClicked);
    m_Desk.Button(0, false);
    EXPECT_TRUE(m_Box->IsChecked());
    EXPECT_EQ(m_Box->GetState(), guiButton::kClicked);
    m_Desk.Button(0, true);
    m_Desk.Button(0, false);
    EXPECT_FALSE(m_Box->IsChecked());
    EXPECT_EQ(m_Events, (std::vector<std::string>{"box", "box"}));
    EXPECT_EQ(m_Clicks, (std::vector<int>{1, 0}));
    m_Box->SetEnabled(false);
    m_Desk.Button(0, true);
    m_Desk.Button(0, false);
    EXPECT_FALSE(m_Box->IsChecked()) << "a disabled box does not toggle";
}

TEST_F(CheckBoxTest, SetCheckedFiresOnlyWhenAskedAndChanged)
{
    struct Case
    {
        bool checked, notify;
        int events;
        int32_t state;
    } cases[] = {{true, false, 0, 2}, {false, false, 0, 0}, {true, true, 1, 2}, {true, true, 0, 2}, {false, true, 1, 0}};
    for (const Case& c : cases)
    {
        m_Events.clear();
        m_Box->SetChecked(c.checked, c.notify);
        EXPECT_EQ(int(m_Events.size()), c.events) << c.checked << c.notify;
        EXPECT_EQ(m_Box->GetState(), c.state);
    }
}

TEST(CheckBox, TheFlagComesBackInBothForms)
{
    testsupport::TempDir dir;
    for (bool checked : {false, true})
    {
        guiCheckBox* box = new guiCheckBox(guiCoordPair::Pixels(1, 2), guiCoordPair::Pixels(20, 20), checked);
        box->AddRef();
        EXPECT_EQ(gui::FormatLayout(*box, false).find(checked ? "Checked true\nRepeatRate" : "Checked false\nRepeatRate") !=
                      std::string::npos,
                  true);
        for (bool binary : {false, true})
        {
            guiGlyph* read = testsupport::RoundTrip(*box, binary, dir);
            ASSERT_NE(read, nullptr);
            guiCheckBox* copy = read->DynamicCast<guiCheckBox>();
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(copy->IsChecked(), checked);
            EXPECT_EQ(copy->GetState(), checked ? 2 : 0);
            EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*box, binary));
            read->Release();
        }
        box->Release();
    }
}

} // namespace
