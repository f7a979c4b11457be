#include "engine/gui/guiBackground.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiBackground> s_Factory;

} // namespace

const kaClassInfo& guiBackground::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kBackgroundClass);
}

guiBackground::guiBackground(guiWidget* component, const guiImageParams& params) : guiDecorator(component)
{
    guiImageParams whole = params;
    whole.size = guiCoordPair::Relative(1.0f, 1.0f);
    m_Tiling = params.tiling;
    _FitToComponent();
    _AddImage(new guiImage(whole));
}

guiBackground::guiBackground(const guiCoordPair& /*position*/, const guiCoordPair& /*size*/)
{
    auto* image = new guiImage(guiCoordPair::Pixels(0, 0), guiCoordPair::Relative(1.0f, 1.0f));
    image->SetColor(0.5f, 0.5f, 0.0f, 0.5f);
    _AddImage(image);
}

guiBackground::guiBackground(std::istream& stream)
{
    guiBackground::ReadText(stream);
}

guiBackground::guiBackground(kaBinaryStream& stream)
{
    guiBackground::ReadBinary(stream);
}

void guiBackground::_AddImage(guiImage* image)
{
    m_Image = image;
    AddChild(image);
    SetLayer(m_Layer);
    if (m_Tiling)
        _Repeat();
}

void guiBackground::_Repeat()
{
    if (m_Image == nullptr)
        return;
    uint32_t width = 0;
    uint32_t height = 0;
    m_Image->GetTextureSize(width, height);
    if (width == 0 || height == 0)
        return;
    const kaPoint size = ToPixels(m_Size);
    m_Image->SetTexCoordExtent(static_cast<float>(size.x) / static_cast<float>(width),
                               static_cast<float>(size.y) / static_cast<float>(height));
}

void guiBackground::SetTiling(bool tiling)
{
    const bool was = m_Tiling;
    m_Tiling = tiling;
    if (was && !tiling && m_Image != nullptr && m_Image->GetTexture() != nullptr)
        m_Image->SetTexCoordExtent(1.0f, 1.0f);
    SetSize(m_Size);
}

void guiBackground::SetLayer(int32_t layer)
{
    guiWidget::SetLayer(layer);
    if (m_Image != nullptr)
        m_Image->SetLayer(layer);
    if (guiWidget* component = GetComponent())
        component->SetLayer(layer + 1);
}

void guiBackground::SetSize(const guiCoordPair& size)
{
    guiDecorator::SetSize(size);
    if (m_Tiling)
        _Repeat();
}

void guiBackground::Render(guiRenderContext& context)
{
    if (guiWidget* component = GetComponent())
    {
        if (component->GetSize() != m_Size)
            SetSize(component->GetSize());
        if (component->GetPosition() != m_Position)
            guiWidget::SetPosition(component->GetPosition());
    }
    guiDecorator::Render(context);
}

bool guiBackground::PreRender(guiRenderContext& context)
{
    guiDecorator::PreRender(context);
    _PushOwnOrigin();
    return true;
}

void guiBackground::PostRender(guiRenderContext& context)
{
    guiDecorator::PostRender(context);
    _PopOwnOrigin();
}

int guiBackground::RemoveChild(guiGlyph* child)
{
    if (child != nullptr && child == m_Image)
        m_Image = nullptr;
    return guiDecorator::RemoveChild(child);
}

void guiBackground::_TakeImage(int32_t index)
{
    guiGlyph* child = index >= 0 ? GetChild(index) : nullptr;
    m_Image = child != nullptr && gui::IsA(child->GetClassInfo(), guiImage::StaticClassInfo())
                  ? static_cast<guiImage*>(child)
                  : nullptr;
    SetLayer(m_Layer);
    if (m_Tiling)
        _Repeat();
}

void guiBackground::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Tiling", m_Tiling);
    gui::WriteOptionalTextField(stream, "Image", m_Image != nullptr ? IndexOfChild(m_Image) : -1);
    guiDecorator::WriteText(stream);
}

void guiBackground::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_Tiling);
    if (gui::GetLayoutVersion() <= kObsoleteRecordVersion)
    {
        guiCoordPair dropped;
        gui::ReadTextField(stream, dropped);
    }
    int32_t index = -1;
    gui::ReadOptionalTextField(stream, index);
    guiDecorator::ReadText(stream);
    _TakeImage(index);
}

void guiBackground::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_Tiling);
    gui::WriteOptionalBinary(stream, m_Image != nullptr ? IndexOfChild(m_Image) : -1);
    guiDecorator::WriteBinary(stream);
}

void guiBackground::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadBool(m_Tiling);
    if (gui::GetLayoutVersion() <= kObsoleteRecordVersion)
    {
        guiCoordPair dropped;
        dropped.Read(stream);
    }
    int32_t index = -1;
    gui::ReadOptionalBinary(stream, index);
    guiDecorator::ReadBinary(stream);
    _TakeImage(index);
}

void guiBackground::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertBool("Tile", m_Tiling);
    guiDecorator::GetProperties(sheet);
}

void guiBackground::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Tile"))
    {
        std::istringstream text(entry->text);
        bool tiling = false;
        if (text >> tiling)
            SetTiling(tiling);
    }
    guiDecorator::SetProperties(sheet);
}
