#include "engine/gui/guiTextBox.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiClipStack.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiOriginStack.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiRenderContext.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/gui/guiWidgetFactoryFor.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <ostream>
#include <sstream>

using guiPropertyText::Parse;
using guiPropertyText::ParseBool;

namespace
{

const guiWidgetFactoryFor<guiTextBox> s_Factory;

// A blink rate far below a frame would flip the caret endlessly; past this many flips the rest is dropped.
constexpr int kMaxBlinkFlips = 64;

const kaFont* FontOf(const guiText* text)
{
    return g_pGraphicsManager != nullptr && text != nullptr ? g_pGraphicsManager->GetFont(text->GetFontName())
                                                            : nullptr;
}

void TreeOrder(guiGlyph* glyph, std::vector<const guiGlyph*>& order)
{
    order.push_back(glyph);
    for (int i = 0; i < glyph->GetChildCount(); ++i)
        TreeOrder(glyph->GetChild(i), order);
}

} // namespace

const kaColor guiTextBox::kSelectionColor = kaColor::kaColorClamped(0.0f, 1.0f, 0.0f, 0.5f);

const kaClassInfo& guiTextBox::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kTextBoxClass);
}

guiTextBox::guiTextBox(const guiTextBoxParams& params)
{
    m_Name = params.name;
    m_Alignment = params.alignment;
    m_Scrollable = params.scrollable;
    m_Editable = params.editable;
    m_CaretVisible = m_Editable;
    SetPosition(params.position);
    _Init(params.font, params.foreColor, params.text);
    SetSize(params.size);
    m_Prompt = !m_Text.empty();
}

guiTextBox::guiTextBox(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    _Init("System", kaColor(), std::string());
    SetSize(size);
}

guiTextBox::guiTextBox(std::istream& stream)
{
    _Init("System", kaColor(), std::string());
    guiTextBox::ReadText(stream);
}

guiTextBox::guiTextBox(kaBinaryStream& stream)
{
    _Init("System", kaColor(), std::string());
    guiTextBox::ReadBinary(stream);
}

guiTextBox::~guiTextBox() = default;

void guiTextBox::_Init(const std::string& font, const kaColor& color, const std::string& text)
{
    m_Text = text;
    m_InnerText = new guiText(font, text, guiCoordPair::Pixels(0, 0));
    m_InnerText->SetColor(color);
    m_InnerText->SetId(kInnerTextId);
    AddChild(m_InnerText);

    // Parts of the box's own making: never written to layouts.
    m_Caret = new guiText(font, "|", guiCoordPair::Pixels(0, 0));
    m_Caret->SetColor(color);
    m_Caret->SetSaveable(false);
    m_Caret->SetVisible(false);
    AddChild(m_Caret);

    m_SelectionGlyph = new guiImage(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(0, 0));
    m_SelectionGlyph->SetColor(kSelectionColor.r, kSelectionColor.g, kSelectionColor.b, kSelectionColor.a);
    m_SelectionGlyph->SetAlpha(true);
    m_SelectionGlyph->SetSaveable(false);
    m_SelectionGlyph->SetVisible(false);
    AddChild(m_SelectionGlyph);
}

int guiTextBox::RemoveChild(guiGlyph* child)
{
    if (child != nullptr && child == m_InnerText)
        m_InnerText = nullptr;
    if (child != nullptr && child == m_Caret)
        m_Caret = nullptr;
    if (child != nullptr && child == m_SelectionGlyph)
        m_SelectionGlyph = nullptr;
    return guiWidget::RemoveChild(child);
}

void guiTextBox::SetSize(const guiCoordPair& size)
{
    guiWidget::SetSize(size);
    _AlignText();
}

void guiTextBox::SetOwnerWindow(guiWindow* window)
{
    if (m_FocusWindow != nullptr && m_FocusWindow != window)
        _LeaveFocusOrder(m_FocusWindow);
    guiWidget::SetOwnerWindow(window);
    if (window != nullptr && m_Editable && m_FocusWindow != window)
        _JoinFocusOrder(window);
}

