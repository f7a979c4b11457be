#include "engine/gui/guiDropDown.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiTextBox.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

// A drop-down of 120 by 18 at 50, 50 with the items "Mud" (1), "Oil" (2) and "Ramp" (3); its button is
// 16 pixels wide (no picture is loaded here to give it a size). Events 3 go into a log as "data:text".
class DropDownTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Window = m_Desk.AddWindow("form", 0, 0, 640, 480);
        m_Other = new testsupport::LogWidget("other", 400, 400, 50, 50, m_Focus);
        m_Window->AddChild(m_Other);
        m_Drop = Make(m_Window);
        m_Desk.manager.ShowWindow(m_Window, false);
        m_Desk.Frame();
    }

    guiDropDown* Make(guiGlyph* parent)
    {
        auto* drop = new guiDropDown(guiCoordPair::Pixels(50, 50), guiCoordPair::Pixels(120, 18));
        drop->GetButton()->SetSize(guiCoordPair::Pixels(16, 18));
        int32_t data = 0;
        for (const char* item : {"Mud", "Oil", "Ramp"})
            drop->AddItem(item, ka::any(++data));
        Log(drop);
        parent->AddChild(drop);
        return drop;
    }

    void Log(guiDropDown* drop)
    {
        drop->AddHandler(gui::kEventValueChanged,
                         [this](const guiMsgEvent& message)
                         {
                             const int32_t* data = ka::any_cast<int32_t>(&message.value);
                             m_Log.push_back(std::to_string(data != nullptr ? *data : -1) + ":" +
                                             message.text);
                             return true;
                         });
    }

    void ClickButton() { m_Desk.Click(50 + 120 - 8, 59); }
    // The middle of an item of the open list.
    void ClickItem(int row) { m_Desk.Click(80, 50 + 18 + 18 * row + 9); }

    void Key(uint8_t code, bool virtualKey, bool shift)
    {
        guiMsgKey message;
        message.key = code;
        message.virtualKey = virtualKey ? 1 : 0;
        message.shift = shift ? 1 : 0;
        m_Desk.manager.OnKey(message);
        m_Desk.Frame();
    }

    bool ListShown() const { return m_Drop->GetDecoratedList()->IsVisible(); }

    testsupport::GuiDesk m_Desk;
    guiWindow* m_Window = nullptr;
    testsupport::LogWidget* m_Other = nullptr;
    std::vector<std::string> m_Focus;
    guiDropDown* m_Drop = nullptr;
    std::vector<std::string> m_Log;
};

TEST_F(DropDownTest, PickingClosesShowsTheTextAndReportsTheItem)
{
    EXPECT_EQ(m_Drop->GetTextBox()->GetText(), "Mud");
    EXPECT_EQ(m_Drop->GetSelectedText(), "Mud");
    EXPECT_FALSE(ListShown());
    ClickButton();
    ASSERT_TRUE(m_Drop->IsOpen());
    EXPECT_TRUE(ListShown());
    // The open list lies above the drop-down's own layer.
    EXPECT_GE(m_Drop->GetDecoratedList()->GetLayer(), m_Drop->GetLayer() + guiDropDown::kOpenLayers);

    ClickItem(1);
    EXPECT_FALSE(m_Drop->IsOpen());
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(m_Drop->GetTextBox()->GetText(), "Oil");
    EXPECT_EQ(m_Log, std::vector<std::string>({"2:Oil"}));
    EXPECT_EQ(ka::any_cast<int32_t>(m_Drop->GetSelectedData()), 2);
}

TEST_F(DropDownTest, SelectingByTextChangesOnlyForAKnownText)
{
    m_Drop->SelectByText("Ramp");
    EXPECT_EQ(m_Drop->GetSelectedText(), "Ramp");
    EXPECT_EQ(m_Drop->GetTextBox()->GetText(), "Ramp");
    m_Drop->SelectByText("Sand");
    EXPECT_EQ(m_Drop->GetSelectedText(), "Ramp");
    EXPECT_EQ(m_Drop->GetTextBox()->GetText(), "Ramp");
    EXPECT_TRUE(m_Log.empty());

    m_Drop->Clear();
    EXPECT_EQ(m_Drop->GetTextBox()->GetText(), "");
    EXPECT_EQ(m_Drop->GetSelectedText(), "");
    EXPECT_EQ(m_Drop->GetList()->GetUsedRows(), 0);
}

