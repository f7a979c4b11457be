#include "engine/gui/MessageBoxWindow.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiCompositeGlyph.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiOriginStack.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextParams.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/gui/TextDesk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace
{

// What a modal box showed on its first frame.
struct Seen
{
    bool visible = false;
    std::string caption;
    std::string text;
    // Visible buttons by their x inside the box, in order of x.
    std::vector<std::pair<std::string, int>> buttons;
    std::size_t originDepth = 0;
};

// The message box shown modally while the desk's frames run; clicks are fed in as a player's would be.
class MessageBoxTest : public TextDeskTest
{
protected:
    void QueueClick(int x, int y)
    {
        guiMsgMouse move;
        move.data.moved = true;
        move.data.dx = x - m_Desk->manager.GetCursorPosition().x;
        move.data.dy = y - m_Desk->manager.GetCursorPosition().y;
        m_Desk->manager.OnMouseInput(move);
        for (bool down : {true, false})
        {
            guiMsgMouse press;
            press.data.buttonsChanged = true;
            press.data.changed[0] = true;
            press.data.buttons[0] = down;
            m_Desk->manager.OnMouseInput(press);
        }
    }

    Seen Look() const
    {
        Seen seen;
        MessageBoxWindow* box = m_Desk->manager.GetMessageBox();
        seen.visible = box != nullptr && box->IsVisible();
        if (box == nullptr)
            return seen;
        seen.caption = box->GetCaptionBar()->GetText();
        seen.text = box->GetTextArea()->GetText();
        for (guiButton* button :
             {box->GetOkButton(), box->GetCancelButton(), box->GetYesButton(), box->GetNoButton()})
            if (button->IsVisible() && button->GetParent()->IsVisible())
            {
                const kaPoint at = button->ToPixels(button->GetPosition());
                EXPECT_EQ(at.y, MessageBoxWindow::kButtonTop) << button->GetName();
                seen.buttons.emplace_back(button->GetName(), at.x);
            }
        std::sort(seen.buttons.begin(), seen.buttons.end(),
                  [](const auto& a, const auto& b) { return a.second < b.second; });
        seen.originDepth = guiOriginStack::Get().Depth();
        return seen;
    }

    // Shows the box; on its second frame looks at it and clicks the named button.
    int32_t ShowAndPress(const std::string& text, int32_t flags, const std::string& press, Seen& seen)
    {
        m_Desk->onFrame = [this, &seen, press](int frame)
        {
            if (frame != 2)
                return frame < 50;
            seen = Look();
            MessageBoxWindow* box = m_Desk->manager.GetMessageBox();
            guiGlyph* button = box->FindChild(press);
            if (button != nullptr)
            {
                const kaPoint at = button->ToPixels(button->GetPosition());
                const kaPoint corner = box->GetPixelPosition();
                QueueClick(corner.x + at.x + MessageBoxWindow::kButtonWidth / 2,
                           corner.y + at.y + MessageBoxWindow::kButtonHeight / 2);
            }
            return true;
        };
        m_Desk->frames = 0;
        const int32_t result = m_Desk->manager.ShowMessageBox(text, "Warning", flags);
        m_Desk->onFrame.clear();
        return result;
    }
};

TEST_F(MessageBoxTest, ShowsItsButtonsCentredAndAnswersWithThePressedOne)
{
    const struct
    {
        const char* what;
        const char* text;
        int32_t flags;
        const char* press;
        int32_t result;
        const char* shown;
        std::vector<std::pair<std::string, int>> buttons;
    } cases[] = {
        {"a plain text with Ok alone",
         "Disk full.",
         1,
         "ok button",
         1,
         "<text>Disk full.</text>",
         {{"ok button", 100}}},
        {"Ok then Cancel",
         "Sure?",
         3,
         "cancel button",
         2,
         "<text>Sure?</text>",
         {{"ok button", 70}, {"cancel button", 130}}},
        {"Yes then No",
         "Save?",
         12,
         "no button",
         8,
         "<text>Save?</text>",
         {{"yes button", 70}, {"no button", 130}}},
        {"all four, ten pixels apart",
         "All?",
         15,
         "yes button",
         4,
         "<text>All?</text>",
         {{"ok button", 10}, {"yes button", 70}, {"no button", 130}, {"cancel button", 190}}},
        {"fewer buttons than before: the others are hidden",
         "Again",
         8,
         "no button",
         8,
         "<text>Again</text>",
         {{"no button", 100}}},
        {"mark-up anywhere passes unchanged",
         "Note: <text font bar16m color .5 .5 .5 1>grey</text>",
         1,
         "ok button",
         1,
         "Note: <text font bar16m color .5 .5 .5 1>grey</text>",
         {{"ok button", 100}}},
        {"flags without a button show Ok, so that the box can close",
         "Stuck?",
         0x30,
         "ok button",
         1,
         "<text>Stuck?</text>",
         {{"ok button", 100}}},
    };
    MessageBoxWindow* first = nullptr;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Seen seen;
        EXPECT_EQ(ShowAndPress(c.text, c.flags, c.press, seen), c.result);
        EXPECT_TRUE(seen.visible);
        EXPECT_EQ(seen.caption, "Warning");
        EXPECT_EQ(seen.text, c.shown);
        EXPECT_EQ(seen.buttons, c.buttons);
        MessageBoxWindow* box = m_Desk->manager.GetMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_FALSE(box->IsVisible()) << "hidden again";
        if (first == nullptr)
            first = box;
        EXPECT_EQ(box, first) << "the built-in box is built once";
        // Centred on the middle of the back buffer.
        const auto& screen = m_Graphics->GetPresentParameters();
        EXPECT_EQ(box->GetPixelPosition().x, int(screen.BackBufferWidth / 2) - MessageBoxWindow::kWidth / 2);
        EXPECT_EQ(box->GetPixelPosition().y,
                  int(screen.BackBufferHeight / 2) - MessageBoxWindow::kHeight / 2);
    }
    int named = 0;
    for (guiWindow* window : m_Desk->manager.GetWindows())
        named += window->GetName() == MessageBoxWindow::kWindowName ? 1 : 0;
    EXPECT_EQ(named, 1);
}

