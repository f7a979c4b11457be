#include "engine/gui/MessageBoxWindow.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/gui/guiTextParams.h"

#include <iterator>
#include <utility>
#include <vector>

namespace
{

guiCoordPair Px(float x, float y)
{
    return guiCoordPair::Pixels(x, y);
}

guiImageParams ButtonLook(float alpha)
{
    guiImageParams look;
    look.size = Px(MessageBoxWindow::kButtonWidth, MessageBoxWindow::kButtonHeight);
    look.foreColor = kaColor::kaColorClamped(1.0f, 1.0f, 1.0f, alpha);
    return look;
}

template <typename T> T* Find(guiWindow& window, const char* name)
{
    guiGlyph* found = window.FindChild(name);
    return found != nullptr ? found->DynamicCast<T>() : nullptr;
}

bool Hide(guiWindow* window, int32_t code)
{
    if (g_pGuiManager != nullptr && window != nullptr)
        g_pGuiManager->HideWindow(window, code);
    return true;
}

} // namespace

MessageBoxWindow::MessageBoxWindow()
    : guiWindow(kWindowName, guiCoordPair::Relative(0.5f, 0.5f), Px(kWidth, kHeight),
                kAlignCentreX | kAlignCentreY)
{
    SetDraggable(true);

    guiImageParams shade;
    shade.size = guiCoordPair::Relative(1.0f, 1.0f);
    shade.foreColor = kaColor::kaColorClamped(0.0f, 0.0f, 0.0f, 0.8f);
    AddChild(new guiImage(shade));

    guiTextBoxParams caption;
    caption.name = kCaptionName;
    caption.size = guiCoordPair(guiCoord::Relative(1.0f), guiCoord::Pixels(kCaptionHeight));
    caption.alignment = guiTextBox::kAlignCentreX | guiTextBox::kAlignCentreY;
    caption.editable = false;
    m_CaptionBar = new guiTextBox(caption);
    AddChild(m_CaptionBar);

    m_TextArea = new guiDisplayBox(Px(0, kTextTop),
                                   guiCoordPair(guiCoord::Relative(1.0f), guiCoord::Pixels(kTextHeight)));
    m_TextArea->SetName(kTextName);
    AddChild(m_TextArea);

    _AddButton(m_OkButton, kOkName, "Ok", 0);
    _AddButton(m_CancelButton, kCancelName, "Cancel", 60);
    _AddButton(m_YesButton, kYesName, "Yes", 120);
    _AddButton(m_NoButton, kNoName, "No", 180);
    _AttachHandlers();
}

MessageBoxWindow::MessageBoxWindow(const std::string& layoutFile) : guiWindow(layoutFile)
{
    SetDraggable(true);
    m_CaptionBar = Find<guiTextBox>(*this, kCaptionName);
    m_TextArea = Find<guiDisplayBox>(*this, kTextName);
    m_YesButton = Find<guiButton>(*this, kYesName);
    m_NoButton = Find<guiButton>(*this, kNoName);
    m_OkButton = Find<guiButton>(*this, kOkName);
    m_CancelButton = Find<guiButton>(*this, kCancelName);
    _AttachHandlers();
}

void MessageBoxWindow::_AddButton(guiButton*& field, const char* name, const char* label, float x)
{
    field = new guiButton(name, Px(x, kButtonTop), ButtonLook(0.5f));
    field->SetStateImage(guiButton::kRollover, ButtonLook(0.7f));
    field->SetStateImage(guiButton::kClicked, ButtonLook(1.0f));
    field->SetStateImage(guiButton::kDisabled, ButtonLook(0.25f));
    guiTextParams text;
    text.text = label;
    AddChild(new guiCaption(field, text));
}

void MessageBoxWindow::_AttachHandlers()
{
    if (m_OkButton != nullptr)
        m_OkButton->SetOnClick([this](int) { return OnOk(this); });
    if (m_CancelButton != nullptr)
        m_CancelButton->SetOnClick([this](int) { return OnCancel(this); });
    if (m_YesButton != nullptr)
        m_YesButton->SetOnClick([this](int) { return OnYes(this); });
    if (m_NoButton != nullptr)
        m_NoButton->SetOnClick([this](int) { return OnNo(this); });
}

bool MessageBoxWindow::IsComplete() const
{
    return m_CaptionBar != nullptr && m_TextArea != nullptr && m_YesButton != nullptr &&
           m_NoButton != nullptr && m_OkButton != nullptr && m_CancelButton != nullptr;
}

void MessageBoxWindow::SetCaption(const std::string& caption)
{
    if (m_CaptionBar != nullptr)
        m_CaptionBar->SetText(caption, 0);
}

void MessageBoxWindow::SetText(const std::string& text)
{
    if (m_TextArea == nullptr)
        return;
    if (text.find(kMarkupMark) != std::string::npos)
        m_TextArea->SetText(text);
    else
        // Plain text may hold what a user typed: every character of it shows as it is.
        m_TextArea->SetText(guiDisplayBox::TextMarkup("<text>", text));
}

