#include "engine/gui/guiCompositeGlyph.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiCompositor.h"
#include "engine/gui/guiCoord.h"
#include "engine/gui/guiCreateParams.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiText.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <ostream>

namespace
{

bool MakesPieces(int32_t kind)
{
    return kind == guiCreateParams::kImageParams || kind == guiCreateParams::kTextParams;
}

// A text made from parameters keeps 32 characters; a longer word would be cut where it is drawn.
void FitText(guiGlyph* glyph)
{
    if (glyph == nullptr)
        return;
    if (guiText* text = glyph->DynamicCast<guiText>())
        text->SetText(text->GetText());
}

guiCoordPair Px(int64_t x, int64_t y)
{
    return guiCoordPair::Pixels(static_cast<float>(x), static_cast<float>(y));
}

} // namespace

guiCompositeGlyph::guiCompositeGlyph(guiCompositor* compositor) : m_Compositor(compositor) {}

guiCompositeGlyph::guiCompositeGlyph(std::istream& stream)
{
    guiCompositeGlyph::ReadText(stream);
}

guiCompositeGlyph::guiCompositeGlyph(kaBinaryStream& stream)
{
    guiCompositeGlyph::ReadBinary(stream);
}

guiCompositeGlyph::~guiCompositeGlyph()
{
    while (!m_Entries.empty())
        _DropFront();
    delete m_Compositor;
}

bool guiCompositeGlyph::HitTest(const kaPoint& /*point*/, guiGlyph*& /*out*/)
{
    return false;
}

void guiCompositeGlyph::AddEntry(const guiCreateParams& params, int32_t alignment)
{
    if (!MakesPieces(params.GetWidgetClass()))
        return;
    Entry entry;
    entry.params = params.Clone();
    entry.whole = entry.params != nullptr ? entry.params->CreateWidget() : nullptr;
    if (entry.whole == nullptr)
    {
        delete entry.params;
        return;
    }
    entry.whole->AddRef();
    FitText(entry.whole);
    entry.alignment = alignment;
    const int count = entry.whole->GetPieceCount();
    entry.pieces.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
    {
        guiGlyph* piece = nullptr;
        if (!entry.whole->IsPieceSpace(i))
        {
            guiCreateParams* made = entry.whole->CreatePiece(i, i);
            piece = made != nullptr ? made->CreateWidget() : nullptr;
            delete made;
        }
        if (piece != nullptr)
        {
            FitText(piece);
            piece->SetSaveable(false);
            AddChild(piece);
        }
        entry.pieces.push_back(piece);
    }
    m_Entries.push_back(std::move(entry));
    _TrimToLimit();
    Layout();
}

void guiCompositeGlyph::_DropEntry(Entry& entry)
{
    delete entry.params;
    entry.params = nullptr;
    if (entry.whole != nullptr)
        entry.whole->Release();
    entry.whole = nullptr;
    for (guiGlyph* piece : entry.pieces)
        if (piece != nullptr)
            RemoveChild(piece);
    entry.pieces.clear();
}

void guiCompositeGlyph::_DropFront()
{
    _DropEntry(m_Entries.front());
    m_Entries.pop_front();
}

void guiCompositeGlyph::_TrimToLimit()
{
    while (m_EntryLimit > 0 && m_Entries.size() > static_cast<std::size_t>(m_EntryLimit))
        _DropFront();
}

void guiCompositeGlyph::SetEntryLimit(int32_t limit)
{
    m_EntryLimit = limit;
    _TrimToLimit();
}

void guiCompositeGlyph::Clear()
{
    while (!m_Entries.empty())
        _DropFront();
    Layout();
}

void guiCompositeGlyph::Prepare()
{
    m_Margins.clear();
}

void guiCompositeGlyph::SetFlowSize(int32_t lineStartX, int32_t width, int32_t height)
{
    m_LineStartX = lineStartX;
    m_FlowWidth = width;
    SetSize(Px(width, height));
}