TEST_F(MessageBoxTest, AQueuedBoxShowsOnceWithTheLastTextOutsideTheDrawingWalk)
{
    m_Form->QueueMessageBox("first", "One");
    m_Form->QueueMessageBox("second", "Two");
    std::vector<Seen> seen;
    m_Desk->onFrame = [this, &seen](int)
    {
        seen.push_back(Look());
        if (seen.size() == 2)
        {
            const kaPoint corner = m_Desk->manager.GetMessageBox()->GetPixelPosition();
            QueueClick(corner.x + 125, corner.y + 125);
        }
        return seen.size() < 50;
    };
    m_Desk->Frame();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_LT(seen.size(), 50u) << "the Ok button closed it";
    EXPECT_TRUE(seen[0].visible);
    EXPECT_EQ(seen[0].caption, "Two");
    EXPECT_EQ(seen[0].text, "<text>second</text>");
    EXPECT_EQ(seen[0].originDepth, 0u) << "no drawing walk is under way";
    EXPECT_FALSE(m_Desk->manager.GetMessageBox()->IsVisible());
    EXPECT_FALSE(m_Form->IsMessageBoxQueued());
    const std::size_t frames = seen.size();
    m_Desk->Frame();
    m_Desk->Frame();
    EXPECT_EQ(seen.size(), frames) << "shown once";
}

