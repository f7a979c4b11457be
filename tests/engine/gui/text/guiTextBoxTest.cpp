#include "engine/gui/guiTextBox.h"

#include "engine/gui/guiImage.h"
#include "engine/gui/guiText.h"
#include "tests/support/engine/gui/TextDesk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{

constexpr uint8_t kBackspace = guiTextBox::kKeyBackspace;
constexpr uint8_t kTab = guiTextBox::kKeyTab;
constexpr uint8_t kEnter = guiTextBox::kKeyEnter;
constexpr uint8_t kEnd = guiTextBox::kKeyEnd;
constexpr uint8_t kHome = guiTextBox::kKeyHome;
constexpr uint8_t kLeft = guiTextBox::kKeyLeft;
constexpr uint8_t kUp = guiTextBox::kKeyUp;
constexpr uint8_t kRight = guiTextBox::kKeyRight;
constexpr uint8_t kDown = guiTextBox::kKeyDown;
constexpr uint8_t kDelete = guiTextBox::kKeyDelete;

// A box 300 by 30 at 10, 10 with the focus; every event 3 it fires is kept as name and value.
class TextBoxTest : public TextDeskTest
{
protected:
    void SetUp() override
    {
        TextDeskTest::SetUp();
        m_Box = Watch(AddBox("name", 10, 10, 300, 30));
        m_Desk->Frame();
        m_Form->SetFocus(m_Box);
    }

    guiTextBox* Watch(guiTextBox* box)
    {
        box->AddHandler(gui::kEventValueChanged,
                        [this](const guiMsgEvent& event)
                        {
                            const std::string* value =
                                ka::any_cast<std::string>(&const_cast<ka::any&>(event.value));
                            m_Commits.push_back(event.sender->GetName() + ":" + event.text + "=" +
                                                (value != nullptr ? *value : "<none>"));
                            return true;
                        });
        return box;
    }

    // The middle of character index of the box's text, as a screen point, from the font alone.
    void ClickAt(int x)
    {
        m_Desk->MoveTo(x, 25);
        m_Desk->Button(0, true);
        m_Desk->Button(0, false);
    }

    guiTextBox* m_Box = nullptr;
    std::vector<std::string> m_Commits;
};

TEST_F(TextBoxTest, TypingInsertsAtTheCaretAndMaxCharactersTakesOneLess)
{
    Type("ramp");
    Key(kLeft);
    Key(kLeft);
    Type("X");
    EXPECT_EQ(m_Box->GetText(), "raXmp");
    EXPECT_EQ(m_Box->GetCaret(), 3);
    EXPECT_EQ(m_Box->GetInnerText()->GetText(), "raXmp");

    struct Case
    {
        int32_t max;
        std::size_t kept;
    } cases[] = {{10, 9}, {1, 0}, {0, 30}};
    for (const Case& c : cases)
    {
        m_Box->SetText("", 0);
        m_Box->SetMaxCharacters(c.max);
        Type(std::string(30, 'a'));
        EXPECT_EQ(m_Box->GetText().size(), c.kept) << c.max;
    }
}

TEST_F(TextBoxTest, ACharacterPastTheRightEdgeIsRefusedUnlessTheBoxScrollsOrBreaksLines)
{
    struct Case
    {
        bool scrollable, multiLine, fitsOnly;
    } cases[] = {{false, false, true}, {true, false, false}, {false, true, false}};
    for (const Case& c : cases)
    {
        guiTextBox* box = AddBox("narrow", 10, 100, 60, 30);
        box->SetScrollable(c.scrollable);
        box->SetMultiLine(c.multiLine);
        m_Desk->Frame();
        m_Form->SetFocus(box);
        Type(std::string(20, 'W'));
        const int width = Width(box->GetText());
        if (c.fitsOnly)
        {
            EXPECT_LE(width, 60);
            EXPECT_GT(width + Advance('W'), 60) << "stops at the first character that would not fit";
        }
        else
            EXPECT_EQ(box->GetText().size(), 20u) << c.scrollable << c.multiLine;
        m_Form->RemoveChild(box);
    }
}