void guiTextBox::_JoinFocusOrder(guiWindow* window)
{
    std::vector<guiWidget*> order = window->GetFocusOrder();
    if (std::find(order.begin(), order.end(), this) == order.end())
    {
        // Placed before the first member that comes later in the window's tree; a box not yet reachable
        // from the window (it is being added) goes last, which is its place when trees are built in order.
        std::vector<const guiGlyph*> tree;
        TreeOrder(window, tree);
        auto indexOf = [&tree](const guiGlyph* glyph)
        {
            const auto found = std::find(tree.begin(), tree.end(), glyph);
            return found == tree.end() ? -1 : static_cast<int>(found - tree.begin());
        };
        const int mine = indexOf(this);
        auto at = order.end();
        if (mine >= 0)
            at = std::find_if(order.begin(), order.end(),
                              [&indexOf, mine](const guiWidget* member) { return indexOf(member) > mine; });
        order.insert(at, this);
        window->SetFocusOrder(order);
    }
    m_FocusWindow = window;
}

void guiTextBox::_LeaveFocusOrder(guiWindow* window)
{
    std::vector<guiWidget*> order = window->GetFocusOrder();
    order.erase(std::remove(order.begin(), order.end(), this), order.end());
    window->SetFocusOrder(order);
    if (m_FocusWindow == window)
        m_FocusWindow = nullptr;
}

void guiTextBox::SetEditable(bool editable)
{
    if (editable == m_Editable)
        return;
    m_Editable = editable;
    if (!editable && m_FocusWindow != nullptr)
        _LeaveFocusOrder(m_FocusWindow);
    else if (editable && m_OwnerWindow != nullptr)
        _JoinFocusOrder(m_OwnerWindow);
    SetDirty(true);
}

void guiTextBox::SetMultiLine(bool multiLine)
{
    m_MultiLine = multiLine;
    if (m_InnerText != nullptr)
        m_InnerText->SetWordWrap(multiLine);
    SetDirty(true);
}

void guiTextBox::SetBuffer(int32_t buffer)
{
    m_Buffer = buffer;
    SetDirty(true);
}

void guiTextBox::SetAlignment(int32_t flags)
{
    m_Alignment = flags;
    SetDirty(true);
}

void guiTextBox::SetText(const std::string& text, int32_t caret)
{
    m_Text = text;
    m_Prompt = false;
    if (m_InnerText != nullptr)
        m_InnerText->SetText(text);
    m_CaretPos = caret;
    _ClampToText();
    SetDirty(true);
}

void guiTextBox::SetTextColor(const kaColor& color)
{
    if (m_InnerText != nullptr)
        m_InnerText->SetColor(color);
    if (m_Caret != nullptr)
        m_Caret->SetColor(color);
    SetDirty(true);
}

void guiTextBox::SetFont(const std::string& name)
{
    if (m_InnerText != nullptr)
        m_InnerText->SetFont(name);
    if (m_Caret != nullptr)
        m_Caret->SetFont(name);
    SetDirty(true);
}

void guiTextBox::_ClampToText()
{
    const auto length = static_cast<int32_t>(std::min<std::size_t>(m_Text.size(), INT32_MAX));
    m_CaretPos = std::clamp(m_CaretPos, 0, length);
    if (HasSelection())
    {
        m_SelAnchor = std::min(m_SelAnchor, length);
        m_SelEnd = std::min(m_SelEnd, length);
    }
    else
    {
        m_SelAnchor = -1;
        m_SelEnd = -1;
    }
}

void guiTextBox::SelectText(const std::string& text)
{
    const std::size_t found = text.empty() ? std::string::npos : m_Text.find(text);
    if (found == std::string::npos)
    {
        m_SelAnchor = -1;
        m_SelEnd = -1;
    }
    else
    {
        m_SelAnchor = static_cast<int32_t>(found);
        m_SelEnd = static_cast<int32_t>(found + text.size());
    }
    _UpdateSelection();
}

void guiTextBox::SetPrompt(const std::string& text)
{
    SetText(text, 0);
    m_Prompt = true;
    // A box that already has the focus takes the prompt as if the focus came now: selected, and the next
    // click is the first.
    if (m_HasFocus)
    {
        m_ClickedSinceFocus = false;
        m_DragFrom = -1;
        if (ShowsPrompt())
            _SelectPrompt();
    }
}

bool guiTextBox::ShowsPrompt() const
{
    return m_Editable && m_Prompt && !m_Text.empty();
}

void guiTextBox::_SelectPrompt()
{
    const auto length = static_cast<int32_t>(std::min<std::size_t>(m_Text.size(), INT32_MAX));
    m_SelAnchor = 0;
    m_SelEnd = length;
    m_CaretPos = length;
    _UpdateSelection();
    SetDirty(true);
}

