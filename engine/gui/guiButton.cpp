#include "engine/gui/guiButton.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiPropertyText.h"
#include "engine/gui/guiWidgetFactoryFor.h"
#include "engine/render/kaTexture.h"

#include <cmath>
#include <istream>
#include <ostream>
#include <sstream>

using guiPropertyText::ParseBool;

namespace
{

const guiWidgetFactoryFor<guiButton> s_Factory;

const kaColor kDefaultColors[4] = {
    kaColor::kaColorClamped(0.5f, 0.5f, 0.5f, 0.5f), kaColor::kaColorClamped(0.75f, 0.75f, 0.75f, 0.5f),
    kaColor::kaColorClamped(1.0f, 1.0f, 1.0f, 0.5f), kaColor::kaColorClamped(0.25f, 0.25f, 0.25f, 0.25f)};

// Sheet names of the state images, in sheet order, with their states.
const std::pair<const char*, int32_t> kSheetImages[4] = {{"Disabled", guiButton::kDisabled},
                                                         {"Clicked", guiButton::kClicked},
                                                         {"Rollover", guiButton::kRollover},
                                                         {"Normal", guiButton::kNormal}};

} // namespace

const kaClassInfo& guiButton::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kButtonClass);
}

guiButton::guiButton(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
    for (int32_t state = 0; state < 4; ++state)
    {
        guiImageParams params;
        params.size = guiCoordPair::Relative(1.0f, 1.0f);
        params.foreColor = kDefaultColors[state];
        SetStateImage(state, params);
    }
    SetState(kNormal);
}

guiButton::guiButton(const std::string& name, const guiCoordPair& position, const guiImageParams& params)
    : guiWidget(name)
{
    SetPosition(position);
    guiImage* image = new guiImage(params);
    AddChild(image);
    m_Images[kNormal] = image;
    uint32_t width = 0;
    uint32_t height = 0;
    image->GetTextureSize(width, height);
    const kaPoint pixels = image->GetPixelSize();
    if (width == 0 || height == 0)
        SetSize(guiCoordPair::Pixels(float(pixels.x), float(pixels.y)));
    else
        SetSize(guiCoordPair::Pixels(float(width), float(height)));
    SetState(kNormal);
}

guiButton::guiButton(std::istream& stream)
{
    guiButton::ReadText(stream);
    SetState(kNormal);
}

guiButton::guiButton(kaBinaryStream& stream)
{
    guiButton::ReadBinary(stream);
    SetState(kNormal);
}

guiButton::~guiButton() = default;

guiImage* guiButton::GetStateImage(int32_t state) const
{
    return state >= 0 && state < 4 ? m_Images[state] : nullptr;
}

void guiButton::_Run(const Callback& callback, int argument)
{
    if (!callback.empty())
        callback(argument);
}

void guiButton::_PlayClick() const
{
    if (m_ClickSound && g_pGuiManager != nullptr)
        g_pGuiManager->PlayGuiSound(kClickSound);
}

void guiButton::SetEnabled(bool enabled)
{
    if (enabled)
    {
        SetState(kNormal);
        return;
    }
    SetState(kDisabled);
    m_Pressed = false;
    m_Hover = false;
}

void guiButton::SetState(int32_t state)
{
    if (state < 0 || state > 3)
        return;
    if (m_Images[state] == nullptr)
        state = m_Pressed && m_Images[kClicked] != nullptr ? kClicked : kNormal;
    if (m_State >= 0 && m_State < 4 && m_Images[m_State] != nullptr)
        _SetVisibleAlone(*m_Images[m_State], false);
    // A button whose normal image was never given shows nothing rather than failing. Switching images
    // leaves the button's own visibility, and its parents', as they are.
    if (m_Images[state] != nullptr)
        _SetVisibleAlone(*m_Images[state], true);
    m_State = state;
}

void guiButton::SetStateImage(int32_t state, const guiImageParams& params)
{
    if (state < 0 || state > 3)
        return;
    bool visible = false;
    if (m_Images[state] != nullptr)
    {
        visible = m_Images[state]->IsVisible();
        RemoveChild(m_Images[state]);
    }
    guiImage* image = new guiImage(params);
    m_Images[state] = image;
    AddChild(image);
    _SetVisibleAlone(*image, visible);
}

