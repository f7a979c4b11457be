#include "engine/gui/guiDisplayBox.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiCompositeGlyph.h"
#include "engine/gui/guiFlowCompositor.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiTextParams.h"
#include "engine/gui/guiWidgetFactoryFor.h"
#include "engine/gui/guiWindow.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>

namespace
{

const guiWidgetFactoryFor<guiDisplayBox> s_Factory;

// Stream rules: a word that does not read as the value fails the stream and changes nothing.
template <typename T> bool ReadValue(std::istream& words, T& value)
{
    T read;
    if (!(words >> read))
        return false;
    value = read;
    return true;
}

bool ReadColor(std::istream& words, kaColor& color)
{
    for (float* channel : {&color.r, &color.g, &color.b, &color.a})
    {
        float value;
        if (!ReadValue(words, value))
            return false;
        *channel = kaColor::kaColorClamped(value, 0, 0, 0).r;
    }
    return true;
}

} // namespace

const kaClassInfo& guiDisplayBox::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kDisplayBoxClass);
}

guiDisplayBox::guiDisplayBox(const guiCoordPair& position, const guiCoordPair& size)
{
    _Init();
    SetPosition(position);
    SetSize(size);
}

guiDisplayBox::guiDisplayBox(std::istream& stream)
{
    _Init();
    guiDisplayBox::ReadText(stream);
}

guiDisplayBox::guiDisplayBox(kaBinaryStream& stream)
{
    _Init();
    guiDisplayBox::ReadBinary(stream);
}

guiDisplayBox::~guiDisplayBox()
{
    if (m_Composition == nullptr)
        return;
    if (m_OwnerWindow != nullptr)
        m_OwnerWindow->ForgetWidget(m_Composition);
    m_Composition->Release();
}

void guiDisplayBox::_Init()
{
    _SetComposition(new guiCompositeGlyph(new guiFlowCompositor()));
}

void guiDisplayBox::_SetComposition(guiCompositeGlyph* composition)
{
    if (composition == nullptr)
        return;
    if (m_Composition != nullptr)
    {
        if (m_OwnerWindow != nullptr)
            m_OwnerWindow->ForgetWidget(m_Composition);
        m_Composition->Release();
    }
    m_Composition = composition;
    m_Composition->AddRef();
    // It draws nothing itself, and the window's lists must never hold it: it is no child of the box.
    m_Composition->SetInHitList(false);
    _SetParentOf(*m_Composition, this);
    m_Composition->SetTag(this);
    m_Composition->SetOwnerWindow(m_OwnerWindow);
    m_Composition->SetLayer(m_Layer);
    if (m_DeviceObjectsMade)
        m_Composition->CreateDeviceObjectsAll();
}

void guiDisplayBox::Draw()
{
    m_Composition->Draw();
}

void guiDisplayBox::SetOwnerWindow(guiWindow* window)
{
    guiScrollable::SetOwnerWindow(window);
    m_Composition->SetOwnerWindow(window);
}

void guiDisplayBox::SetLayer(int32_t layer)
{
    guiScrollable::SetLayer(layer);
    m_Composition->SetLayer(layer);
}

void guiDisplayBox::SetDirty(bool dirty)
{
    m_Composition->SetDirty(dirty);
    guiScrollable::SetDirty(dirty);
}

bool guiDisplayBox::IsDirty() const
{
    return m_Composition->IsDirty() || guiScrollable::IsDirty();
}

void guiDisplayBox::_Relayout()
{
    platform::Rect client;
    ComputeClientRect(client);
    m_Composition->Prepare();
    m_Composition->SetFlowSize(0, static_cast<int32_t>(int64_t(client.right) - client.left),
                               static_cast<int32_t>(int64_t(client.bottom) - client.top));
    m_Composition->SetDirty(true);
}

void guiDisplayBox::CreateDeviceObjects()
{
    _Relayout();
    m_Composition->CreateDeviceObjectsAll();
}

