#include "engine/gui/guiWidget.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiClipStack.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWindow.h"

const kaClassInfo& guiWidget::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kWidgetClass);
}

guiWidget::guiWidget()
{
    m_ClipMode = kClipToParent;
}

guiWidget::guiWidget(const std::string& name) : guiWidget()
{
    m_Name = name;
}

guiWidget::~guiWidget() = default;

bool guiWidget::HitTest(const kaPoint& point, guiGlyph*& out)
{
    if (!m_Visible || m_HitListExcluded)
        return false;
    if (!platform::PtInRect(m_HitRect, platform::Point{point.x, point.y}))
        return false;
    out = this;
    return true;
}

void guiWidget::SetPosition(const guiCoordPair& position)
{
    if (position != m_Position)
        SetDirty(true);
    guiGlyph::SetPosition(position);
}

void guiWidget::SetSize(const guiCoordPair& size)
{
    if (size != m_Size)
        SetDirty(true);
    guiGlyph::SetSize(size);
}

void guiWidget::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "PassMouse", m_PassMouse);
    // The text form keeps one field a line: a line break in the notes would end them early.
    gui::WriteTextField(stream, "Notes", gui::EscapeNewlines(m_Notes));
    guiGlyph::WriteText(stream);
}

void guiWidget::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_PassMouse);
    std::string notes = gui::EscapeNewlines(m_Notes);
    gui::ReadTextField(stream, notes);
    m_Notes = gui::UnescapeNewlines(notes);
    guiGlyph::ReadText(stream);
}

void guiWidget::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_PassMouse);
    stream.WriteString(m_Notes);
    guiGlyph::WriteBinary(stream);
}

void guiWidget::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadBool(m_PassMouse);
    gui::ReadBinaryString(stream, m_Notes);
    guiGlyph::ReadBinary(stream);
}

void guiWidget::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertString("Notes", m_Notes);
    guiGlyph::GetProperties(sheet);
}

void guiWidget::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Notes"))
        m_Notes = entry->text;
    guiGlyph::SetProperties(sheet);
}

void guiWidget::Render(guiRenderContext& context)
{
    guiGlyph::Render(context);
    m_HitRect = guiClipStack::Get().Top();
}

void guiWidget::OnFocusGained()
{
    m_HasFocus = true;
    FireEvent(guiMsgEvent(gui::kEventFocusChanged, this, "1", ka::any(true)));
}

void guiWidget::OnFocusLost()
{
    m_HasFocus = false;
    FireEvent(guiMsgEvent(gui::kEventFocusChanged, this, "0", ka::any(false)));
}

bool guiWidget::OnMouseMove(const guiMsgMouse& message)
{
    guiWidget* enclosing = m_PassMouse ? GetEnclosingWidget() : nullptr;
    guiGlyph* hit = nullptr;
    if (enclosing != nullptr && enclosing->HitTest(kaPoint(message.data.x, message.data.y), hit))
        return enclosing->OnMouseMove(message);
    return true;
}

bool guiWidget::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    if (button == 0)
        FireEvent(guiMsgEvent(gui::kEventButton0Down, this));
    else if (button == 2)
        FireEvent(guiMsgEvent(gui::kEventButton2Down, this));
    guiWidget* enclosing = m_PassMouse ? GetEnclosingWidget() : nullptr;
    guiGlyph* hit = nullptr;
    if (enclosing != nullptr && enclosing->HitTest(kaPoint(data.x, data.y), hit))
        return enclosing->OnMouseDown(button, data);
    return true;
}

bool guiWidget::OnMouseUp(int32_t /*button*/, const gui::MouseData& /*data*/)
{
    return true;
}

bool guiWidget::OnKey(const guiMsgKey& message)
{
    guiWidget* enclosing = GetEnclosingWidget();
    return enclosing != nullptr && enclosing->OnKey(message);
}

void guiWidget::AddHandler(int32_t type, const Handler& handler)
{
    m_Handlers.emplace_back(type, handler);
}

bool guiWidget::FireEvent(const guiMsgEvent& message)
{
    // A handler may add handlers (or fire again) while the walk is on: it runs over the list as it was.
    const std::vector<std::pair<int32_t, Handler>> handlers = m_Handlers;
    bool handled = false;
    for (const auto& [type, handler] : handlers)
    {
        if (type != message.type || handler.empty())
            continue;
        const guiMsgEvent copy = message;
        handled = handler(copy) || handled;
    }
    return handled;
}

guiWidget* guiWidget::GetEnclosingWidget() const
{
    if (m_Parent == nullptr || m_Parent == static_cast<guiGlyph*>(m_OwnerWindow))
        return nullptr;
    return m_Parent->DynamicCast<guiWidget>();
}