TEST_F(TextBoxTest, EditingKeysMoveTheCaretAndChangeTheText)
{
    struct Step
    {
        uint8_t key;
        bool shift;
    };
    struct Case
    {
        const char* what;
        std::string text;
        int32_t caret;
        std::vector<Step> keys;
        std::string typed;
        std::string text2;
        int32_t caret2;
        int32_t anchor2, end2;
    } cases[] = {
        {"backspace at 0", "mud", 0, {{kBackspace, false}}, "", "mud", 0, -1, -1},
        {"delete at the end", "mud", 3, {{kDelete, false}}, "", "mud", 3, -1, -1},
        {"backspace", "mud", 2, {{kBackspace, false}}, "", "md", 1, -1, -1},
        {"delete", "mud", 1, {{kDelete, false}}, "", "md", 1, -1, -1},
        {"shift end then a character", "jump ramp", 5, {{kEnd, true}}, "Z", "jump Z", 6, -1, -1},
        {"shift end selects", "jump ramp", 5, {{kEnd, true}}, "", "jump ramp", 9, 5, 9},
        {"end", "ramp", 1, {{kEnd, false}}, "", "ramp", 4, -1, -1},
        {"home", "ramp", 3, {{kHome, false}}, "", "ramp", 0, -1, -1},
        {"shift home", "ramp", 3, {{kHome, true}}, "", "ramp", 0, 0, 3},
        {"shift home then backspace", "ramp", 3, {{kHome, true}, {kBackspace, false}}, "", "p", 0, -1, -1},
        {"left stops at 0", "ab", 1, {{kLeft, false}, {kLeft, false}}, "", "ab", 0, -1, -1},
        {"right stops at the end", "ab", 1, {{kRight, false}, {kRight, false}}, "", "ab", 2, -1, -1},
        {"shift left", "ramp", 3, {{kLeft, true}, {kLeft, true}}, "", "ramp", 1, 3, 1},
        {"shift right", "ramp", 1, {{kRight, true}}, "", "ramp", 2, 1, 2},
        {"left leaves a selection at its start",
         "ramp",
         1,
         {{kRight, true}, {kRight, true}, {kLeft, false}},
         "",
         "ramp",
         1,
         -1,
         -1},
        {"right leaves it at its end",
         "ramp",
         3,
         {{kLeft, true}, {kLeft, true}, {kRight, false}},
         "",
         "ramp",
         3,
         -1,
         -1},
        {"delete a selection",
         "ramp",
         0,
         {{kRight, true}, {kRight, true}, {kDelete, false}},
         "",
         "mp",
         0,
         -1,
         -1},
        {"a character replaces a selection",
         "ramp",
         4,
         {{kLeft, true}, {kLeft, true}},
         "s",
         "ras",
         3,
         -1,
         -1},
    };
    for (const Case& c : cases)
    {
        m_Box->SetText(c.text, c.caret);
        m_Box->SelectText("");
        for (const Step& step : c.keys)
            Key(step.key, step.shift);
        Type(c.typed);
        EXPECT_EQ(m_Box->GetText(), c.text2) << c.what;
        EXPECT_EQ(m_Box->GetCaret(), c.caret2) << c.what;
        EXPECT_EQ(m_Box->GetSelectionAnchor(), c.anchor2) << c.what;
        EXPECT_EQ(m_Box->GetSelectionEnd(), c.end2) << c.what;
        const bool shown = m_Box->GetSelectionGlyph()->IsVisible();
        EXPECT_EQ(shown, c.anchor2 != c.end2) << c.what;
    }
}