void guiTextBox::_DropSelection()
{
    SelectText(std::string());
}

void guiTextBox::_EraseSelection()
{
    const int32_t first = std::min(m_SelAnchor, m_SelEnd);
    const int32_t last = std::max(m_SelAnchor, m_SelEnd);
    m_Text.erase(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
    m_CaretPos = first;
}

void guiTextBox::_LayoutNow() const
{
    if (m_InnerText == nullptr || !m_InnerText->IsDirty())
        return;
    // The clip the text was drawn under: the box's own, narrowed by the buffer.
    platform::Rect clip = m_HitRect;
    const int32_t buffer = std::max(m_Buffer, 0);
    clip.left = gui::ClampToInt(int64_t(clip.left) + buffer);
    clip.right = gui::ClampToInt(int64_t(clip.right) - buffer);
    guiClipStack& clips = guiClipStack::Get();
    clips.PushCopy();
    clips.ReplaceTop(clip);
    guiRenderContext context;
    m_InnerText->PreRender(context);
    clips.Pop();
}

int32_t guiTextBox::_LineHeight() const
{
    const kaFont* font = FontOf(m_InnerText);
    return font != nullptr ? font->GetLineHeight() : 0;
}

std::vector<guiTextBox::Cell> guiTextBox::_Cells() const
{
    std::vector<Cell> cells;
    if (m_InnerText == nullptr)
        return cells;
    _LayoutNow();
    const kaFont* font = FontOf(m_InnerText);
    const int32_t lineHeight = _LineHeight();
    const auto& records = m_InnerText->GetCharRecords();
    const std::string& text = m_InnerText->GetText();
    const kaPoint origin = gui::AddPixels(m_InnerText->GetDrawingOrigin(), m_InnerText->GetPixelPosition());
    kaPoint pen = origin;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        Cell cell;
        cell.x = pen.x;
        cell.y = pen.y;
        float u0, v0, u1, v1, width, height;
        int32_t advance = 0, bearingX = 0, bearingY = 0;
        if (i < records.size() && records[i].lineEnd)
        {
            cell.x = gui::TruncateToInt(records[i].left);
            cell.y = gui::TruncateToInt(records[i].top);
            cell.lineEnd = true;
            pen = kaPoint(origin.x, gui::ClampToInt(int64_t(cell.y) + lineHeight));
        }
        else if (i < records.size() && font != nullptr &&
                 font->GetGlyphMetrics(text[i], u0, v0, u1, v1, width, height, advance, bearingX, bearingY))
        {
            // The record stands at the pen moved by the glyph's offsets; take them off again.
            cell.x = gui::ClampToInt(int64_t(gui::TruncateToInt(records[i].left)) - bearingX);
            cell.y = gui::ClampToInt(int64_t(gui::TruncateToInt(records[i].top)) + bearingY + font->GetTop());
            cell.advance = advance;
            pen = kaPoint(gui::ClampToInt(int64_t(cell.x) + advance), cell.y);
        }
        cells.push_back(cell);
    }
    return cells;
}

kaPoint guiTextBox::GetCharacterPosition(int32_t index) const
{
    const std::vector<Cell> cells = _Cells();
    if (index >= 0 && index < static_cast<int32_t>(cells.size()))
        return kaPoint(cells[static_cast<std::size_t>(index)].x, cells[static_cast<std::size_t>(index)].y);
    if (cells.empty())
        return m_InnerText != nullptr
                   ? gui::AddPixels(m_InnerText->GetDrawingOrigin(), m_InnerText->GetPixelPosition())
                   : kaPoint();
    const Cell& last = cells.back();
    if (last.lineEnd)
    {
        const kaPoint origin =
            gui::AddPixels(m_InnerText->GetDrawingOrigin(), m_InnerText->GetPixelPosition());
        return kaPoint(origin.x, gui::ClampToInt(int64_t(last.y) + _LineHeight()));
    }
    return kaPoint(gui::ClampToInt(int64_t(last.x) + last.advance), last.y);
}