// A longer message shows for one show in a larger text area, the buttons under it and Ok labelled as asked;
// the next message finds the box with its own sizes, places and label.
TEST_F(MessageBoxTest, ALongerMessageGetsALargerBoxAndAnotherLabelForOneShowOnly)
{
    struct Sizes
    {
        kaPoint box;
        kaPoint text;
        int32_t okY = 0;
        std::string okLabel;
    };
    const auto measure = [this]
    {
        MessageBoxWindow* box = m_Desk->manager.GetMessageBox();
        Sizes sizes;
        sizes.box = box->ToPixels(box->GetSize());
        sizes.text = box->GetTextArea()->ToPixels(box->GetTextArea()->GetSize());
        sizes.okY = box->GetOkButton()->ToPixels(box->GetOkButton()->GetPosition()).y;
        const auto* caption = box->GetOkButton()->GetParent()->DynamicCast<guiCaption>();
        sizes.okLabel =
            caption != nullptr && caption->GetCaption() != nullptr ? caption->GetCaption()->GetText() : "";
        return sizes;
    };
    Sizes during;
    m_Desk->onFrame = [&](int frame)
    {
        if (frame != 2)
            return frame < 50;
        during = measure();
        MessageBoxWindow* box = m_Desk->manager.GetMessageBox();
        const kaPoint at = box->GetOkButton()->ToPixels(box->GetOkButton()->GetPosition());
        const kaPoint corner = box->GetPixelPosition();
        QueueClick(corner.x + at.x + MessageBoxWindow::kButtonWidth / 2,
                   corner.y + at.y + MessageBoxWindow::kButtonHeight / 2);
        return true;
    };
    m_Desk->frames = 0;
    EXPECT_EQ(m_Desk->manager.ShowMessageBox("<text>Many lines</text>", "Report",
                                             MessageBoxWindow::kOk | MessageBoxWindow::kCancel,
                                             kaPoint(600, 300), "Save"),
              MessageBoxWindow::kOk);
    m_Desk->onFrame.clear();
    const int32_t grown = 300 - MessageBoxWindow::kTextHeight;
    EXPECT_EQ(during.box.x, 600);
    EXPECT_EQ(during.box.y, MessageBoxWindow::kHeight + grown);
    EXPECT_EQ(during.text.x, 600);
    EXPECT_EQ(during.text.y, 300);
    EXPECT_EQ(during.okY, MessageBoxWindow::kButtonTop + grown);
    EXPECT_EQ(during.okLabel, "Save");

    Seen seen;
    EXPECT_EQ(ShowAndPress("Short.", MessageBoxWindow::kOk, MessageBoxWindow::kOkName, seen),
              MessageBoxWindow::kOk);
    EXPECT_EQ(seen.buttons, (std::vector<std::pair<std::string, int>>{{MessageBoxWindow::kOkName, 100}}));
    const Sizes after = measure();
    EXPECT_EQ(after.box.x, MessageBoxWindow::kWidth);
    EXPECT_EQ(after.box.y, MessageBoxWindow::kHeight);
    EXPECT_EQ(after.text.x, MessageBoxWindow::kWidth);
    EXPECT_EQ(after.text.y, MessageBoxWindow::kTextHeight);
    EXPECT_EQ(after.okY, MessageBoxWindow::kButtonTop);
    EXPECT_EQ(after.okLabel, "Ok");
}

// A plain message may carry what a user typed (a field's value): every character shows as it was given, none
// taken for mark-up, and the box is not cut short.
TEST_F(MessageBoxTest, APlainMessageShowsEveryCharacterAsItIs)
{
    const std::string texts[] = {
        "The field \"Width\" holds \"12</text>x\", which is not a number.",
        "The value \"a\\nb\" could not be read.",
        "</text></text>",
        "ends in a backslash\\",
    };
    for (const std::string& text : texts)
    {
        SCOPED_TRACE(text);
        Seen seen;
        EXPECT_EQ(ShowAndPress(text, MessageBoxWindow::kOk, MessageBoxWindow::kOkName, seen),
                  MessageBoxWindow::kOk);
        ASSERT_TRUE(seen.visible);
        std::string shown;
        for (const guiCompositeGlyph::Entry& entry :
             m_Desk->manager.GetMessageBox()->GetTextArea()->GetComposition()->GetEntries())
            if (const auto* piece = dynamic_cast<const guiTextParams*>(entry.params))
                shown += piece->text;
        EXPECT_EQ(shown, text);
    }
}