int guiButton::RemoveChild(guiGlyph* child)
{
    for (guiImage*& image : m_Images)
        if (image != nullptr && image == child)
            image = nullptr;
    return guiWidget::RemoveChild(child);
}

bool guiButton::HitTest(const kaPoint& point, guiGlyph*& out)
{
    if (!guiWidget::HitTest(point, out))
        return false;
    if (!m_AlphaHitTesting)
        return true;
    guiImage* image = GetStateImage(m_State);
    kaTexture* texture = image != nullptr ? image->GetTexture() : nullptr;
    const kaPoint size = GetPixelSize();
    bool opaque = false;
    if (texture != nullptr && size.x > 0 && size.y > 0)
    {
        const float u = static_cast<float>(point.x - m_HitRect.left) / static_cast<float>(size.x);
        const float v = static_cast<float>(point.y - m_HitRect.top) / static_cast<float>(size.y);
        opaque = texture->GetPixelColor(u, v).a > 0.0f;
    }
    else if (image != nullptr)
    {
        // A plain colour image is as opaque as its colour.
        opaque = image->GetColor().a > 0.0f;
    }
    if (!opaque)
        out = nullptr;
    return opaque;
}

bool guiButton::PreRender(guiRenderContext& context)
{
    if (!m_HasFocus || !m_Pressed || !m_Hover || !(m_RepeatRate > 0.0f))
        return guiWidget::PreRender(context);
    m_RepeatTimer += g_pGuiManager != nullptr ? g_pGuiManager->GetLastFrameTime() : 0.0f;
    if (!m_Repeating)
    {
        if (m_RepeatTimer > m_RepeatDelay)
        {
            m_RepeatTimer -= m_RepeatDelay;
            m_Repeating = true;
        }
        if (!m_Repeating)
            return guiWidget::PreRender(context);
    }
    // A layout's rate or delay can be such that the timer never runs down a rate at a time (a rate of
    // 1e-30, a delay of -inf): the repeats are counted and the rest is taken as a remainder.
    for (int32_t repeats = 0; m_RepeatTimer > m_RepeatRate && repeats < kMostRepeatsAFrame; ++repeats)
    {
        _Run(m_OnClick, 1);
        m_RepeatTimer -= m_RepeatRate;
    }
    if (!(m_RepeatTimer <= m_RepeatRate))
        m_RepeatTimer = std::isfinite(m_RepeatTimer) ? std::fmod(m_RepeatTimer, m_RepeatRate) : 0.0f;
    return guiWidget::PreRender(context);
}

bool guiButton::OnMouseDown(int32_t button, const gui::MouseData& data)
{
    if (button != 0 || m_State == kDisabled)
        return guiWidget::OnMouseDown(button, data);
    SetState(kClicked);
    m_Hover = true;
    m_Pressed = true;
    m_RepeatTimer = 0.0f;
    m_Repeating = false;
    _PlayClick();
    if (m_FireOnPress)
        _Run(m_OnClick, 1);
    _Run(m_OnPress, 1);
    return true;
}

bool guiButton::OnMouseUp(int32_t /*button*/, const gui::MouseData& /*data*/)
{
    if (m_State == kDisabled)
        return true;
    SetState(m_Hover ? kRollover : kNormal);
    if (m_Pressed && m_Hover && !m_FireOnPress)
        _Run(m_OnClick, 1);
    _Run(m_OnRelease, 1);
    m_Pressed = false;
    return true;
}

void guiButton::OnMouseEnter()
{
    if (m_State == kDisabled)
        return;
    SetState(m_Pressed ? kClicked : kRollover);
    m_Hover = true;
    FireEvent(guiMsgEvent(gui::kEventMouseOver, this));
}

void guiButton::OnMouseLeave()
{
    if (m_State == kDisabled)
        return;
    SetState(kNormal);
    m_Hover = false;
    FireEvent(guiMsgEvent(gui::kEventMouseLeft, this));
}

int32_t guiButton::_IndexOf(int32_t state) const
{
    return m_Images[state] != nullptr ? IndexOfChild(m_Images[state]) : -1;
}

void guiButton::_AttachImages(const int32_t (&indices)[4])
{
    for (guiImage* image : m_Images)
        if (image != nullptr)
            RemoveChild(image);
    for (int32_t state = 0; state < 4; ++state)
    {
        guiGlyph* child = indices[state] >= 0 ? GetChild(indices[state]) : nullptr;
        m_Images[state] = child != nullptr ? child->DynamicCast<guiImage>() : nullptr;
    }
}