void guiDisplayBox::ReleaseDeviceObjects()
{
    m_Composition->ReleaseDeviceObjectsAll();
}

void guiDisplayBox::RestoreDeviceObjects()
{
    m_Composition->RestoreDeviceObjectsAll();
}

bool guiDisplayBox::PreRender(guiRenderContext& context)
{
    platform::Rect client;
    ComputeClientRect(client);
    // A box sized relative to its window learns its pixels only in the walk.
    if (m_Dirty || _IsResized(client))
        _Relayout();
    const int64_t view = int64_t(client.bottom) - client.top;
    if (m_FollowEnd && view > 0 && int64_t(client.right) - client.left > 0)
    {
        m_Composition->Layout();
        _KeepEndInView(view);
    }
    DrawTree(m_Composition, context);
    return guiScrollable::PreRender(context);
}

bool guiDisplayBox::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    guiScrollable::OnMouseDown(button, data);
    return true;
}

void guiDisplayBox::ScrollVertical(int32_t step)
{
    m_Composition->ScrollStep(step);
    m_VerticalScroll = m_Composition->GetScrollFraction();
}

void guiDisplayBox::SetVerticalScroll(float fraction)
{
    m_Composition->SetScrollFraction(fraction);
    m_VerticalScroll = m_Composition->GetScrollFraction();
}

float guiDisplayBox::GetVerticalScroll()
{
    return m_Composition->GetScrollFraction();
}

void guiDisplayBox::Clear()
{
    m_FollowEnd = false;
    m_DisplayText.clear();
    m_Composition->Clear();
    SetVerticalScroll(0.0f);
    m_VerticalScroll = 0.0f;
}

void guiDisplayBox::SetText(const std::string& markup)
{
    m_DisplayText = markup;
    m_FollowEnd = false;
    m_Composition->Clear();
    SetVerticalScroll(0.0f);
    m_VerticalScroll = 0.0f;
    _Parse(markup);
}

void guiDisplayBox::AppendText(const guiCreateParams& params, int32_t alignment)
{
    m_Composition->AddEntry(params, alignment);
    if (!m_DeviceObjectsMade)
        return;
    platform::Rect client;
    ComputeClientRect(client);
    const int64_t view = int64_t(client.bottom) - client.top;
    // A box sized relative to its window learns its pixels only in the walk: measured before then, the
    // content is flowed to no width at all and the view would follow lines that are not there.
    if (view <= 0 || int64_t(client.right) - client.left <= 0)
    {
        m_FollowEnd = true;
        return;
    }
    if (_IsResized(client))
    {
        _Relayout();
        m_Composition->Layout();
    }
    _KeepEndInView(view);
}

bool guiDisplayBox::_IsResized(const platform::Rect& client) const
{
    return int64_t(client.right) - client.left != m_Composition->GetFlowWidth() ||
           m_Composition->GetSize().y.value != float(int64_t(client.bottom) - client.top);
}

void guiDisplayBox::_KeepEndInView(int64_t view)
{
    m_FollowEnd = false;
    // The view follows the bottom of the last line, so that a last line without a line end shows too.
    const int64_t height = m_Composition->GetContentHeight();
    const int64_t bottom = m_Composition->GetContentBottom();
    const float fraction = m_Composition->GetScrollFraction();
    if (height > 0 && static_cast<int64_t>(float(bottom) - fraction * float(height)) > view)
    {
        const float end = std::min(1.0f, float(bottom - view) / float(height));
        m_Composition->SetScrollFraction(end);
        m_VerticalScroll = end;
    }
}