int32_t guiTextBox::GetCharacterAt(const kaPoint& point) const
{
    std::vector<Cell> cells = _Cells();
    const auto length = static_cast<int32_t>(cells.size());
    Cell end;
    const kaPoint after = GetCharacterPosition(length);
    end.x = after.x;
    end.y = after.y;
    end.lineEnd = true;
    cells.push_back(end);
    // The line: the lowest whose top is not below the point, else the first.
    int32_t line = cells.front().y;
    for (const Cell& cell : cells)
        if (cell.y <= point.y)
            line = std::max(line, cell.y);
    int32_t lastOnLine = -1;
    for (int32_t k = 0; k <= length; ++k)
    {
        const Cell& cell = cells[static_cast<std::size_t>(k)];
        if (cell.y != line)
            continue;
        if (cell.lineEnd || point.x < int64_t(cell.x) + cell.advance)
            return k;
        lastOnLine = k;
    }
    return std::min(lastOnLine + 1, length);
}

int32_t guiTextBox::_CaretX() const
{
    if (m_InnerText == nullptr)
        return 0;
    const std::size_t caret = static_cast<std::size_t>(m_CaretPos);
    const std::size_t lineStart = caret == 0 ? 0 : m_Text.rfind('\n', caret - 1);
    const std::size_t from = lineStart == std::string::npos ? 0 : (caret == 0 ? 0 : lineStart + 1);
    const platform::Rect measured = m_InnerText->MeasureText(m_Text.substr(from, caret - from));
    return gui::ClampToInt(int64_t(m_InnerText->GetPixelPosition().x) + measured.right);
}

void guiTextBox::_AlignText()
{
    if (m_InnerText == nullptr)
        return;
    const int32_t buffer = std::max(m_Buffer, 0);
    const int64_t width = std::max<int64_t>(int64_t(m_PixelSize.x) - 2 * int64_t(buffer), 0);
    const int64_t height = m_PixelSize.y;
    int64_t textWidth = 0;
    int64_t lines = 0;
    for (std::size_t from = 0; from <= m_Text.size(); ++lines)
    {
        std::size_t end = m_Text.find('\n', from);
        if (end == std::string::npos)
            end = m_Text.size();
        textWidth =
            std::max<int64_t>(textWidth, m_InnerText->MeasureText(m_Text.substr(from, end - from)).right);
        from = end + 1;
    }
    const int64_t textHeight = lines * _LineHeight();
    int64_t x = m_InnerText->GetPixelPosition().x;
    if (m_Alignment & kAlignCentreX)
        x = (width - textWidth) / 2;
    else if (m_Alignment & kAlignRight)
        x = width - textWidth;
    else if (textWidth <= width)
        x = 0;
    int64_t y = 0;
    if (m_Alignment & kAlignCentreY)
        y = (height - textHeight) / 2;
    else if (m_Alignment & kAlignBottom)
        y = height - textHeight;
    m_InnerText->SetPosition(guiCoordPair::Pixels(static_cast<float>(x), static_cast<float>(y)));
}

void guiTextBox::ScrollToCaret()
{
    if (m_InnerText == nullptr)
        return;
    const int32_t buffer = std::max(m_Buffer, 0);
    const int64_t width = std::max<int64_t>(int64_t(m_PixelSize.x) - 2 * int64_t(buffer), 0);
    const std::vector<Cell> cells = _Cells();
    const int64_t left = GetCharacterPosition(m_CaretPos).x - int64_t(m_InnerText->GetDrawingOrigin().x);
    int64_t advance =
        m_CaretPos < static_cast<int32_t>(cells.size()) ? cells[std::size_t(m_CaretPos)].advance : 0;
    if (m_Caret != nullptr)
        advance = std::max<int64_t>(advance, m_Caret->GetCharAdvance('|'));
    int64_t shift = 0;
    if (left < 0)
        shift = -left;
    else if (left + advance > width)
        shift = width - (left + advance);
    if (shift == 0)
        return;
    const guiCoordPair& at = m_InnerText->GetPosition();
    const int64_t x = int64_t(m_InnerText->GetPixelPosition().x) + shift;
    m_InnerText->SetPosition(guiCoordPair::Pixels(static_cast<float>(x), at.y.value));
    _LayoutNow();
}

void guiTextBox::_UpdateSelection()
{
    if (m_SelectionGlyph == nullptr)
        return;
    if (!HasSelection() || m_SelAnchor == m_SelEnd || m_InnerText == nullptr)
    {
        m_SelectionGlyph->SetVisible(false);
        return;
    }
    const kaPoint origin = m_InnerText->GetDrawingOrigin();
    const kaPoint first = GetCharacterPosition(std::min(m_SelAnchor, m_SelEnd));
    const kaPoint last = GetCharacterPosition(std::max(m_SelAnchor, m_SelEnd));
    const float width =
        last.y == first.y ? static_cast<float>(std::max<int64_t>(int64_t(last.x) - first.x, 0)) : 0.0f;
    m_SelectionGlyph->SetPosition(guiCoordPair::Pixels(static_cast<float>(int64_t(first.x) - origin.x),
                                                       static_cast<float>(int64_t(first.y) - origin.y)));
    m_SelectionGlyph->SetSize(guiCoordPair::Pixels(width, static_cast<float>(_LineHeight())));
    m_SelectionGlyph->SetDirty(true);
    m_SelectionGlyph->SetVisible(true);
}