void guiCompositeGlyph::Layout()
{
    if (m_Compositor == nullptr || !m_DeviceObjectsMade)
        return;
    const int64_t viewY = ToPixels(m_Position).y;
    int64_t penX = m_LineStartX;
    int64_t penY = 0;
    m_MarkAbove = kaPoint(0, 0);
    m_MarkBelow = kaPoint(0, 0);
    m_HasLineBelow = false;
    m_Extent = kaPoint(m_LineStartX, 0);
    m_LastLineHeight = 0;
    std::vector<guiGlyph*> line;
    bool firstOnLine = true;

    auto centre = [&](int32_t alignment)
    {
        if (alignment != kAlignCentre)
            return;
        const int64_t shift = (int64_t(m_FlowWidth) - penX) / 2;
        for (guiGlyph* glyph : line)
        {
            const kaPoint at = ToPixels(glyph->GetPosition());
            glyph->SetPosition(Px(at.x + shift, at.y));
        }
    };
    auto openLine = [&](int32_t alignment)
    {
        centre(alignment);
        line.clear();
        penX = m_LineStartX;
        firstOnLine = true;
        m_LastLineHeight = 0;
        // The first line never counts: its start is where the view returns to from the line below it.
        if (!m_HasLineBelow)
        {
            const int64_t start = viewY + penY;
            if (start < 0)
                m_MarkAbove = kaPoint(static_cast<int32_t>(penX), gui::ClampToInt(penY));
            else if (start > 0)
            {
                m_MarkBelow = kaPoint(static_cast<int32_t>(penX), gui::ClampToInt(penY));
                m_HasLineBelow = true;
            }
        }
        m_Extent = kaPoint(static_cast<int32_t>(penX), gui::ClampToInt(penY));
    };

    for (const Entry& entry : m_Entries)
        for (std::size_t i = 0; i < entry.pieces.size(); ++i)
        {
            const int index = static_cast<int>(i);
            platform::Rect extent;
            entry.whole->GetPieceExtent(extent, index);
            const int64_t width = int64_t(extent.right) - extent.left;
            const bool space = entry.whole->IsPieceSpace(index);
            bool broke = false;
            // A piece wider than the flow stays on a line of its own rather than leaving an empty one.
            if (penX + width > m_FlowWidth && penX > m_LineStartX)
            {
                penY += extent.bottom;
                openLine(entry.alignment);
                broke = true;
            }
            if (firstOnLine && extent.top != 0)
                penY -= extent.top;
            firstOnLine = false;
            if (guiGlyph* piece = entry.pieces[i])
            {
                piece->SetPosition(Px(penX, penY));
                line.push_back(piece);
            }
            if (!(space && broke))
                penX += width;
            const bool newline = entry.whole->IsPieceNewline(index);
            if (!newline)
                m_LastLineHeight =
                    std::max<int32_t>(m_LastLineHeight, extent.bottom - std::min(extent.top, 0));
            if (newline)
            {
                penY += extent.bottom;
                openLine(entry.alignment);
            }
        }
    if (!m_Entries.empty())
        centre(m_Entries.back().alignment);
}

float guiCompositeGlyph::GetScrollFraction() const
{
    if (m_Extent.y == 0)
        return 0.0f;
    return -static_cast<float>(ToPixels(m_Position).y) / static_cast<float>(m_Extent.y);
}

void guiCompositeGlyph::SetScrollFraction(float fraction)
{
    if (!std::isfinite(fraction) || fraction == GetScrollFraction())
        return;
    fraction = std::clamp(fraction, 0.0f, 1.0f);
    SetPosition(guiCoordPair::Pixels(static_cast<float>(gui::TruncateToInt(-fraction * float(m_Extent.x))),
                                     static_cast<float>(gui::TruncateToInt(-fraction * float(m_Extent.y)))));
    SetDirty(true);
}

float guiCompositeGlyph::ScrollStep(int32_t step)
{
    if (step != -1 && step != 1)
        return 0.0f;
    // Marks follow the position the last layout saw.
    if (m_Dirty)
        Layout();
    if (step == 1 && !m_HasLineBelow)
        return GetScrollFraction();
    const kaPoint mark = step == -1 ? m_MarkAbove : m_MarkBelow;
    const guiCoordPair place = Px(-int64_t(mark.x), -int64_t(mark.y));
    if (!(place == m_Position))
    {
        SetPosition(place);
        SetDirty(true);
    }
    return m_Extent.y == 0 ? 0.0f : static_cast<float>(mark.y) / static_cast<float>(m_Extent.y);
}

bool guiCompositeGlyph::PreRender(guiRenderContext& context)
{
    if (m_Dirty)
        Layout();
    return guiGlyph::PreRender(context);
}

void guiCompositeGlyph::_ReadEntry(int32_t kind, int32_t alignment, guiCreateParams* params)
{
    if (params != nullptr && MakesPieces(kind))
        AddEntry(*params, alignment);
    delete params;
}

