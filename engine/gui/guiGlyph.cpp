#include "engine/gui/guiGlyph.h"

#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiClipStack.h"
#include "engine/gui/guiOriginStack.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaGraphicsManager.h"

#include <algorithm>
#include <cctype>

namespace
{

// Reference chains longer than any real layout are taken as a loop made through SetTag.
constexpr int kMaxReferenceChain = 256;

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

const kaClassInfo& guiGlyph::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kGlyphClass);
}

guiGlyph::guiGlyph() = default;

guiGlyph::~guiGlyph()
{
    RemoveAllChildren();
}

const std::string& guiGlyph::GetClassName() const
{
    return GetClassInfo().GetName();
}

uint32_t guiGlyph::GetClassId() const
{
    return GetClassInfo().GetId();
}

const kaClassInfo& guiGlyph::GetClassInfo() const
{
    return StaticClassInfo();
}

bool guiGlyph::QueryClass(const kaClassInfo& record, guiGlyph*& out)
{
    if (!gui::IsA(GetClassInfo(), record))
        return false;
    out = this;
    return true;
}

guiGlyph* guiGlyph::DynamicCast(const kaClassInfo& record)
{
    guiGlyph* result = nullptr;
    return QueryClass(record, result) ? result : nullptr;
}

void guiGlyph::AddChild(guiGlyph* child, guiWindow* window)
{
    if (child == nullptr)
        return;
    child->AddRef();
    child->SetOwnerWindow(window != nullptr ? window : m_OwnerWindow);
    child->m_Parent = this;
    child->SetTag(this);
    child->SetLayer(m_Layer + 1);
    if (child->m_ChildOrder == -1)
        child->m_ChildOrder = static_cast<int32_t>(m_Children.size());
    if (m_DeviceObjectsMade)
        child->CreateDeviceObjectsAll();
    m_Children.push_back(child);
}

int guiGlyph::RemoveChild(guiGlyph* child)
{
    const auto found = std::find(m_Children.begin(), m_Children.end(), child);
    if (found == m_Children.end())
        return -1;
    m_Children.erase(found);
    const int remaining = child->Release();
    if (remaining == 0)
    {
        if (m_OwnerWindow != nullptr)
            m_OwnerWindow->ForgetWidget(child);
    }
    else if (child->m_Parent == this)
    {
        // A detached glyph belongs to no window any more; keeping the window would leave it pointing
        // at a window that may be destroyed before it.
        child->m_Parent = nullptr;
        child->SetOwnerWindow(nullptr);
    }
    return remaining;
}

void guiGlyph::RemoveAllChildren()
{
    while (!m_Children.empty())
        RemoveChild(m_Children.front());
}

guiGlyph* guiGlyph::GetChild(int index) const
{
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return m_Children[static_cast<std::size_t>(index)];
}

int guiGlyph::IndexOfChild(const guiGlyph* child) const
{
    const auto found = std::find(m_Children.begin(), m_Children.end(), child);
    return found == m_Children.end() ? -1 : static_cast<int>(found - m_Children.begin());
}

guiGlyph* guiGlyph::FindChild(const std::string& name)
{
    if (SameNameIgnoringCase(m_Name, name))
        return this;
    for (guiGlyph* child : m_Children)
        if (guiGlyph* found = child->FindChild(name))
            return found;
    return nullptr;
}

guiGlyph* guiGlyph::FindChildById(int32_t id)
{
    if (m_Id == id)
        return this;
    for (guiGlyph* child : m_Children)
        if (guiGlyph* found = child->FindChildById(id))
            return found;
    return nullptr;
}

void guiGlyph::SetOwnerWindow(guiWindow* window)
{
    m_OwnerWindow = window;
    for (guiGlyph* child : m_Children)
        child->SetOwnerWindow(window);
}

void guiGlyph::SetPosition(const guiCoordPair& position)
{
    if (position == m_Position)
        return;
    m_Position = position;
    m_PixelPosition = ToPixels(m_Position);
    SetDirty(true);
}

void guiGlyph::SetSize(const guiCoordPair& size)
{
    if (size == m_Size)
        return;
    m_Size = size;
    m_PixelSize = ToPixels(m_Size);
    SetDirty(true);
}

void guiGlyph::SetRelativeWidth(float width)
{
    m_Size.x = guiCoord::Relative(width);
    SetDirty(true);
}

void guiGlyph::SetPixelWidth(int32_t width)
{
    m_Size.x = guiCoord::Pixels(static_cast<float>(width));
    SetDirty(true);
}

void guiGlyph::SetRelativeHeight(float height)
{
    m_Size.y = guiCoord::Relative(height);
    SetDirty(true);
}

void guiGlyph::SetPixelHeight(int32_t height)
{
    m_Size.y = guiCoord::Pixels(static_cast<float>(height));
    SetDirty(true);
}

void guiGlyph::ComputeClientRect(platform::Rect& rect) const
{
    rect = platform::Rect{0, 0, m_PixelSize.x, m_PixelSize.y};
}

void guiGlyph::SetVisible(bool visible)
{
    // Only a change reaches the ancestors: a caller that shows an already shown glyph (a blink, a redraw)
    // must not bring back a parent hidden on purpose.
    if (visible == m_Visible)
        return;
    m_Visible = visible;
    if (visible && m_Parent != nullptr)
        m_Parent->SetVisible(true);
}