TEST_F(TextBoxTest, UpAndDownGoToTheCharacterAboveAndBelow)
{
    guiTextBox* box = AddBox("lines", 10, 100, 300, 100, "aaa\naaa\naaa");
    box->SetMultiLine(true);
    m_Desk->Frame();
    m_Form->SetFocus(box);
    struct Case
    {
        int32_t from;
        uint8_t key;
        int32_t to;
    } cases[] = {{5, kUp, 1}, {1, kDown, 5}, {9, kDown, 11}, {1, kUp, 1}, {6, kUp, 2}, {4, kDown, 8}};
    for (const Case& c : cases)
    {
        box->SetText("aaa\naaa\naaa", c.from);
        m_Desk->Frame();
        Key(c.key);
        EXPECT_EQ(box->GetCaret(), c.to) << c.from << " key " << int(c.key);
    }
    // The characters stand on three lines one line height apart.
    const int line = m_Font->GetLineHeight();
    EXPECT_EQ(box->GetCharacterPosition(4).y - box->GetCharacterPosition(0).y, line);
    EXPECT_EQ(box->GetCharacterPosition(9).x - box->GetCharacterPosition(8).x, Advance('a'));
}

TEST_F(TextBoxTest, AClickPutsTheCaretAtTheCharacterAndDraggingOutSelectsToTheEnd)
{
    m_Box->SetText("stunt ramp", 0);
    m_Desk->Frame();
    struct Case
    {
        std::string before;
        int32_t caret;
    } cases[] = {{"", 0}, {"st", 2}, {"stunt r", 7}};
    for (const Case& c : cases)
    {
        const char at = m_Box->GetText()[c.before.size()];
        ClickAt(10 + Width(c.before) + Advance(at) / 2);
        EXPECT_EQ(m_Box->GetCaret(), c.caret) << c.before;
    }
    ClickAt(300);
    EXPECT_EQ(m_Box->GetCaret(), 10) << "past the end of the text";

    // Pressed on the 'u', dragged right inside the box, then out through its right edge.
    m_Desk->MoveTo(10 + Width("st") + Advance('u') / 2, 25);
    m_Desk->Button(0, true);
    m_Desk->MoveTo(10 + Width("stun") + Advance('t') / 2, 25);
    EXPECT_EQ(m_Box->GetSelectionAnchor(), 2);
    EXPECT_EQ(m_Box->GetSelectionEnd(), 4);
    EXPECT_TRUE(m_Box->GetSelectionGlyph()->IsVisible());
    m_Desk->MoveTo(400, 25);
    EXPECT_EQ(m_Box->GetSelectionEnd(), 10);
    EXPECT_EQ(m_Box->GetCaret(), 10);
    m_Desk->Button(0, false);
    Type("s");
    EXPECT_EQ(m_Box->GetText(), "sts");
}