void guiButton::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "RepeatRate", m_RepeatRate);
    gui::WriteTextField(stream, "RepeatDelay", m_RepeatDelay);
    gui::WriteTextField(stream, "OnClick", m_FireOnPress);
    gui::WriteTextField(stream, "AlphaHitTesting", m_AlphaHitTesting);
    for (int32_t state = 0; state < 4; ++state)
    {
        const int32_t index = _IndexOf(state);
        stream << "StateImage " << state << ' ' << (index >= 0 ? "true" : "false");
        if (index >= 0)
            stream << ' ' << index;
        stream << '\n';
    }
    guiWidget::WriteText(stream);
}

void guiButton::ReadText(std::istream& stream)
{
    gui::ReadTextField(stream, m_RepeatRate);
    gui::ReadTextField(stream, m_RepeatDelay);
    if (gui::GetLayoutVersion() >= kOnClickVersion)
        gui::ReadTextField(stream, m_FireOnPress);
    if (gui::GetLayoutVersion() >= kAlphaHitVersion)
        gui::ReadTextField(stream, m_AlphaHitTesting);
    int32_t indices[4] = {-1, -1, -1, -1};
    for (int line = 0; line < 4 && stream; ++line)
    {
        std::string key;
        std::string present;
        int32_t state = -1;
        stream >> key >> state >> present;
        int32_t index = -1;
        if (present == "true" && !(stream >> index))
            index = -1;
        // A line naming no state is left out rather than written anywhere.
        if (stream && state >= 0 && state < 4)
            indices[state] = index;
    }
    guiWidget::ReadText(stream);
    _AttachImages(indices);
}

void guiButton::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteFloat(m_RepeatRate);
    stream.WriteFloat(m_RepeatDelay);
    stream.WriteBool(m_FireOnPress);
    stream.WriteBool(m_AlphaHitTesting);
    for (int32_t state = 0; state < 4; ++state)
    {
        const int32_t index = _IndexOf(state);
        stream.WriteInt32(state);
        stream.WriteBool(index >= 0);
        if (index >= 0)
            stream.WriteInt32(index);
    }
    guiWidget::WriteBinary(stream);
}

void guiButton::ReadBinary(kaBinaryStream& stream)
{
    stream.ReadFloat(m_RepeatRate);
    stream.ReadFloat(m_RepeatDelay);
    if (gui::GetLayoutVersion() >= kOnClickVersion)
        stream.ReadBool(m_FireOnPress);
    if (gui::GetLayoutVersion() >= kAlphaHitVersion)
        stream.ReadBool(m_AlphaHitTesting);
    int32_t indices[4] = {-1, -1, -1, -1};
    for (int32_t state = 0; state < 4; ++state)
    {
        int32_t stored = 0;
        bool present = false;
        stream.ReadInt32(stored);
        stream.ReadBool(present);
        if (present)
            stream.ReadInt32(indices[state]);
    }
    guiWidget::ReadBinary(stream);
    _AttachImages(indices);
}

void guiButton::GetProperties(GuiParamTable& sheet) const
{
    for (const auto& [name, state] : kSheetImages)
        if (m_Images[state] != nullptr)
            sheet.InsertChildIndex(name, _IndexOf(state));
    sheet.InsertBool("OnClick", m_FireOnPress);
    sheet.InsertBool("AlphaHitTesting", m_AlphaHitTesting);
    guiWidget::GetProperties(sheet);
}

void guiButton::SetProperties(const GuiParamTable& sheet)
{
    for (const auto& [name, state] : kSheetImages)
    {
        if (state == kNormal)
            continue;
        const GuiParamTable::Entry* entry = sheet.Find(name);
        if (entry != nullptr && entry->text == "-1" && m_Images[state] != nullptr)
            RemoveChild(m_Images[state]);
    }
    if (const GuiParamTable::Entry* entry = sheet.Find("OnClick"))
        ParseBool(entry->text, m_FireOnPress);
    if (const GuiParamTable::Entry* entry = sheet.Find("AlphaHitTesting"))
        ParseBool(entry->text, m_AlphaHitTesting);
    guiWidget::SetProperties(sheet);
}
