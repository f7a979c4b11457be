#include "engine/render/kaTextureAtlas.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTexture.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTexture.h"

#include <algorithm>

using namespace platform;

namespace
{

bool Intersects(const kaRect& a, const kaRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

kaTextureAtlas::~kaTextureAtlas()
{
    Clear();
}

void kaTextureAtlas::Clear()
{
    for (Page& page : m_Pages)
        if (page.texture)
            page.texture->Release();
    m_Pages.clear();
}

bool kaTextureAtlas::Add(kaTexture* texture, uint32_t width, uint32_t height, uint32_t format, uint32_t usage,
                         uint32_t pool)
{
    if (!texture)
        return false;
    for (Page& page : m_Pages)
        if (Place(page, texture, width, height, format, usage, pool))
            return true;
    if (!_NewPage(format, usage, pool))
        return false;
    return Place(m_Pages.back(), texture, width, height, format, usage, pool);
}

bool kaTextureAtlas::Remove(const kaTexture* texture)
{
    if (!texture)
        return false;
    for (auto page = m_Pages.begin(); page != m_Pages.end(); ++page)
    {
        auto found =
            std::find_if(page->entries.begin(), page->entries.end(),
                         [texture](const auto& entry) { return entry.second == texture->GetName(); });
        if (found == page->entries.end())
            continue;
        page->entries.erase(found);
        // Freed space is never reused, so a page kept after its last texture left would only hold
        // memory: a program loading and releasing textures would gain a page every few hundred loads.
        if (page->entries.empty())
        {
            if (page->texture)
                page->texture->Release();
            m_Pages.erase(page);
        }
        return true;
    }
    return false;
}

bool kaTextureAtlas::Place(Page& page, kaTexture* texture, uint32_t width, uint32_t height, uint32_t format,
                           uint32_t usage, uint32_t pool)
{
    if (page.format != format || page.usage != usage || page.pool != pool || !page.texture)
        return false;
    uint32_t x = 0;
    uint32_t y = 0;
    if (!Fit(page, width, height, x, y))
        return false;
    page.entries.emplace_back(kaRect(int32_t(x), int32_t(y), int32_t(x + width), int32_t(y + height)),
                              texture->GetName());
    texture->SetDeviceTexture(page.texture);
    texture->SetPlacement(y, x, page.width, page.height);
    const float pageWidth = float(page.width);
    const float pageHeight = float(page.height);
    texture->SetTexCoordRect(float(x) / pageWidth, float(y) / pageHeight, float(x + width) / pageWidth,
                             float(y + height) / pageHeight);
    return true;
}

bool kaTextureAtlas::Fit(Page& page, uint32_t width, uint32_t height, uint32_t& x, uint32_t& y)
{
    if (uint64_t(page.shelfTop) + height > page.height)
        return false;
    if (uint64_t(page.cursorX) + width <= page.width)
    {
        x = page.cursorX;
        y = page.shelfTop;
        page.cursorX += width;
    }
    else
    {
        if (page.cursorX == 0)
            return false;
        x = 0;
        y = page.nextShelfTop;
        if (uint64_t(page.nextShelfTop) + height > page.height)
            return false;
        // A texture wider than the page fits no shelf; it must not open one either.
        if (width > page.width)
            return false;
        page.cursorX = width;
        page.shelfTop = page.nextShelfTop;
    }
    page.nextShelfTop = std::max(page.nextShelfTop, y + height);
    const kaRect placed(int32_t(x), int32_t(y), int32_t(x + width), int32_t(y + height));
    for (const auto& entry : page.entries)
        if (Intersects(placed, entry.first))
            return false;
    return true;
}

bool kaTextureAtlas::_NewPage(uint32_t format, uint32_t usage, uint32_t pool)
{
    GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!device)
        return false;
    GfxCaps caps;
    device->GetDeviceCaps(&caps);
    Page page;
    page.width = std::min(kMaxPageSize, caps.MaxTextureWidth);
    page.height = std::min(kMaxPageSize, caps.MaxTextureHeight);
    page.format = format;
    page.usage = usage;
    page.pool = pool;
    if (page.width == 0 || page.height == 0 ||
        GfxFailed(device->CreateTexture(page.width, page.height, 1, usage, format, pool, &page.texture)) ||
        !page.texture)
        return false;
    m_Pages.push_back(std::move(page));
    return true;
}