// The text a box is made with is a prompt: the focus coming to the box, and the first click after, select it
// whole so that the first key replaces it; a second click, or a prompt once typed over, puts the caret where
// it is clicked. Text given later with SetText is no prompt.
TEST_F(TextBoxTest, ABoxsOwnTextGivesWayToTheFirstKeyUntilItIsTypedOver)
{
    struct Case
    {
        const char* what;
        const char* made;
        std::vector<int> clicksAt; // Characters of the made text clicked before (the text's length: past it).
        bool tabbedTo;
        std::string typed;
        std::string expected;
    };
    const Case cases[] = {
        {"one click in the middle", "Select Name", {4}, false, "Hilltop", "Hilltop"},
        {"one click past the end", "2:00", {4}, false, "1:30", "1:30"},
        {"one click at the start", "20", {0}, false, "35", "35"},
        {"focus by Tab, no click", "20", {}, true, "35", "35"},
        {"focus by Tab, then a click", "2:00", {2}, true, "9", "9"},
        {"a second click puts the caret", "2:00", {4, 1}, false, "1", "21:00"},
        {"Backspace alone empties it", "Select Name", {3}, false, "\b", ""},
    };
    // Each case's box under the one before; Tab comes from the box before.
    guiTextBox* previous = m_Box;
    int top = 50;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        guiTextBox* box = AddBox(c.what, 10, top, 300, 30, c.made);
        const int middle = top + 15;
        top += 45;
        m_Desk->Frame();
        const std::string made = c.made;
        if (c.tabbedTo)
        {
            m_Form->SetFocus(previous);
            Key(kTab);
            ASSERT_TRUE(box->HasFocus());
        }
        for (const int at : c.clicksAt)
        {
            const size_t before = size_t(at);
            const int x = before < made.size() ? 10 + Width(made.substr(0, before)) + Advance(made[before]) / 2
                                               : 10 + Width(made) + 20;
            m_Desk->Click(x, middle);
        }
        if (c.typed == "\b")
            Key(kBackspace);
        else
            Type(c.typed);
        EXPECT_EQ(box->GetText(), c.expected);
        previous = box;
    }

    // Typed over, the text is the user's: leaving and clicking back puts the caret at the click.
    guiTextBox* box = AddBox("typed over", 10, top, 300, 30, "Name");
    const int middle = top + 15;
    m_Desk->Frame();
    m_Desk->Click(10 + Width("Na"), middle);
    Type("Ramp");
    m_Form->SetFocus(m_Box);
    m_Desk->Click(10 + Width("R") + Advance('a') / 2, middle);
    Type("x");
    EXPECT_EQ(box->GetText(), "Rxamp");

    // A text given later is no prompt, and neither is an empty box.
    m_Box->SetText("mud", 3);
    m_Desk->Click(10 + Advance('m') / 2, 25);
    Type("o");
    EXPECT_EQ(m_Box->GetText(), "omud");
}

TEST_F(TextBoxTest, MouseButtonsFireTheirEventsOnce)
{
    m_Box->SetText("mud", 3);
    int button0 = 0, button2 = 0;
    m_Box->AddHandler(gui::kEventButton0Down, [&button0](const guiMsgEvent&) { return ++button0 > 0; });
    m_Box->AddHandler(gui::kEventButton2Down, [&button2](const guiMsgEvent&) { return ++button2 > 0; });
    m_Desk->MoveTo(12, 25);
    m_Desk->Button(2, true);
    m_Desk->Button(2, false);
    EXPECT_EQ(button2, 1);
    EXPECT_EQ(m_Box->GetCaret(), 3) << "only the left button places the caret";
    m_Desk->Button(0, true);
    m_Desk->Button(0, false);
    EXPECT_EQ(button0, 1);
    EXPECT_EQ(m_Box->GetCaret(), 0);
}

TEST_F(TextBoxTest, TabAndEnterMoveTheFocusOnAndCommitTheText)
{
    guiTextBox* second = Watch(AddBox("second", 10, 50, 300, 30));
    m_Desk->Frame();
    ASSERT_EQ(m_Form->GetFocusOrder(), (std::vector<guiWidget*>{m_Box, second}));

    Type("Ann");
    EXPECT_TRUE(m_Commits.empty());
    Key(kTab);
    EXPECT_EQ(m_Form->GetFocusedWidget(), second);
    EXPECT_EQ(m_Commits, (std::vector<std::string>{"name:Ann=Ann"}));

    // The last box has no next one: the focus is cleared, and Enter commits even without a change.
    Key(kEnter);
    EXPECT_EQ(m_Form->GetFocusedWidget(), nullptr);
    EXPECT_EQ(m_Commits, (std::vector<std::string>{"name:Ann=Ann", "second:="}));

    // SetText fires nothing, and neither does the focus loss after it.
    m_Form->SetFocus(m_Box);
    m_Box->SetText("Bob", 0);
    m_Form->SetFocus(second);
    EXPECT_EQ(m_Commits.size(), 2u);
    EXPECT_FALSE(m_Box->IsChanged());
}

