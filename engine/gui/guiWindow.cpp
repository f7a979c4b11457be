#include "engine/gui/guiWindow.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <algorithm>
#include <sstream>

using guiPropertyText::Parse;

namespace
{

const guiWidgetFactoryFor<guiWindow> s_Factory;

// Files older than this have no "AlphaHitTesting" line.
constexpr float kAlphaHitVersion = 1.11f;

bool FrontFirst(const guiGlyph* a, const guiGlyph* b)
{
    if (a->GetLayer() != b->GetLayer())
        return a->GetLayer() > b->GetLayer();
    return a->GetChildOrder() > b->GetChildOrder();
}

template <typename T> bool Contains(const std::vector<T*>& list, const guiGlyph* item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename T> void Erase(std::vector<T*>& list, const guiGlyph* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

const kaClassInfo& guiWindow::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kWindowClass);
}

guiWindow::guiWindow(const std::string& layoutFile)
{
    _Init();
    if (gui::LoadLayoutInto(*this, layoutFile))
        _AfterRead();
}

guiWindow::guiWindow(std::istream& stream)
{
    _Init();
    guiWindow::ReadText(stream);
    _AfterRead();
}

guiWindow::guiWindow(kaBinaryStream& stream)
{
    _Init();
    guiWindow::ReadBinary(stream);
    _AfterRead();
}

guiWindow::guiWindow(const std::string& name, const guiCoordPair& anchor, const guiCoordPair& size,
                     int32_t alignment)
{
    _Init();
    m_Name = name;
    guiWidget::SetSize(size);
    m_Anchor = anchor;
    m_Alignment = alignment;
    _Place();
}

guiWindow::guiWindow(const guiCoordPair& anchor, const guiCoordPair& size)
    : guiWindow(std::string(), anchor, size, kAlignLeft | kAlignTop)
{
}

guiWindow::~guiWindow()
{
    // The children go first, while the lists they are forgotten from still exist.
    RemoveAllChildren();
}

void guiWindow::_Init()
{
    m_OwnerWindow = this;
}

void guiWindow::_AfterRead()
{
    m_Anchor = m_Position;
    m_ReportedPos = m_Position;
}

void guiWindow::_Place()
{
    const kaPoint size = ToPixels(m_Size);
    const kaPoint anchor = ToPixels(m_Anchor);
    int32_t dx = 0;
    int32_t dy = 0;
    if (m_Alignment & kAlignCentreX)
        dx = static_cast<int32_t>(size.x * 0.5f);
    else if (m_Alignment & kAlignRight)
        dx = size.x;
    if (m_Alignment & kAlignCentreY)
        dy = static_cast<int32_t>(size.y * 0.5f);
    else if (m_Alignment & kAlignBottom)
        dy = size.y;
    m_ReportedPos = guiCoordPair::Pixels(static_cast<float>(int64_t(anchor.x) - dx),
                                         static_cast<float>(int64_t(anchor.y) - dy));
    guiWidget::SetPosition(m_Anchor);
}

void guiWindow::SetAlignment(int32_t flags)
{
    m_Alignment = flags;
    _Place();
    SetDirty(true);
}

void guiWindow::SetPosition(const guiCoordPair& anchor)
{
    m_Anchor = anchor;
    _Place();
}

void guiWindow::SetSize(const guiCoordPair& size)
{
    guiWidget::SetSize(size);
    _Place();
}

void guiWindow::Draw()
{
    std::vector<guiGlyph*> ordered = m_HitList;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const guiGlyph* a, const guiGlyph* b) { return FrontFirst(b, a); });
    for (guiGlyph* glyph : ordered)
        glyph->Draw();
}

bool guiWindow::HitTest(const kaPoint& point, guiGlyph*& out)
{
    if (!m_AlphaHitTesting)
        return guiWidget::HitTest(point, out);
    if (!m_Visible)
        return false;
    for (guiGlyph* child : m_Children)
        if (child->HitTest(point, out))
            return true;
    return false;
}

void guiWindow::AddChild(guiGlyph* child, guiWindow* /*window*/)
{
    guiGlyph::AddChild(child, this);
}

int guiWindow::RemoveChild(guiGlyph* child)
{
    // The glyph's removal tells the owner window; a window's children belong to the window itself.
    guiWindow* outer = m_OwnerWindow;
    m_OwnerWindow = this;
    const int remaining = guiGlyph::RemoveChild(child);
    m_OwnerWindow = outer;
    return remaining;
}

void guiWindow::SetOwnerWindow(guiWindow* window)
{
    m_OwnerWindow = window;
}

void guiWindow::AddToHitList(guiGlyph* glyph)
{
    m_HitList.push_back(glyph);
}

void guiWindow::ForgetWidget(guiGlyph* glyph)
{
    Erase(m_HitList, glyph);
    Erase(m_HoverChain, glyph);
    Erase(m_FocusChain, glyph);
    Erase(m_FocusOrder, glyph);
    if (m_Focused == glyph)
        m_Focused = nullptr;
}