bool guiTextBox::PreRender(guiRenderContext& context)
{
    if (m_Dirty)
        _AlignText();
    if (m_Editable && m_BlinkRate > 0.0f)
    {
        m_BlinkTimer += context.frameTime;
        for (int flips = 0; m_BlinkTimer > m_BlinkRate && flips < kMaxBlinkFlips; ++flips)
        {
            m_CaretVisible = !m_CaretVisible;
            m_BlinkTimer -= m_BlinkRate;
        }
        if (!(m_BlinkTimer <= m_BlinkRate))
            m_BlinkTimer = 0.0f;
    }
    m_BufferPushed = m_Buffer > 0;
    if (m_BufferPushed)
    {
        guiOriginStack& origins = guiOriginStack::Get();
        const kaPoint at = origins.Top();
        platform::Rect clip;
        clip.left = gui::ClampToInt(int64_t(at.x) + m_Buffer);
        clip.top = at.y;
        clip.right = gui::ClampToInt(int64_t(at.x) + m_PixelSize.x - m_Buffer);
        clip.bottom = gui::ClampToInt(int64_t(at.y) + m_PixelSize.y);
        guiClipStack& clips = guiClipStack::Get();
        clips.PushCopy();
        clips.IntersectTop(clip);
        origins.PushCopy();
        origins.Translate(kaPoint(m_Buffer, 0));
    }
    // Drawn by PostRender when it shows, over the text.
    if (m_Caret != nullptr)
        m_Caret->SetVisible(false);
    return guiWidget::PreRender(context);
}

void guiTextBox::PostRender(guiRenderContext& context)
{
    if (m_Dirty && m_Editable)
    {
        ScrollToCaret();
        _UpdateSelection();
    }
    m_CaretShown = m_Editable && m_CaretVisible && m_HasFocus && m_Caret != nullptr;
    if (m_CaretShown)
    {
        const kaPoint at = GetCharacterPosition(m_CaretPos);
        const kaPoint origin = guiOriginStack::Get().Top();
        m_Caret->SetPosition(guiCoordPair::Pixels(static_cast<float>(int64_t(at.x) - origin.x),
                                                  static_cast<float>(int64_t(at.y) - origin.y)));
        m_Caret->SetVisible(true);
        DrawTree(m_Caret, context);
    }
    if (m_BufferPushed)
    {
        guiOriginStack::Get().Pop();
        guiClipStack::Get().Pop();
        m_BufferPushed = false;
    }
    m_EditCount = 0;
    guiWidget::PostRender(context);
}

void guiTextBox::OnFocusGained()
{
    m_CaretVisible = true;
    m_BlinkTimer = 0.0f;
    guiWidget::OnFocusGained();
    m_ClickedSinceFocus = false;
    if (ShowsPrompt())
        _SelectPrompt();
}

void guiTextBox::OnFocusLost()
{
    guiWidget::OnFocusLost();
    m_ClickedSinceFocus = false;
    m_DragFrom = -1;
    _DropSelection();
    _Commit();
}

void guiTextBox::_Commit()
{
    if (!m_Changed)
        return;
    // Cleared first: a handler that moves the focus again must not commit twice.
    m_Changed = false;
    FireEvent(guiMsgEvent(gui::kEventValueChanged, this, m_Text, ka::any(m_Text)));
}

void guiTextBox::_FocusOn()
{
    guiWindow* window = GetOwnerWindow();
    if (window == nullptr)
        return;
    const std::vector<guiWidget*>& order = window->GetFocusOrder();
    const auto found = std::find(order.begin(), order.end(), this);
    const bool hasNext = found == order.end() ? !order.empty() : found + 1 != order.end();
    if (hasNext)
        window->FocusNext();
    else
        window->SetFocus(nullptr);
}