TEST_F(TextBoxTest, TheCaretBlinksEveryHalfSecondAndShowsOnlyWithTheFocus)
{
    // Steps of 1/8 s add up exactly: the timer passes the rate on every fourth frame.
    for (int frame = 0; frame < 16; ++frame)
    {
        m_Desk->Frame(0.125f);
        EXPECT_EQ(m_Box->IsCaretShown(), (frame / 4) % 2 == 0) << frame;
    }
    m_Desk->Frame(0.125f);
    EXPECT_TRUE(m_Box->GetCaretGlyph()->IsVisible());

    m_Form->SetFocus(nullptr);
    for (int frame = 0; frame < 24; ++frame)
    {
        m_Desk->Frame(0.05f);
        EXPECT_FALSE(m_Box->IsCaretShown()) << frame;
    }

    // A rate of 0 or less, or not a number, does not blink: the caret shows while focused.
    for (float rate : {0.0f, -1.0f, std::nanf("")})
    {
        m_Box->SetBlinkRate(rate);
        m_Form->SetFocus(m_Box);
        for (int frame = 0; frame < 30; ++frame)
        {
            m_Desk->Frame(0.05f);
            EXPECT_TRUE(m_Box->IsCaretShown()) << rate << " " << frame;
        }
        m_Form->SetFocus(nullptr);
    }
    // A rate far below a frame ends the frame.
    m_Box->SetBlinkRate(1e-30f);
    m_Form->SetFocus(m_Box);
    m_Desk->Frame(1.0f);
}

TEST_F(TextBoxTest, TheCaretStandsAtTheCaretsCharacter)
{
    m_Box->SetText("ramp", 2);
    m_Desk->Frame(0.01f);
    ASSERT_TRUE(m_Box->IsCaretShown());
    const guiText* caret = m_Box->GetCaretGlyph();
    const kaPoint at = m_Box->GetCharacterPosition(2);
    EXPECT_EQ(at.x, 10 + Width("ra"));
    EXPECT_EQ(caret->GetDrawingOrigin().x + caret->GetPixelPosition().x, at.x);
    EXPECT_EQ(caret->GetText(), "|");
}

TEST_F(TextBoxTest, ABoxThatIsNotEditablePassesEveryKeyOn)
{
    std::vector<std::string> log;
    auto* panel = new testsupport::LogWidget("panel", 0, 200, 400, 100, log);
    m_Form->AddChild(panel);
    guiTextBoxParams params;
    params.font = "bar16m";
    params.text = "fixed";
    params.editable = false;
    params.size = guiCoordPair::Pixels(200, 30);
    auto* box = new guiTextBox(params);
    panel->AddChild(box);
    m_Desk->Frame();
    EXPECT_EQ(m_Form->GetFocusOrder(), (std::vector<guiWidget*>{m_Box})) << "only editable boxes join";
    m_Form->SetFocus(box);
    for (uint8_t key : {kBackspace, kTab, kEnter, kLeft, kEnd, kDelete})
        Key(key);
    Type("ab");
    EXPECT_EQ(std::count(log.begin(), log.end(), "panel key"), 8);
    EXPECT_EQ(box->GetText(), "fixed");
    EXPECT_EQ(m_Form->GetFocusedWidget(), box);
}

TEST_F(TextBoxTest, RefusedCharactersGoOnAndTheRestAreTyped)
{
    m_Box->SetRefusedCharacters("0123456789");
    Type("a1b2");
    EXPECT_EQ(m_Box->GetText(), "ab");
}