TEST_F(MessageBoxTest, ABoxOpenedFromAModalDialogReturnsToTheDialogStillOpen)
{
    guiWindow* dialog = m_Desk->AddWindow("dialog", 100, 100, 300, 200);
    dialog->SetVisible(false);
    int32_t boxResult = 0;
    bool dialogOpenAfter = false;
    int phase = 0;
    bool clicked = false;
    m_Desk->onFrame = [&](int frame)
    {
        if (phase == 0 && frame == 2)
        {
            // The dialog's own code asks, as a handler would; the box's frames come back here.
            phase = 1;
            boxResult = m_Desk->manager.ShowMessageBox("Overwrite?", "Save", 1);
            dialogOpenAfter = dialog->IsVisible() && m_Desk->manager.GetModalWindow() == dialog;
            phase = 2;
            m_Desk->manager.HideWindow(dialog, 4);
        }
        else if (phase == 1 && !clicked && frame >= 4)
        {
            clicked = true;
            const kaPoint corner = m_Desk->manager.GetMessageBox()->GetPixelPosition();
            QueueClick(corner.x + 125, corner.y + 125);
        }
        return frame < 200;
    };
    EXPECT_EQ(m_Desk->manager.ShowWindow(dialog, true), 4);
    EXPECT_EQ(boxResult, 1);
    EXPECT_TRUE(dialogOpenAfter);
}

TEST_F(MessageBoxTest, ALayoutLackingAChildGivesTheBuiltInBox)
{
    // A window named like the box, with only a caption bar.
    MessageBoxWindow built;
    built.AddRef();
    auto* partial =
        new guiWindow("message box", guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(200, 100), 9);
    partial->AddRef();
    guiTextBoxParams caption;
    caption.name = MessageBoxWindow::kCaptionName;
    partial->AddChild(new guiTextBox(caption));
    // "ok button" as a text box: the wrong class.
    caption.name = MessageBoxWindow::kOkName;
    partial->AddChild(new guiTextBox(caption));
    const std::string file = m_Dir.File("partial.kab");
    ASSERT_TRUE(gui::SaveLayout(*partial, file, false));
    partial->Release();

    MessageBoxWindow loaded(file);
    loaded.AddRef();
    EXPECT_NE(loaded.GetCaptionBar(), nullptr);
    EXPECT_EQ(loaded.GetOkButton(), nullptr);
    EXPECT_FALSE(loaded.IsComplete());
    loaded.SetText("nothing to show it in");
    loaded.SetButtons(3);

    testsupport::DebugCapture debug;
    m_Desk->manager.CreateMessageBox(file);
    EXPECT_TRUE(debug.Contains("[guiManager::CreateMessageBox]"));
    MessageBoxWindow* box = m_Desk->manager.GetMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsComplete());
    EXPECT_FALSE(box->IsVisible());
    Seen seen;
    EXPECT_EQ(ShowAndPress("Works", 3, "cancel button", seen), 2);
    EXPECT_EQ(seen.buttons.size(), 2u);

    // A second box replaces the first, which goes with the next update.
    m_Desk->manager.CreateDefaultMessageBox();
    EXPECT_NE(m_Desk->manager.GetMessageBox(), box);
    m_Desk->Frame();
    int named = 0;
    for (guiWindow* window : m_Desk->manager.GetWindows())
        named += window->GetName() == MessageBoxWindow::kWindowName ? 1 : 0;
    EXPECT_EQ(named, 1);
}

TEST_F(MessageBoxTest, TheHandlersHideTheWindowTheyAreBoundTo)
{
    guiWindow* menu = m_Desk->AddWindow("InGameMenu", 0, 0, 100, 100);
    const struct
    {
        std::function<bool(guiWindow*)> handler;
        int32_t code;
    } cases[] = {{MessageBoxWindow::OnOk, 1},
                 {MessageBoxWindow::OnCancel, 2},
                 {MessageBoxWindow::OnYes, 4},
                 {MessageBoxWindow::OnNo, 8}};
    for (const auto& c : cases)
    {
        m_Desk->frames = 0;
        m_Desk->onFrame = [&](int frame)
        {
            if (frame == 2)
            {
                EXPECT_TRUE(c.handler(menu));
            }
            // Ending the wait through the frames would answer Cancel.
            return frame < 10;
        };
        EXPECT_EQ(m_Desk->manager.ShowWindow(menu, true), c.code);
        EXPECT_EQ(m_Desk->frames, 2) << "the handler ended the wait";
        EXPECT_FALSE(menu->IsVisible());
    }
}

} // namespace