TEST_F(DropDownTest, OneClickOpensAgainAfterTheFocusLeftWithTheListOpen)
{
    ClickButton();
    ASSERT_TRUE(m_Drop->IsOpen());
    m_Desk.Click(420, 420);
    EXPECT_NE(std::find(m_Focus.begin(), m_Focus.end(), "other+"), m_Focus.end());
    EXPECT_FALSE(m_Drop->IsOpen());
    EXPECT_FALSE(ListShown());
    ClickButton();
    EXPECT_TRUE(m_Drop->IsOpen());
    EXPECT_TRUE(ListShown());
}

TEST_F(DropDownTest, ShiftDownTogglesButATypedBracketDoesNot)
{
    ClickButton();
    ClickButton();
    ASSERT_FALSE(m_Drop->IsOpen());
    // The down arrow and "(" share the code 40.
    Key(guiDropDown::kKeyDown, false, true);
    EXPECT_FALSE(m_Drop->IsOpen());
    Key(guiDropDown::kKeyDown, true, false);
    EXPECT_FALSE(m_Drop->IsOpen());
    Key(guiDropDown::kKeyDown, true, true);
    EXPECT_TRUE(m_Drop->IsOpen());
    Key(guiDropDown::kKeyDown, true, true);
    EXPECT_FALSE(m_Drop->IsOpen());
}

class DropDownLayoutTest : public DropDownTest
{
protected:
    void TearDown() override { gui::SetLayoutVersion(gui::kLayoutVersion); }

    guiDropDown* Load(const std::string& text)
    {
        guiGlyph* read = gui::LoadLayout(m_Dir.Write("drop" + std::to_string(++m_Files) + ".kab", text));
        return read != nullptr ? read->DynamicCast<guiDropDown>() : nullptr;
    }

    testsupport::TempDir m_Dir;
    int m_Files = 0;
};

TEST_F(DropDownLayoutTest, AWrittenDropDownReadsBackWorking)
{
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*m_Drop, binary, m_Dir);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(gui::FormatLayout(*read, binary), gui::FormatLayout(*m_Drop, binary)) << binary;
        auto* copy = read->DynamicCast<guiDropDown>();
        ASSERT_NE(copy, nullptr);
        ASSERT_NE(copy->GetButton(), nullptr);
        ASSERT_NE(copy->GetList(), nullptr);
        ASSERT_NE(copy->GetTextBox(), nullptr) << "its text box has no id of its own";
        EXPECT_EQ(copy->GetList()->GetId(), guiDropDown::kListId);
        EXPECT_NE(static_cast<guiGlyph*>(copy->GetTextBox()), static_cast<guiGlyph*>(copy));
        m_Window->RemoveChild(m_Drop);
        m_Drop = copy;
        Log(copy);
        m_Window->AddChild(copy);
        copy->AddItem("Mud", ka::any(int32_t(5)));
        copy->AddItem("Oil", ka::any(int32_t(6)));
        m_Desk.Frame();
        ClickButton();
        ClickItem(1);
        EXPECT_EQ(copy->GetTextBox()->GetText(), "Oil");
        ASSERT_FALSE(m_Log.empty());
        EXPECT_EQ(m_Log.back(), "6:Oil");
    }
}

TEST_F(DropDownLayoutTest, PartsOfTheWrongClassOrMissingAreSkipped)
{
    const std::string text = gui::FormatLayout(*m_Drop, false);
    struct Case
    {
        const char* from;
        const char* to;
        bool button, list, textBox;
    };
    for (const Case& c :
         {Case{"DownButton 0", "DownButton 1", false, true, true},
          Case{"List 10", "List -1", true, false, true}, Case{"List 10", "List 77", true, false, true},
          Case{"Text -1", "Text 10", true, true, false},
          Case{"DecoratedList 2", "DecoratedList 0", true, true, true}})
    {
        std::string changed = text;
        ASSERT_NE(changed.find(c.from), std::string::npos) << c.from;
        changed.replace(changed.find(c.from), std::string(c.from).size(), c.to);
        guiDropDown* read = Load(changed);
        ASSERT_NE(read, nullptr) << c.to;
        EXPECT_EQ(read->GetButton() != nullptr, c.button) << c.to;
        EXPECT_EQ(read->GetList() != nullptr, c.list) << c.to;
        EXPECT_EQ(read->GetTextBox() != nullptr, c.textBox) << c.to;
        // Missing parts are skipped, never followed.
        read->Toggle();
        read->AddItem("x", ka::any());
        read->SelectByText("x");
        read->Clear();
        read->Release();
    }
}

} // namespace