bool guiTextBox::OnKey(const guiMsgKey& message)
{
    if (!m_Editable)
        return guiWidget::OnKey(message);
    const std::string before = m_Text;
    const auto length = [this] { return static_cast<int32_t>(m_Text.size()); };
    m_DragFrom = -1;
    const bool shift = message.shift != 0;
    bool handled = true;
    _ClampToText();

    if (!message.virtualKey && message.key >= 32)
    {
        const char c = static_cast<char>(message.key);
        if (m_Refused.find(c) != std::string::npos)
            return guiWidget::OnKey(message);
        const int64_t innerWidth =
            std::max<int64_t>(int64_t(m_PixelSize.x) - 2 * int64_t(std::max(m_Buffer, 0)), 0);
        if (HasSelection() && m_SelAnchor != m_SelEnd)
        {
            _EraseSelection();
            m_Text.insert(static_cast<std::size_t>(m_CaretPos), 1, c);
            ++m_CaretPos;
            ++m_EditCount;
        }
        else if (m_MaxChars != 0 && length() >= m_MaxChars - 1)
        {
        }
        else if (m_Scrollable || m_MultiLine ||
                 int64_t(_CaretX()) + (m_InnerText != nullptr ? m_InnerText->GetCharAdvance(c) : 0) <=
                     innerWidth)
        {
            m_Text.insert(static_cast<std::size_t>(m_CaretPos), 1, c);
            ++m_CaretPos;
            ++m_EditCount;
        }
        if (m_Text != before && m_InnerText != nullptr)
            m_InnerText->SetText(m_Text);
        _DropSelection();
    }
    else
    {
        switch (message.key)
        {
        case kKeyBackspace:
            if (HasSelection() && m_SelAnchor != m_SelEnd)
                _EraseSelection();
            else if (m_CaretPos > 0)
                m_Text.erase(static_cast<std::size_t>(--m_CaretPos), 1);
            _DropSelection();
            break;
        case kKeyDelete:
            if (HasSelection() && m_SelAnchor != m_SelEnd)
                _EraseSelection();
            else if (m_CaretPos < length())
                m_Text.erase(static_cast<std::size_t>(m_CaretPos), 1);
            _DropSelection();
            break;
        case kKeyTab:
        case kKeyEnter:
            m_Changed = true;
            _FocusOn();
            break;
        case kKeyEnd:
            if (shift)
            {
                if (!HasSelection())
                    m_SelAnchor = m_CaretPos;
                m_SelEnd = length();
                m_CaretPos = length();
                _UpdateSelection();
            }
            else
            {
                m_CaretPos = length();
                _DropSelection();
            }
            break;
        case kKeyHome:
            if (shift)
            {
                if (!HasSelection())
                {
                    m_SelAnchor = 0;
                    m_SelEnd = m_CaretPos;
                }
                else
                    m_SelEnd = 0;
                m_CaretPos = 0;
                _UpdateSelection();
            }
            else
            {
                m_CaretPos = 0;
                _DropSelection();
            }
            break;
        case kKeyLeft:
        case kKeyRight:
        {
            const int32_t step = message.key == kKeyLeft ? -1 : 1;
            if (shift)
            {
                if (!HasSelection())
                    m_SelAnchor = m_CaretPos;
                m_CaretPos = std::clamp(m_CaretPos + step, 0, length());
                m_SelEnd = m_CaretPos;
                _UpdateSelection();
            }
            else
            {
                if (HasSelection() && m_SelAnchor != m_SelEnd)
                    m_CaretPos = step < 0 ? std::min(m_SelAnchor, m_SelEnd) : std::max(m_SelAnchor, m_SelEnd);
                else
                    m_CaretPos = std::clamp(m_CaretPos + step, 0, length());
                _DropSelection();
            }
            break;
        }
        case kKeyUp:
        case kKeyDown:
        {
            const std::vector<Cell> cells = _Cells();
            const kaPoint at = GetCharacterPosition(m_CaretPos);
            const auto count = static_cast<int32_t>(cells.size());
            if (message.key == kKeyUp)
            {
                for (int32_t k = std::min(m_CaretPos, count) - 1; k >= 0; --k)
                    if (cells[std::size_t(k)].y < at.y && cells[std::size_t(k)].x <= at.x)
                    {
                        m_CaretPos = k;
                        break;
                    }
            }
            else
            {
                int32_t target = length();
                for (int32_t k = m_CaretPos + 1; k < count; ++k)
                    if (cells[std::size_t(k)].y > at.y && cells[std::size_t(k)].x >= at.x)
                    {
                        target = k;
                        break;
                    }
                m_CaretPos = target;
            }
            _DropSelection();
            guiWidget::OnKey(message);
            break;
        }
        default:
            handled = guiWidget::OnKey(message);
            break;
        }
        if (m_Text != before && m_InnerText != nullptr)
            m_InnerText->SetText(m_Text);
    }
    _ClampToText();
    if (m_Text != before)
    {
        m_Changed = true;
        m_Prompt = false;
    }
    SetDirty(true);
    return handled;
}