void guiCompositeGlyph::WriteText(std::ostream& stream) const
{
    gui::WriteTextField(stream, "Compositor", m_Compositor != nullptr);
    if (m_Compositor != nullptr)
        stream << m_Compositor->GetKind() << '\n';
    gui::WriteTextField(stream, "ParamLimit", m_EntryLimit);
    stream << "Margins ";
    gui::WriteTextField(stream, "_Size", static_cast<int32_t>(m_Margins.size()));
    for (const guiMarginProfile::Band& band : m_Margins)
        stream << "_Margin " << band.left << ' ' << band.right << ' ' << band.height << '\n';
    gui::WriteTextField(stream, "Params", static_cast<int32_t>(m_Entries.size()));
    for (const Entry& entry : m_Entries)
    {
        stream << "Param " << entry.params->GetWidgetClass() << ' ' << entry.alignment << '\n';
        entry.params->WriteText(stream);
    }
    guiGlyph::WriteText(stream);
}

void guiCompositeGlyph::ReadText(std::istream& stream)
{
    bool present = false;
    gui::ReadTextField(stream, present);
    if (present)
    {
        int32_t kind = 0;
        if (stream >> kind)
        {
            delete m_Compositor;
            m_Compositor = CreateCompositor(kind);
        }
    }
    gui::ReadTextField(stream, m_EntryLimit);
    std::string key;
    stream >> key;
    int32_t count = 0;
    gui::ReadTextField(stream, count);
    m_Margins.clear();
    for (int32_t i = 0; i < count && stream; ++i)
    {
        guiMarginProfile::Band band;
        if (stream >> key >> band.left >> band.right >> band.height)
            m_Margins.push_back(band);
    }
    count = 0;
    gui::ReadTextField(stream, count);
    for (int32_t i = 0; i < count && stream; ++i)
    {
        int32_t kind = 0;
        int32_t alignment = 0;
        if (!(stream >> key >> kind >> alignment))
            break;
        guiCreateParams* params = CreateParams(kind);
        if (params == nullptr)
        {
            // Nothing tells how long an unknown block is.
            stream.setstate(std::ios::failbit);
            break;
        }
        params->ReadText(stream);
        _ReadEntry(kind, alignment, params);
    }
    guiGlyph::ReadText(stream);
}

void guiCompositeGlyph::WriteBinary(kaBinaryStream& stream) const
{
    stream.WriteBool(m_Compositor != nullptr);
    if (m_Compositor != nullptr)
        stream.WriteInt32(m_Compositor->GetKind());
    stream.WriteInt32(m_EntryLimit);
    stream.WriteInt32(static_cast<int32_t>(m_Margins.size()));
    for (const guiMarginProfile::Band& band : m_Margins)
        stream.WriteInt32(band.left).WriteInt32(band.right).WriteInt32(band.height);
    stream.WriteInt32(static_cast<int32_t>(m_Entries.size()));
    for (const Entry& entry : m_Entries)
    {
        stream.WriteInt32(entry.params->GetWidgetClass()).WriteInt32(entry.alignment);
        entry.params->WriteBinary(stream);
    }
    guiGlyph::WriteBinary(stream);
}

void guiCompositeGlyph::ReadBinary(kaBinaryStream& stream)
{
    bool present = false;
    stream.ReadBool(present);
    if (present)
    {
        int32_t kind = 0;
        stream.ReadInt32(kind);
        if (!stream.Failed())
        {
            delete m_Compositor;
            m_Compositor = CreateCompositor(kind);
        }
    }
    stream.ReadInt32(m_EntryLimit);
    int32_t count = 0;
    stream.ReadInt32(count);
    m_Margins.clear();
    for (int32_t i = 0; i < count && !stream.Failed(); ++i)
    {
        guiMarginProfile::Band band;
        stream.ReadInt32(band.left).ReadInt32(band.right).ReadInt32(band.height);
        if (!stream.Failed())
            m_Margins.push_back(band);
    }
    count = 0;
    stream.ReadInt32(count);
    for (int32_t i = 0; i < count && !stream.Failed(); ++i)
    {
        int32_t kind = 0;
        int32_t alignment = 0;
        stream.ReadInt32(kind).ReadInt32(alignment);
        if (stream.Failed())
            break;
        guiCreateParams* params = CreateParams(kind);
        if (params == nullptr)
            return;
        params->ReadBinary(stream);
        if (stream.Failed())
        {
            delete params;
            break;
        }
        _ReadEntry(kind, alignment, params);
    }
    guiGlyph::ReadBinary(stream);
}
