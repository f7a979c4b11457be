#include "engine/gui/guiCursor.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiWidgetFactoryFor.h"

#include <istream>
#include <ostream>
#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiCursor> s_Factory;

} // namespace

const kaClassInfo& guiCursor::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kCursorClass);
}

guiCursor::guiCursor(const std::string& fileName, int32_t hotspotX, int32_t hotspotY)
    : m_Filename(fileName), m_Hotspot(-hotspotX, -hotspotY)
{
    _MakeImage();
}

guiCursor::guiCursor(const guiCoordPair& /*position*/, const guiCoordPair& /*size*/)
{
    _MakeImage();
}

guiCursor::guiCursor(std::istream& stream)
{
    guiCursor::ReadText(stream);
    _MakeImage();
}

guiCursor::guiCursor(kaBinaryStream& stream)
{
    guiCursor::ReadBinary(stream);
    _MakeImage();
}

guiCursor::~guiCursor()
{
    if (m_Image != nullptr)
        m_Image->Release();
}

void guiCursor::_MakeImage()
{
    if (m_Image != nullptr)
        m_Image->Release();
    guiImageParams params;
    params.filename = m_Filename;
    m_Image = new guiImage(params);
    m_Image->AddRef();
    m_Image->SetAlpha(true);
    m_Image->SetAlphaHitTesting(true);
    if (m_DeviceObjectsMade)
        m_Image->CreateDeviceObjectsAll();
    guiWidget::SetSize(m_Image->GetSize());
}

void guiCursor::Draw()
{
    if (m_Visible && m_Image != nullptr)
        m_Image->Draw();
}

void guiCursor::SetPosition(const guiCoordPair& position)
{
    const kaPoint placed = gui::AddPixels(ToPixels(position), m_Hotspot);
    guiWidget::SetPosition(guiCoordPair::Pixels(static_cast<float>(placed.x), static_cast<float>(placed.y)));
}

void guiCursor::SetDirty(bool dirty)
{
    guiWidget::SetDirty(dirty);
    if (m_Image != nullptr)
        m_Image->SetDirty(dirty);
}

void guiCursor::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Filename", m_Filename);
    stream << "Hotspot ";
    m_Hotspot.WriteText(stream);
    stream << '\n';
    guiWidget::WriteText(stream);
}

void guiCursor::ReadText(std::istream& stream)
{
    // The name is one word; reading the line first keeps an empty name from taking the next line.
    std::string line;
    gui::ReadTextField(stream, line);
    std::istringstream words(line);
    std::string name;
    words >> name;
    m_Filename = name;
    std::string key;
    stream >> key;
    m_Hotspot.ReadText(stream);
    guiWidget::ReadText(stream);
}

void guiCursor::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteString(m_Filename);
    m_Hotspot.Write(stream);
    guiWidget::WriteBinary(stream);
}

void guiCursor::ReadBinary(kaBinaryStream& stream)
{
    gui::ReadBinaryString(stream, m_Filename);
    m_Hotspot.Read(stream);
    guiWidget::ReadBinary(stream);
}

void guiCursor::CreateDeviceObjects()
{
    if (m_Image != nullptr)
        m_Image->CreateDeviceObjectsAll();
    guiWidget::CreateDeviceObjects();
}

void guiCursor::ReleaseDeviceObjects()
{
    if (m_Image != nullptr)
        m_Image->ReleaseDeviceObjectsAll();
    guiWidget::ReleaseDeviceObjects();
}

void guiCursor::RestoreDeviceObjects()
{
    if (m_Image != nullptr)
        m_Image->RestoreDeviceObjectsAll();
    guiWidget::RestoreDeviceObjects();
}

bool guiCursor::PreRender(guiRenderContext& context)
{
    if (m_Image != nullptr)
        DrawTree(m_Image, context);
    guiWidget::PreRender(context);
    return true;
}