void MessageBoxWindow::SetButtons(int32_t flags)
{
    if ((flags & (kOk | kCancel | kYes | kNo)) == 0)
        flags = kOk;
    std::vector<guiButton*> shown;
    const std::pair<guiButton*, int32_t> order[] = {
        {m_OkButton, kOk}, {m_YesButton, kYes}, {m_NoButton, kNo}, {m_CancelButton, kCancel}};
    for (const auto& [button, bit] : order)
    {
        if (button == nullptr)
            continue;
        if (flags & bit)
            shown.push_back(button);
        else
        {
            button->SetVisible(false);
            // Its label would stay behind on the box.
            if (guiGlyph* parent = button->GetParent();
                parent != nullptr && parent->DynamicCast<guiCaption>())
                parent->SetVisible(false);
        }
    }
    if (shown.empty())
        return;
    int64_t widths = 0;
    for (guiButton* button : shown)
        widths += button->ToPixels(button->GetSize()).x;
    const int64_t gaps = int64_t(kButtonGap) * (int64_t(shown.size()) - 1);
    float referenceWidth = 0.0f;
    float referenceHeight = 0.0f;
    shown.front()->GetReferenceSize(referenceWidth, referenceHeight);
    int64_t x = (static_cast<int64_t>(referenceWidth) - gaps - widths) / 2;
    const int32_t y = shown.front()->ToPixels(shown.front()->GetPosition()).y;
    for (guiButton* button : shown)
    {
        button->SetPosition(Px(static_cast<float>(x), static_cast<float>(y)));
        x += button->ToPixels(button->GetSize()).x + kButtonGap;
        // Showing a glyph shows its hidden ancestors: the caption around the button, but not the box.
        const bool boxVisible = IsVisible();
        button->SetVisible(true);
        if (!boxVisible)
            _SetVisibleAlone(*this, false);
    }
}

void MessageBoxWindow::_MoveButtons(int32_t dy)
{
    for (guiButton* button : {m_OkButton, m_CancelButton, m_YesButton, m_NoButton})
    {
        if (button == nullptr)
            continue;
        const kaPoint at = button->ToPixels(button->GetPosition());
        button->SetPosition(Px(static_cast<float>(at.x), static_cast<float>(int64_t(at.y) + dy)));
    }
}

void MessageBoxWindow::SetTextAreaSize(const kaPoint& pixels)
{
    if (m_TextArea == nullptr)
        return;
    const bool own = pixels.x <= 0 || pixels.y <= 0;
    if (!m_Resized && own)
        return;
    if (m_Resized)
    {
        // Back to the box's own sizes first: every other size is measured from them.
        SetSize(m_OwnSize);
        m_TextArea->SetSize(m_OwnTextSize);
        _MoveButtons(-m_MovedDown);
        m_MovedDown = 0;
        m_Resized = false;
    }
    if (own)
        return;
    m_OwnSize = GetSize();
    m_OwnTextSize = m_TextArea->GetSize();
    const kaPoint box = ToPixels(m_OwnSize);
    const kaPoint text = m_TextArea->ToPixels(m_OwnTextSize);
    const int64_t width = int64_t(box.x) + pixels.x - text.x;
    const int64_t height = int64_t(box.y) + pixels.y - text.y;
    SetSize(Px(static_cast<float>(width), static_cast<float>(height)));
    m_TextArea->SetSize(Px(static_cast<float>(pixels.x), static_cast<float>(pixels.y)));
    m_MovedDown = pixels.y - text.y;
    _MoveButtons(m_MovedDown);
    m_Resized = true;
}

void MessageBoxWindow::SetButtonLabel(Button button, const std::string& label)
{
    const std::pair<guiButton*, Button> buttons[] = {
        {m_OkButton, kOk}, {m_CancelButton, kCancel}, {m_YesButton, kYes}, {m_NoButton, kNo}};
    for (size_t slot = 0; slot < std::size(buttons); ++slot)
    {
        if (buttons[slot].second != button || buttons[slot].first == nullptr)
            continue;
        guiGlyph* parent = buttons[slot].first->GetParent();
        auto* caption = parent != nullptr ? parent->DynamicCast<guiCaption>() : nullptr;
        if (caption == nullptr || caption->GetCaption() == nullptr)
            return;
        std::string& own = m_OwnLabels[slot];
        if (own.empty())
            own = caption->GetCaption()->GetText();
        const std::string& wanted = label.empty() ? own : label;
        // Set only when it changes: a new text is centred again.
        if (caption->GetCaption()->GetText() != wanted)
            caption->SetCaptionText(wanted);
        return;
    }
}

bool MessageBoxWindow::OnOk(guiWindow* window)
{
    return Hide(window, kOk);
}

bool MessageBoxWindow::OnCancel(guiWindow* window)
{
    return Hide(window, kCancel);
}

bool MessageBoxWindow::OnYes(guiWindow* window)
{
    return Hide(window, kYes);
}

bool MessageBoxWindow::OnNo(guiWindow* window)
{
    return Hide(window, kNo);
}