std::string guiDisplayBox::TextMarkup(const std::string& openingTag, const std::string& text)
{
    const std::string closing = kTextClose;
    const std::string unfinished = closing.substr(0, closing.size() - 1);
    std::string markup = openingTag;
    // Where the current tag's content starts: the opening tag's own characters complete nothing.
    size_t content = markup.size();
    for (const char c : text)
    {
        const bool closes =
            c == closing.back() && markup.size() - content >= unfinished.size() &&
            markup.compare(markup.size() - unfinished.size(), unfinished.size(), unfinished) == 0;
        const bool endsLine = c == 'n' && markup.size() > content && markup.back() == '\\';
        if (closes || endsLine)
        {
            markup += closing + openingTag;
            content = markup.size();
        }
        markup += c;
    }
    return markup + closing;
}

void guiDisplayBox::_Parse(const std::string& markup)
{
    std::istringstream stream(markup);
    while (stream && !stream.eof())
    {
        std::istringstream words(gui::ReadDelimitedString(stream, "<", ">"));
        std::string tag;
        words >> tag;
        std::string word;
        if (tag == kTextTag)
        {
            guiTextParams params;
            int32_t alignment = 0;
            while (words >> word)
            {
                if (word == "font")
                    ReadValue(words, params.font);
                else if (word == "color")
                    ReadColor(words, params.foreColor);
                else if (word == "align")
                    ReadValue(words, alignment);
            }
            params.text = gui::UnescapeNewlines(gui::ReadDelimitedString(stream, "", kTextClose));
            AppendText(params, alignment);
        }
        else if (tag == kImageTag)
        {
            guiImageParams params;
            int32_t alignment = 0;
            while (words >> word)
            {
                if (word == "filename")
                    params.filename = gui::ReadDelimitedString(words, "\"", "\"");
                else if (word == "align")
                    ReadValue(words, alignment);
                else if (word == "alpha")
                    ReadValue(words, params.alpha);
                else if (word == "filter")
                    ReadValue(words, params.filtering);
            }
            m_Composition->AddEntry(params, alignment);
        }
    }
}

void guiDisplayBox::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Display", gui::EscapeNewlines(m_DisplayText));
    gui::WriteTextField(stream, "Composition", true);
    stream << m_Composition->GetClassName() << '\n';
    m_Composition->WriteText(stream);
    guiScrollable::WriteText(stream);
}

void guiDisplayBox::ReadText(std::istream& stream)
{
    std::string display = gui::EscapeNewlines(m_DisplayText);
    gui::ReadTextField(stream, display);
    bool present = false;
    gui::ReadTextField(stream, present);
    if (present)
    {
        std::string className;
        stream >> className;
        _SetComposition(new guiCompositeGlyph(stream));
    }
    guiScrollable::ReadText(stream);
    SetText(gui::UnescapeNewlines(display));
}

void guiDisplayBox::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteString(m_DisplayText);
    stream.WriteBool(true);
    stream.WriteUInt32(m_Composition->GetClassId());
    m_Composition->WriteBinary(stream);
    guiScrollable::WriteBinary(stream);
}

void guiDisplayBox::ReadBinary(kaBinaryStream& stream)
{
    std::string display = m_DisplayText;
    gui::ReadBinaryString(stream, display);
    bool present = false;
    stream.ReadBool(present);
    if (present)
    {
        uint32_t classId = 0;
        stream.ReadUInt32(classId);
        _SetComposition(new guiCompositeGlyph(stream));
    }
    guiScrollable::ReadBinary(stream);
    SetText(display);
}

void guiDisplayBox::GetProperties(GuiParamTable& sheet) const
{
    sheet.InsertMarkup("Display", gui::EscapeNewlines(m_DisplayText));
    guiScrollable::GetProperties(sheet);
}

void guiDisplayBox::SetProperties(const GuiParamTable& sheet)
{
    if (const GuiParamTable::Entry* entry = sheet.Find("Display"))
    {
        std::string text = entry->text;
        if (const std::size_t end = text.find('\n'); end != std::string::npos)
            text.erase(end);
        SetText(gui::UnescapeNewlines(text));
    }
    guiScrollable::SetProperties(sheet);
}