TEST_F(TextBoxTest, EditableBoxesJoinTheFocusOrderInTreeOrderAndLeaveIt)
{
    using Order = std::vector<guiWidget*>;
    guiTextBox* later = AddBox("later", 10, 300, 100, 30);
    EXPECT_EQ(m_Form->GetFocusOrder(), (Order{m_Box, later}));
    m_Box->SetEditable(false);
    EXPECT_EQ(m_Form->GetFocusOrder(), (Order{later}));
    m_Box->SetEditable(true);
    EXPECT_EQ(m_Form->GetFocusOrder(), (Order{m_Box, later})) << "back at its place in the tree";

    // A screen's own entries stay; a window inside the form keeps its own order.
    auto* panel = new guiWindow("panel", guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(10, 10), 9);
    m_Form->AddChild(panel);
    m_Form->SetFocusOrder(Order{panel, m_Box, later});
    auto* nested = new guiTextBox(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(10, 10));
    panel->AddChild(nested);
    EXPECT_EQ(panel->GetFocusOrder(), (Order{nested}));
    EXPECT_EQ(m_Form->GetFocusOrder(), (Order{panel, m_Box, later}));

    // Taken out of the tree it leaves; destroyed it is forgotten.
    later->AddRef();
    m_Form->RemoveChild(later);
    EXPECT_EQ(m_Form->GetFocusOrder(), (Order{panel, m_Box}));
    m_Form->AddChild(later);
    later->Release();
    EXPECT_EQ(m_Form->GetFocusOrder(), (Order{panel, m_Box, later}));
    m_Form->RemoveChild(m_Box);
    EXPECT_EQ(m_Form->GetFocusOrder(), (Order{panel, later}));
}

TEST_F(TextBoxTest, CaretAndSelectionStayWithinAShorterText)
{
    m_Box->SetText("a long course name", 50);
    EXPECT_EQ(m_Box->GetCaret(), 18);
    m_Box->SetText("a long course name", 14);
    Key(kEnd, true);
    ASSERT_EQ(m_Box->GetSelectionEnd(), 18);
    m_Box->SetText("mud", 9);
    EXPECT_EQ(m_Box->GetCaret(), 3);
    EXPECT_LE(m_Box->GetSelectionAnchor(), 3);
    EXPECT_LE(m_Box->GetSelectionEnd(), 3);
    m_Box->SetText("mud", -4);
    EXPECT_EQ(m_Box->GetCaret(), 0);
    Key(kDelete);
    Key(kRight, true);
    Type("b");
    EXPECT_EQ(m_Box->GetText(), "bd");
}

TEST_F(TextBoxTest, SelectTextSelectsTheFirstOccurrenceOrNothing)
{
    m_Box->SetText("ramp to ramp", 0);
    struct Case
    {
        std::string find;
        int32_t anchor, end;
    } cases[] = {{"ramp", 0, 4}, {"to", 5, 7}, {"", -1, -1}, {"mud", -1, -1}, {" ramp", 7, 12}};
    for (const Case& c : cases)
    {
        m_Box->SelectText(c.find);
        EXPECT_EQ(m_Box->GetSelectionAnchor(), c.anchor) << c.find;
        EXPECT_EQ(m_Box->GetSelectionEnd(), c.end) << c.find;
    }
    m_Box->SelectText("to");
    m_Desk->Frame();
    const guiImage* selection = m_Box->GetSelectionGlyph();
    EXPECT_TRUE(selection->IsVisible());
    EXPECT_EQ(selection->GetPixelSize().x, Width("to"));
    EXPECT_EQ(selection->GetPixelSize().y, m_Font->GetLineHeight());
}

TEST_F(TextBoxTest, ALongTextScrollsToKeepTheCaretInTheBox)
{
    guiTextBox* box = AddBox("scroll", 10, 100, 80, 30);
    m_Desk->Frame();
    m_Form->SetFocus(box);
    Type(std::string(30, 'm'));
    auto caretX = [box] { return box->GetCharacterPosition(box->GetCaret()).x; };
    EXPECT_GT(caretX(), 10);
    EXPECT_LE(caretX(), 90);
    EXPECT_LT(box->GetInnerText()->GetPixelPosition().x, 0);
    Key(kHome);
    EXPECT_GE(caretX(), 10);
    EXPECT_LE(caretX(), 90);
}

} // namespace
