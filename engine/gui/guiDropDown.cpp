#include "engine/gui/guiDropDown.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiBackground.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiScroller.h"
#include "engine/gui/guiScrollerParams.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/gui/guiWidgetFactoryFor.h"

namespace
{

const guiWidgetFactoryFor<guiDropDown> s_Factory;

guiImageParams Arrow(const char* file)
{
    guiImageParams params;
    params.filename = file;
    return params;
}

template <typename T> T* OfClass(guiGlyph* glyph)
{
    return glyph != nullptr && gui::IsA(glyph->GetClassInfo(), T::StaticClassInfo()) ? static_cast<T*>(glyph)
                                                                                     : nullptr;
}

} // namespace

const kaClassInfo& guiDropDown::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kDropDownClass);
}

guiDropDown::guiDropDown(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
    _Build();
}

guiDropDown::guiDropDown(std::istream& stream)
{
    guiDropDown::ReadText(stream);
}

guiDropDown::guiDropDown(kaBinaryStream& stream)
{
    guiDropDown::ReadBinary(stream);
}

void guiDropDown::_Build()
{
    m_Button = new guiButton(kButtonName, guiCoordPair::Pixels(0, 0), Arrow(kArrowNormal));
    m_Button->SetStateImage(guiButton::kClicked, Arrow(kArrowClicked));
    m_Button->SetStateImage(guiButton::kRollover, Arrow(kArrowRollover));
    AddChild(m_Button);

    m_TextBox = new guiTextBox(guiTextBoxParams());
    AddChild(m_TextBox);

    m_List = new guiListBox(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(0, 0));
    m_List->SetId(kListId);
    m_List->SetForeColor(kaColor::kaColorClamped(0.0f, 0.0f, 0.0f, 1.0f));
    auto* background = new guiBackground(m_List, guiImageParams());
    m_DecoratedList = new guiScroller(background, guiScrollerParams());
    // The open list hangs below the drop-down's own rectangle, which would clip it away.
    m_DecoratedList->SetClipMode(kClipToSelf);
    AddChild(m_DecoratedList);
    _SetVisibleAlone(*m_DecoratedList, false);
    _Connect();
}

void guiDropDown::_Connect()
{
    if (m_Button != nullptr)
        m_Button->SetOnClick(
            [this](int)
            {
                Toggle();
                return true;
            });
    if (m_List != nullptr)
        m_List->AddHandler(gui::kEventCellSelected,
                           [this](const guiMsgEvent& message) { return _OnListPick(message); });
}

void guiDropDown::_Layout()
{
    const int32_t width = ToPixels(m_Size).x;
    const int32_t button = m_Button != nullptr ? m_Button->GetPixelSize().x : 0;
    if (m_Button != nullptr)
        m_Button->SetPosition(guiCoordPair::Pixels(float(width - button), 0.0f));
    if (m_TextBox != nullptr)
        m_TextBox->SetSize(guiCoordPair::Pixels(float(width - button), float(kTextHeight)));
    if (m_DecoratedList != nullptr)
    {
        m_DecoratedList->SetPosition(guiCoordPair::Pixels(0.0f, float(kTextHeight)));
        m_DecoratedList->SetSize(guiCoordPair::Pixels(float(width), float(kListHeight)));
    }
    // The items take the list's whole width.
    if (m_List != nullptr)
        m_List->SetColumnWidth(0, width);
    m_LaidOut = true;
}

void guiDropDown::Render(guiRenderContext& context)
{
    if (!m_LaidOut)
        _Layout();
    // Above the widgets drawn after the drop-down, so the open list covers them.
    if (m_DecoratedList != nullptr)
        m_DecoratedList->SetLayer(m_Layer + kOpenLayers);
    guiWidget::Render(context);
}

void guiDropDown::Toggle()
{
    m_Open = !m_Open;
    if (m_DecoratedList != nullptr)
    {
        if (m_Open)
            m_DecoratedList->SetVisible(true);
        else
            _SetVisibleAlone(*m_DecoratedList, false);
    }
    if (m_List != nullptr)
        m_List->SetDirty(true);
}

void guiDropDown::_Close()
{
    m_Open = false;
    if (m_DecoratedList != nullptr)
        _SetVisibleAlone(*m_DecoratedList, false);
    if (m_List != nullptr)
        m_List->SetDirty(true);
}

bool guiDropDown::_OnListPick(const guiMsgEvent& message)
{
    _Close();
    const std::string text = m_List != nullptr ? m_List->GetSelectedText() : std::string();
    if (m_TextBox != nullptr)
        m_TextBox->SetText(text, 0);
    FireEvent(guiMsgEvent(gui::kEventValueChanged, this, text, message.value));
    return true;
}

void guiDropDown::OnFocusLost()
{
    _Close();
    guiWidget::OnFocusLost();
}

bool guiDropDown::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    if (button != 0)
        return false;
    // A press passed up from the open list is a pick, not a press on the drop-down.
    const kaPoint origin = gui::AddPixels(m_DrawingOrigin, m_PixelPosition);
    const kaPoint size = ToPixels(m_Size);
    if (data.x < origin.x || data.y < origin.y || int64_t(data.x) >= int64_t(origin.x) + size.x ||
        int64_t(data.y) >= int64_t(origin.y) + size.y)
        return false;
    Toggle();
    return true;
}