void guiWindow::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "ReportedPos", m_ReportedPos);
    gui::WriteTextField(stream, "Draggable", m_Draggable);
    gui::WriteTextField(stream, "Alignment", m_Alignment);
    gui::WriteTextField(stream, "AlphaHitTesting", m_AlphaHitTesting);
    guiWidget::WriteText(stream);
}

void guiWindow::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_ReportedPos);
    gui::ReadTextField(stream, m_Draggable);
    gui::ReadTextField(stream, m_Alignment);
    if (gui::GetLayoutVersion() >= kAlphaHitVersion)
        gui::ReadTextField(stream, m_AlphaHitTesting);
    guiWidget::ReadText(stream);
}

void guiWindow::WriteBinary(kaBinaryStream& stream) const
{
    m_ReportedPos.Write(stream);
    stream.WriteBool(m_Draggable);
    stream.WriteInt32(m_Alignment);
    stream.WriteBool(m_AlphaHitTesting);
    guiWidget::WriteBinary(stream);
}

void guiWindow::ReadBinary(kaBinaryStream& stream)
{
    m_ReportedPos.Read(stream);
    stream.ReadBool(m_Draggable);
    stream.ReadInt32(m_Alignment);
    if (gui::GetLayoutVersion() >= kAlphaHitVersion)
        stream.ReadBool(m_AlphaHitTesting);
    guiWidget::ReadBinary(stream);
}

void guiWindow::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertBool("Draggable", m_Draggable);
    sheet.InsertAlignment("Alignment", m_Alignment);
    sheet.InsertBool("AlphaHitTesting", m_AlphaHitTesting);
    guiWidget::GetProperties(sheet);
}

void guiWindow::SetProperties(const GuiParamTable& sheet)
{
    int32_t alignment = m_Alignment;
    if (const GuiParamTable::Entry* entry = sheet.Find("Alignment"); entry && Parse(entry->text, alignment))
        SetAlignment(alignment);
    if (const GuiParamTable::Entry* entry = sheet.Find("Draggable"))
        Parse(entry->text, m_Draggable);
    if (const GuiParamTable::Entry* entry = sheet.Find("AlphaHitTesting"))
        Parse(entry->text, m_AlphaHitTesting);
    guiWidget::SetProperties(sheet);
}

void guiWindow::ReleaseDeviceObjects()
{
    m_FocusChain.clear();
}

void guiWindow::Render(guiRenderContext& context)
{
    if (m_Dirty)
        _Place();
    m_PixelPosition = ToPixels(m_ReportedPos);
    guiWidget::Render(context);
}

bool guiWindow::PreRender(guiRenderContext& context)
{
    m_HitList.clear();
    return guiWidget::PreRender(context);
}

void guiWindow::QueueMessageBox(const std::string& text, const std::string& caption)
{
    m_QueuedText = text;
    m_QueuedCaption = caption;
    m_QueuedTextArea = kaPoint();
    m_MessageBoxQueued = true;
}

void guiWindow::QueueLongMessageBox(const std::string& text, const std::string& caption,
                                    const kaPoint& textArea)
{
    QueueMessageBox(text, caption);
    m_QueuedTextArea = textArea;
}

bool guiWindow::TakeQueuedMessageBox(std::string& text, std::string& caption, kaPoint& textArea)
{
    if (!m_MessageBoxQueued)
        return false;
    m_MessageBoxQueued = false;
    text = m_QueuedText;
    caption = m_QueuedCaption;
    textArea = m_QueuedTextArea;
    return true;
}

void guiWindow::OnFocusGained()
{
    if (g_pGuiManager != nullptr)
    {
        // The widgets under the cursor learn at once that they are hovered.
        guiMsgMouse move;
        const kaPoint cursor = g_pGuiManager->GetCursorPosition();
        move.data.x = cursor.x;
        move.data.y = cursor.y;
        move.data.moved = true;
        OnMouseMove(move);
    }
    if (!m_FocusOrder.empty())
        SetFocus(m_FocusOrder.front());
    guiWidget::OnFocusGained();
}

void guiWindow::OnFocusLost()
{
    guiWidget::OnFocusLost();
    SetFocus(nullptr);
}

std::vector<guiWidget*> guiWindow::_WidgetsFrontFirst() const
{
    std::vector<guiWidget*> widgets;
    for (guiGlyph* glyph : m_HitList)
        if (guiWidget* widget = glyph->DynamicCast<guiWidget>())
            widgets.push_back(widget);
    std::stable_sort(widgets.begin(), widgets.end(), FrontFirst);
    return widgets;
}