bool guiTextBox::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    if (button != 0 || !m_Editable)
        return guiWidget::OnMouseDown(button, data);
    guiWidget::OnMouseDown(button, data);
    m_CaretPos = GetCharacterAt(kaPoint(data.x, data.y));
    _DropSelection();
    m_SelAnchor = m_CaretPos;
    m_SelEnd = m_CaretPos;
    m_DragFrom = -1;
    // The first click into a prompt (the focus may have come with its window) leaves it selected, wherever
    // in the box it lands, so that the first key replaces it; a drag from the click still selects from where
    // it was pressed, and a second click puts the caret.
    if (!m_ClickedSinceFocus && ShowsPrompt())
    {
        m_DragFrom = m_CaretPos;
        _SelectPrompt();
    }
    m_ClickedSinceFocus = true;
    SetDirty(true);
    return true;
}

bool guiTextBox::OnMouseMove(const guiMsgMouse& message)
{
    if (message.data.buttons[0] && m_Editable && m_HasFocus)
    {
        const int32_t at = GetCharacterAt(kaPoint(message.data.x, message.data.y));
        if (m_DragFrom >= 0)
        {
            m_SelAnchor = m_DragFrom;
            m_DragFrom = -1;
        }
        if (!HasSelection())
            m_SelAnchor = at;
        // Selections stay on one line.
        if (GetCharacterPosition(m_SelAnchor).y != GetCharacterPosition(at).y)
            m_SelAnchor = at;
        m_SelEnd = at;
        _UpdateSelection();
        m_CaretPos = m_SelEnd;
        if (g_pGuiManager != nullptr)
            g_pGuiManager->MoveCursor(0, gui::ClampToInt(-int64_t(gui::TruncateToInt(message.deltaY))));
        m_LastDrag = gui::TruncateToInt(message.deltaX);
    }
    else
        m_LastDrag = 0;
    return guiWidget::OnMouseMove(message);
}

void guiTextBox::OnMouseLeave()
{
    if (HasSelection() && m_LastDrag != 0)
    {
        m_SelEnd = m_LastDrag < 0 ? 0 : static_cast<int32_t>(m_Text.size());
        _UpdateSelection();
        m_CaretPos = m_SelEnd;
    }
    guiWidget::OnMouseLeave();
}

void guiTextBox::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Scrollable", m_Scrollable);
    gui::WriteTextField(stream, "Editable", m_Editable);
    gui::WriteTextField(stream, "MultiLine", m_MultiLine);
    gui::WriteTextField(stream, "Buffer", m_Buffer);
    gui::WriteTextField(stream, "BlinkRate", m_BlinkRate);
    gui::WriteTextField(stream, "MaxCharacters", m_MaxChars);
    gui::WriteTextField(stream, "Alignment", m_Alignment);
    stream << "Text " << (m_InnerText != nullptr ? "true" : "false");
    if (m_InnerText != nullptr)
        stream << ' ' << m_InnerText->GetId();
    stream << '\n';
    guiWidget::WriteText(stream);
}

void guiTextBox::ReadText(std::istream& stream)
{
    const float version = gui::GetLayoutVersion();
    gui::ReadTextField(stream, m_Scrollable);
    gui::ReadTextField(stream, m_Editable);
    if (version >= kMultiLineVersion)
        gui::ReadTextField(stream, m_MultiLine);
    if (version >= kBufferVersion)
        gui::ReadTextField(stream, m_Buffer);
    gui::ReadTextField(stream, m_BlinkRate);
    gui::ReadTextField(stream, m_MaxChars);
    gui::ReadTextField(stream, m_Alignment);
    std::string key;
    bool named = false;
    int32_t reference = -1;
    stream >> key >> std::boolalpha >> named;
    if (!stream || (named && !(stream >> reference)))
        named = false;
    const int first = GetChildCount();
    guiWidget::ReadText(stream);
    _AdoptInnerText(named, reference, first);
    m_Prompt = !m_Text.empty();
}