bool guiDropDown::OnKey(const guiMsgKey& message)
{
    // A typed "(" shares the arrow's code: only the virtual key toggles.
    if (message.virtualKey != 0 && message.key == kKeyDown && message.shift != 0)
    {
        Toggle();
        return true;
    }
    return guiWidget::OnKey(message);
}

void guiDropDown::AddItem(const std::string& text, const ka::any& data)
{
    if (m_List == nullptr)
        return;
    m_List->AddRow(text, data);
    if (m_TextBox != nullptr)
        m_TextBox->SetText(m_List->GetSelectedText(), 0);
}

void guiDropDown::Clear(bool alsoColumns)
{
    if (m_TextBox != nullptr)
        m_TextBox->SetText("", 0);
    if (m_List != nullptr)
        m_List->Clear(alsoColumns);
}

std::string guiDropDown::GetSelectedText() const
{
    return m_List != nullptr ? m_List->GetSelectedText() : std::string();
}

ka::any guiDropDown::GetSelectedData() const
{
    return m_List != nullptr ? m_List->GetSelectedCellData() : ka::any();
}

void guiDropDown::SelectByText(const std::string& text)
{
    if (m_List == nullptr || m_List->FindRow(text, 0) < 0)
        return;
    m_List->SelectByText(text);
    if (m_TextBox != nullptr)
        m_TextBox->SetText(text, 0);
}

int guiDropDown::RemoveChild(guiGlyph* child)
{
    if (child != nullptr && child == m_Button)
        m_Button = nullptr;
    if (child != nullptr && child == m_TextBox)
        m_TextBox = nullptr;
    if (child != nullptr && child == m_DecoratedList)
    {
        m_DecoratedList = nullptr;
        m_List = nullptr;
    }
    return guiWidget::RemoveChild(child);
}

void guiDropDown::_TakeParts(int32_t button, int32_t decorated, int32_t list, int32_t text)
{
    m_Button = button >= 0 ? OfClass<guiButton>(GetChild(button)) : nullptr;
    m_DecoratedList = decorated >= 0 ? OfClass<guiScroller>(GetChild(decorated)) : nullptr;
    // Searched below the drop-down only: its own id is -1 as well.
    auto byId = [this](int32_t id) -> guiGlyph*
    {
        if (id == -1)
            return nullptr;
        for (guiGlyph* child : m_Children)
            if (guiGlyph* found = child->FindChildById(id))
                return found;
        return nullptr;
    };
    guiGlyph* listGlyph = byId(list);
    m_List = listGlyph != nullptr ? listGlyph->DynamicCast<guiListBox>() : nullptr;
    m_TextBox = nullptr;
    if (text != -1)
        m_TextBox = OfClass<guiTextBox>(byId(text));
    else
        for (guiGlyph* child : m_Children)
            if ((m_TextBox = OfClass<guiTextBox>(child)) != nullptr)
                break;
    if (m_DecoratedList != nullptr)
        _SetVisibleAlone(*m_DecoratedList, false);
    m_Open = false;
    m_LaidOut = true;
    _Connect();
}

void guiDropDown::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "DownButton", m_Button != nullptr ? IndexOfChild(m_Button) : -1);
    gui::WriteTextField(stream, "DecoratedList",
                        m_DecoratedList != nullptr ? IndexOfChild(m_DecoratedList) : -1);
    gui::WriteTextField(stream, "List", m_List != nullptr ? m_List->GetId() : -1);
    gui::WriteTextField(stream, "Text", m_TextBox != nullptr ? m_TextBox->GetId() : -1);
    gui::WriteTextField(stream, "Items", m_Items);
    guiWidget::WriteText(stream);
}

void guiDropDown::ReadText(std::istream& stream)
{
    int32_t button = -1;
    int32_t decorated = -1;
    int32_t list = -1;
    int32_t text = -1;
    gui::ReadTextField(stream, button);
    gui::ReadTextField(stream, decorated);
    gui::ReadTextField(stream, list);
    gui::ReadTextField(stream, text);
    gui::ReadTextField(stream, m_Items);
    guiWidget::ReadText(stream);
    _TakeParts(button, decorated, list, text);
}

void guiDropDown::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteInt32(m_Button != nullptr ? IndexOfChild(m_Button) : -1);
    stream.WriteInt32(m_DecoratedList != nullptr ? IndexOfChild(m_DecoratedList) : -1);
    stream.WriteInt32(m_List != nullptr ? m_List->GetId() : -1);
    stream.WriteInt32(m_TextBox != nullptr ? m_TextBox->GetId() : -1);
    stream.WriteInt32(m_Items);
    guiWidget::WriteBinary(stream);
}

void guiDropDown::ReadBinary(kaBinaryStream& stream)
{
    int32_t button = -1;
    int32_t decorated = -1;
    int32_t list = -1;
    int32_t text = -1;
    stream.ReadInt32(button);
    stream.ReadInt32(decorated);
    stream.ReadInt32(list);
    stream.ReadInt32(text);
    stream.ReadInt32(m_Items);
    guiWidget::ReadBinary(stream);
    _TakeParts(button, decorated, list, text);
}