bool guiWindow::OnMouseMove(const guiMsgMouse& message)
{
    if (!m_Visible)
        return false;
    const kaPoint point(message.data.x, message.data.y);
    guiGlyph* hit = nullptr;
    if (m_Draggable && m_Focused == nullptr && message.data.buttons[0])
    {
        const kaPoint before(static_cast<int32_t>(message.data.x - message.deltaX),
                             static_cast<int32_t>(message.data.y - message.deltaY));
        if (HitTest(before, hit))
        {
            const kaPoint anchor = ToPixels(m_Anchor);
            SetPosition(guiCoordPair::Pixels(anchor.x + message.deltaX, anchor.y + message.deltaY));
            return true;
        }
    }
    for (guiWidget* widget : _WidgetsFrontFirst())
    {
        // A handler may have destroyed a widget of the walk.
        if (!Contains(m_HitList, widget))
            continue;
        if (guiWindow* child = widget->DynamicCast<guiWindow>())
        {
            if (child->OnMouseMove(message))
                return true;
            continue;
        }
        if (!widget->HitTest(point, hit))
            continue;
        SetHover(widget, point);
        if (widget->OnMouseMove(message))
            return true;
    }
    SetHover(nullptr, point);
    if (!HitTest(point, hit))
        return false;
    if (g_pGuiManager != nullptr)
        g_pGuiManager->SetHoverWindow(this);
    return true;
}

bool guiWindow::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    const kaPoint point(data.x, data.y);
    guiGlyph* hit = nullptr;
    for (guiWidget* widget : _WidgetsFrontFirst())
    {
        if (!Contains(m_HitList, widget))
            continue;
        if (guiWindow* child = widget->DynamicCast<guiWindow>())
        {
            if (child->OnMouseDown(button, data))
                return true;
            continue;
        }
        if (!widget->HitTest(point, hit))
            continue;
        SetFocus(widget);
        if (widget->OnMouseDown(button, data))
            return true;
    }
    const bool mine = HitTest(point, hit);
    if (mine && g_pGuiManager != nullptr)
        g_pGuiManager->SetActiveWindow(this);
    SetFocus(nullptr);
    return mine;
}

bool guiWindow::OnMouseUp(int32_t button, const gui::MouseData& data)
{
    const std::vector<guiWidget*> chain = m_FocusChain;
    for (guiWidget* widget : chain)
    {
        if (widget == this || !Contains(m_FocusChain, widget))
            continue;
        if (widget->OnMouseUp(button, data))
            return true;
    }
    return false;
}

void guiWindow::OnMouseLeave()
{
    const std::vector<guiWidget*> chain = m_HoverChain;
    m_HoverChain.clear();
    for (guiWidget* widget : chain)
        widget->OnMouseLeave();
}

bool guiWindow::OnKey(const guiMsgKey& message)
{
    return m_Focused == nullptr || m_Focused->OnKey(message);
}

void guiWindow::SetFocus(guiWidget* widget)
{
    m_Focused = widget;
    if (widget != nullptr && g_pGuiManager != nullptr)
    {
        g_pGuiManager->SetActiveWindow(this);
        // Becoming active may have focused the first widget of the focus order; the caller's wins.
        m_Focused = widget;
    }
    std::vector<guiWidget*> chain;
    for (guiGlyph* glyph = widget; glyph != nullptr; glyph = glyph->GetParent())
    {
        if (guiWidget* member = glyph->DynamicCast<guiWidget>())
            chain.push_back(member);
        if (glyph == this)
            break;
    }
    const std::vector<guiWidget*> old = m_FocusChain;
    m_FocusChain = chain;
    // The window's own focus follows its activation, not its widgets.
    for (guiWidget* member : chain)
        if (member != this && !Contains(old, member))
            member->OnFocusGained();
    for (guiWidget* member : old)
        if (member != this && !Contains(chain, member))
            member->OnFocusLost();
}

bool guiWindow::FocusNext()
{
    if (m_FocusOrder.empty())
        return false;
    const auto found = std::find(m_FocusOrder.begin(), m_FocusOrder.end(), m_Focused);
    if (found == m_FocusOrder.end() || found + 1 == m_FocusOrder.end())
    {
        SetFocus(m_FocusOrder.front());
        return false;
    }
    SetFocus(*(found + 1));
    return true;
}

void guiWindow::SetHover(guiWidget* widget, const kaPoint& point)
{
    if (widget != nullptr && g_pGuiManager != nullptr)
        g_pGuiManager->SetHoverWindow(this);
    std::vector<guiWidget*> chain;
    if (widget != nullptr)
    {
        chain.push_back(widget);
        guiGlyph* hit = nullptr;
        for (guiGlyph* glyph = widget->GetParent(); glyph != nullptr && glyph != this;
             glyph = glyph->GetParent())
        {
            guiWidget* member = glyph->DynamicCast<guiWidget>();
            if (member != nullptr && member->HitTest(point, hit))
                chain.push_back(member);
        }
    }
    const std::vector<guiWidget*> old = m_HoverChain;
    m_HoverChain = chain;
    for (guiWidget* member : chain)
        if (!Contains(old, member))
            member->OnMouseEnter();
    for (guiWidget* member : old)
        if (!Contains(chain, member))
            member->OnMouseLeave();
}
