#include "engine/gui/guiDecorator.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiOriginStack.h"
#include "engine/gui/guiWindow.h"

#include <istream>
#include <ostream>

const kaClassInfo& guiDecorator::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kDecoratorClass);
}

guiDecorator::guiDecorator()
{
    // The decorator's own children share its parent's origin, and it never lists itself for drawing.
    m_MovesOrigin = false;
    m_HitListFlag = false;
}

guiDecorator::guiDecorator(guiWidget* component) : guiDecorator()
{
    guiDecorator::SetChild(component);
}

guiDecorator::~guiDecorator()
{
    _ReleaseComponent();
}

void guiDecorator::_ReleaseComponent()
{
    guiWidget* old = m_Component;
    if (old == nullptr)
        return;
    m_Component = nullptr;
    const bool mine = old->GetParent() == this;
    if (old->Release() == 0)
    {
        if (m_OwnerWindow != nullptr)
            m_OwnerWindow->ForgetWidget(old);
    }
    else if (mine)
    {
        _SetParentOf(*old, nullptr);
        old->SetOwnerWindow(nullptr);
    }
}

bool guiDecorator::AcceptsChild(guiWidget* /*widget*/)
{
    return true;
}

void guiDecorator::SetChild(guiWidget* widget)
{
    if (widget == m_Component)
        return;
    _ReleaseComponent();
    if (widget == nullptr)
        return;
    widget->AddRef();
    m_Component = widget;
    _SetParentOf(*widget, this);
    widget->SetTag(m_Reference);
    widget->SetOwnerWindow(m_OwnerWindow);
    // Through the decorator's own layering, which may stand the widget over or under its parts.
    SetLayer(m_Layer);
    const guiCoordPair size = widget->GetSize();
    guiWidget::SetPosition(widget->GetPosition());
    guiWidget::SetSize(size);
    if (widget->GetSize() != size)
        widget->SetSize(size);
    if (m_DeviceObjectsMade)
        widget->CreateDeviceObjectsAll();
}

void guiDecorator::_FitToComponent()
{
    if (m_Component == nullptr)
        return;
    if (m_Component->GetSize() != m_Size)
        guiWidget::SetSize(m_Component->GetSize());
    if (m_Component->GetPosition() != m_Position)
        guiWidget::SetPosition(m_Component->GetPosition());
}

void guiDecorator::_PushOwnOrigin() const
{
    guiOriginStack& origins = guiOriginStack::Get();
    origins.PushCopy();
    origins.Translate(m_PixelPosition);
}

void guiDecorator::_PopOwnOrigin()
{
    guiOriginStack::Get().Pop();
}

void guiDecorator::Draw()
{
    if (m_Component != nullptr)
        m_Component->Draw();
}

bool guiDecorator::QueryClass(const kaClassInfo& record, guiGlyph*& out)
{
    if (guiWidget::QueryClass(record, out))
        return true;
    return m_Component != nullptr && m_Component->QueryClass(record, out);
}

void guiDecorator::SetTag(guiGlyph* reference)
{
    guiWidget::SetTag(reference);
    if (m_Component != nullptr)
        m_Component->SetTag(reference);
}

guiGlyph* guiDecorator::FindChild(const std::string& name)
{
    if (guiGlyph* found = guiWidget::FindChild(name))
        return found;
    return m_Component != nullptr ? m_Component->FindChild(name) : nullptr;
}

guiGlyph* guiDecorator::FindChildById(int32_t id)
{
    if (guiGlyph* found = guiWidget::FindChildById(id))
        return found;
    return m_Component != nullptr ? m_Component->FindChildById(id) : nullptr;
}

void guiDecorator::SetOwnerWindow(guiWindow* window)
{
    guiWidget::SetOwnerWindow(window);
    if (m_Component != nullptr)
        m_Component->SetOwnerWindow(window);
}

void guiDecorator::SetSize(const guiCoordPair& size)
{
    guiWidget::SetSize(size);
    if (m_Component != nullptr && m_Component->GetSize() != size)
        m_Component->SetSize(size);
}

void guiDecorator::SetLayer(int32_t layer)
{
    guiWidget::SetLayer(layer);
    if (m_Component != nullptr)
        m_Component->SetLayer(layer);
}

void guiDecorator::SetDirty(bool dirty)
{
    if (m_Component != nullptr)
        m_Component->SetDirty(dirty);
    guiWidget::SetDirty(dirty);
}

bool guiDecorator::IsDirty() const
{
    return (m_Component != nullptr && m_Component->IsDirty()) || m_Dirty;
}

void guiDecorator::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Widget", m_Component != nullptr);
    if (m_Component != nullptr)
    {
        stream << m_Component->GetClassName() << '\n';
        m_Component->WriteText(stream);
    }
    guiWidget::WriteText(stream);
}

void guiDecorator::_TakeRead(guiGlyph* glyph)
{
    if (glyph == nullptr)
        return;
    // Held for the moment, so that a glyph nobody takes is destroyed by the release below.
    glyph->AddRef();
    if (gui::IsA(glyph->GetClassInfo(), guiWidget::StaticClassInfo()))
        SetChild(static_cast<guiWidget*>(glyph));
    glyph->Release();
}

void guiDecorator::ReadText(std::istream& stream)
{
    bool present = false;
    gui::ReadTextField(stream, present);
    if (present)
        _TakeRead(_ReadNestedText(stream));
    guiWidget::ReadText(stream);
}

void guiDecorator::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_Component != nullptr);
    if (m_Component != nullptr)
    {
        stream.WriteUInt32(m_Component->GetClassId());
        m_Component->WriteBinary(stream);
    }
    guiWidget::WriteBinary(stream);
}

void guiDecorator::ReadBinary(kaBinaryStream& stream)
{
    bool present = false;
    stream.ReadBool(present);
    if (present && !stream.Failed())
        _TakeRead(_ReadNestedBinary(stream));
    guiWidget::ReadBinary(stream);
}

void guiDecorator::CreateDeviceObjects()
{
    if (m_Component != nullptr)
        m_Component->CreateDeviceObjectsAll();
}

void guiDecorator::ReleaseDeviceObjects()
{
    if (m_Component != nullptr)
        m_Component->ReleaseDeviceObjectsAll();
}

void guiDecorator::RestoreDeviceObjects()
{
    if (m_Component != nullptr)
        m_Component->RestoreDeviceObjectsAll();
}

void guiDecorator::Render(guiRenderContext& context)
{
    if (m_Component != nullptr)
        SetVisible(m_Component->IsVisible());
    guiWidget::Render(context);
}

bool guiDecorator::PreRender(guiRenderContext& context)
{
    if (m_Component != nullptr)
        DrawTree(m_Component, context);
    return true;
}