void guiTextBox::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_Scrollable);
    stream.WriteBool(m_Editable);
    stream.WriteBool(m_MultiLine);
    stream.WriteInt32(m_Buffer);
    stream.WriteFloat(m_BlinkRate);
    stream.WriteInt32(m_MaxChars);
    stream.WriteInt32(m_Alignment);
    stream.WriteBool(m_InnerText != nullptr);
    if (m_InnerText != nullptr)
        stream.WriteInt32(m_InnerText->GetId());
    guiWidget::WriteBinary(stream);
}

void guiTextBox::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadBool(m_Scrollable);
    stream.ReadBool(m_Editable);
    if (gui::GetLayoutVersion() >= kBinaryExtrasVersion)
    {
        stream.ReadBool(m_MultiLine);
        stream.ReadInt32(m_Buffer);
    }
    stream.ReadFloat(m_BlinkRate);
    stream.ReadInt32(m_MaxChars);
    stream.ReadInt32(m_Alignment);
    bool named = false;
    int32_t reference = -1;
    stream.ReadBool(named);
    if (named)
        stream.ReadInt32(reference);
    const int first = GetChildCount();
    guiWidget::ReadBinary(stream);
    _AdoptInnerText(named, reference, first);
    m_Prompt = !m_Text.empty();
}

void guiTextBox::_AdoptInnerText(bool named, int32_t reference, int first)
{
    // A reference that names no text glyph keeps the text the constructor made, so the box always has one.
    guiText* found = nullptr;
    if (named && gui::GetLayoutVersion() >= kTextIdVersion)
    {
        for (int i = first; i < GetChildCount() && found == nullptr; ++i)
            if (GetChild(i)->GetId() == reference)
                found = GetChild(i)->DynamicCast<guiText>();
    }
    else if (named && reference >= 0 && reference < GetChildCount() - first)
    {
        found = GetChild(first + reference)->DynamicCast<guiText>();
        if (found != nullptr)
            found->SetId(kInnerTextId);
    }
    if (found != nullptr && found != m_InnerText)
    {
        guiText* made = m_InnerText;
        m_InnerText = found;
        if (made != nullptr)
            guiWidget::RemoveChild(made);
    }
    if (m_InnerText != nullptr)
    {
        m_Text = m_InnerText->GetText();
        m_InnerText->SetWordWrap(m_MultiLine);
        if (m_Caret != nullptr)
        {
            m_Caret->SetFont(m_InnerText->GetFontName());
            m_Caret->SetColor(m_InnerText->GetColor());
        }
    }
    m_CaretVisible = m_Editable;
    _ClampToText();
    SetDirty(true);
}

void guiTextBox::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertInt("Buffer", m_Buffer);
    sheet.InsertBool("MultiLine", m_MultiLine);
    sheet.InsertBool("Editable", m_Editable);
    sheet.InsertBool("Scrollable", m_Scrollable);
    sheet.InsertAlignment("Alignment", m_Alignment);
    sheet.InsertInt("MaxChars", m_MaxChars);
    sheet.InsertFontName("Font", m_InnerText != nullptr ? m_InnerText->GetFontName() : std::string("System"));
    sheet.InsertString("Text", m_Text);
    guiWidget::GetProperties(sheet);
}

void guiTextBox::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Text"))
        SetText(entry->text, m_CaretPos);
    if (const GuiParamTable::Entry* entry = sheet.Find("Font"))
        SetFont(GuiParamTable::FontName(entry->text));
    if (const GuiParamTable::Entry* entry = sheet.Find("MaxChars"))
        Parse(entry->text, m_MaxChars);
    if (const GuiParamTable::Entry* entry = sheet.Find("Alignment"))
    {
        int32_t flags = m_Alignment;
        if (Parse(entry->text, flags))
            SetAlignment(flags);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Scrollable"))
        ParseBool(entry->text, m_Scrollable);
    if (const GuiParamTable::Entry* entry = sheet.Find("Editable"))
    {
        bool editable = m_Editable;
        if (ParseBool(entry->text, editable))
            SetEditable(editable);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("MultiLine"))
    {
        bool multiLine = m_MultiLine;
        if (ParseBool(entry->text, multiLine))
            SetMultiLine(multiLine);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("Buffer"))
    {
        int32_t buffer = m_Buffer;
        if (Parse(entry->text, buffer))
            SetBuffer(buffer);
    }
    guiWidget::SetProperties(sheet);
}