void guiGlyph::SetLayer(int32_t layer)
{
    m_Layer = layer;
    for (guiGlyph* child : m_Children)
        child->SetLayer(layer + 1);
}

void guiGlyph::SetDirty(bool dirty)
{
    m_Dirty = dirty;
    for (guiGlyph* child : m_Children)
        child->SetDirty(dirty);
}

void guiGlyph::GetPieceExtent(platform::Rect& rect, int /*index*/) const
{
    rect = platform::Rect{0, 0, m_PixelSize.x, m_PixelSize.y};
}

void guiGlyph::CreateDeviceObjectsAll()
{
    if (!m_DeviceObjectsMade)
    {
        CreateDeviceObjects();
        m_DeviceObjectsMade = true;
    }
    for (guiGlyph* child : m_Children)
        child->CreateDeviceObjectsAll();
}

void guiGlyph::ReleaseDeviceObjectsAll()
{
    if (m_DeviceObjectsMade)
    {
        ReleaseDeviceObjects();
        m_DeviceObjectsMade = false;
    }
    for (guiGlyph* child : m_Children)
        child->ReleaseDeviceObjectsAll();
}

void guiGlyph::RestoreDeviceObjectsAll()
{
    if (!m_DeviceObjectsMade)
        RestoreDeviceObjects();
    m_DeviceObjectsMade = true;
    SetDirty(true);
    for (guiGlyph* child : m_Children)
        child->RestoreDeviceObjectsAll();
}

void guiGlyph::Render(guiRenderContext& /*context*/)
{
    guiOriginStack& origins = guiOriginStack::Get();
    m_DrawingOrigin = origins.Top();
    origins.PushCopy();
    kaPoint screen = gui::AddPixels(m_DrawingOrigin, m_PixelPosition);
    if (m_MovesOrigin)
    {
        origins.Translate(m_PixelPosition);
        screen = origins.Top();
    }

    if (m_ClipMode != kClipToParent && m_ClipMode != kClipToSelf)
        return;
    platform::Rect client;
    ComputeClientRect(client);
    platform::Rect clip;
    clip.left = gui::ClampToInt(int64_t(screen.x) + client.left);
    clip.top = gui::ClampToInt(int64_t(screen.y) + client.top);
    clip.right = gui::ClampToInt(int64_t(clip.left) + m_PixelSize.x);
    clip.bottom = gui::ClampToInt(int64_t(clip.top) + m_PixelSize.y);
    guiClipStack& clips = guiClipStack::Get();
    clips.PushCopy();
    if (m_ClipMode == kClipToParent)
        clips.IntersectTop(clip);
    else
        clips.ReplaceTop(clip);
}

bool guiGlyph::PreRender(guiRenderContext& /*context*/)
{
    return true;
}

void guiGlyph::PostRender(guiRenderContext& /*context*/)
{
    guiOriginStack::Get().Pop();
    if (m_ClipMode == kClipToParent || m_ClipMode == kClipToSelf)
        guiClipStack::Get().Pop();
    m_Dirty = false;
}

kaPoint guiGlyph::ToPixels(const guiCoordPair& pair) const
{
    float width = 0.0f;
    float height = 0.0f;
    if (pair.x.IsRelative() || pair.y.IsRelative())
        GetReferenceSize(width, height);
    return kaPoint(pair.x.ToPixels(width), pair.y.ToPixels(height));
}

void guiGlyph::GetReferenceSize(float& width, float& height) const
{
    _GetReferenceSize(width, height, 0);
}

void guiGlyph::_GetReferenceSize(float& width, float& height, int depth) const
{
    width = 0.0f;
    height = 0.0f;
    if (m_Reference == nullptr)
    {
        if (g_pGraphicsManager != nullptr)
        {
            width = static_cast<float>(g_pGraphicsManager->GetPresentParameters().BackBufferWidth);
            height = static_cast<float>(g_pGraphicsManager->GetPresentParameters().BackBufferHeight);
        }
        return;
    }
    // Each axis takes the reference's cached pixels, or converts its size when nothing is cached yet.
    const kaPoint& cached = m_Reference->m_PixelSize;
    width = static_cast<float>(cached.x);
    height = static_cast<float>(cached.y);
    if ((cached.x != 0 && cached.y != 0) || depth >= kMaxReferenceChain)
        return;
    float outerWidth;
    float outerHeight;
    m_Reference->_GetReferenceSize(outerWidth, outerHeight, depth + 1);
    const guiCoordPair& size = m_Reference->m_Size;
    if (cached.x == 0)
        width = static_cast<float>(size.x.ToPixels(outerWidth));
    if (cached.y == 0)
        height = static_cast<float>(size.y.ToPixels(outerHeight));
}

void guiGlyph::_UpdatePixelCache()
{
    m_PixelPosition = ToPixels(m_Position);
    m_PixelSize = ToPixels(m_Size);
}

void DrawTree(guiGlyph* glyph, guiRenderContext& context)
{
    if (glyph == nullptr || !glyph->IsVisible())
        return;
    glyph->_UpdatePixelCache();
    glyph->Render(context);
    guiWindow* window = glyph->GetOwnerWindow();
    if (window != nullptr && window != glyph && glyph->IsInHitList() && !glyph->IsExcludedFromHitList())
        window->AddToHitList(glyph);
    glyph->PreRender(context);
    for (int i = 0; i < glyph->GetChildCount(); ++i)
        DrawTree(glyph->GetChild(i), context);
    glyph->PostRender(context);
}
