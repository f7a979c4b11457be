#pragma once

#include "engine/core/kaRect.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform
{
class GfxTexture;
}

class kaTexture;

// Shared pages for images that cannot be device textures of their own. Each page is one device texture
// filled shelf by shelf, left to right; freed space is not reused, but a page whose last texture has
// gone is released.
class kaTextureAtlas
{
public:
    static constexpr uint32_t kMaxPageSize = 1024;

    struct Page
    {
        platform::GfxTexture* texture = nullptr;
        uint32_t width = 0;
        uint32_t height = 0;
        uint32_t format = 0;
        uint32_t usage = 0;
        uint32_t pool = 0;
        uint32_t cursorX = 0;
        uint32_t shelfTop = 0;
        uint32_t nextShelfTop = 0;
        std::vector<std::pair<kaRect, std::string>> entries;
    };

    kaTextureAtlas() = default;
    ~kaTextureAtlas();
    kaTextureAtlas(const kaTextureAtlas&) = delete;
    kaTextureAtlas& operator=(const kaTextureAtlas&) = delete;

    // The first page that takes the texture, else a new page; a page that cannot be made is not kept.
    bool Add(kaTexture* texture, uint32_t width, uint32_t height, uint32_t format, uint32_t usage,
             uint32_t pool);
    // Drops the first entry of the texture's name; a page left without entries is released.
    bool Remove(const kaTexture* texture);
    bool Place(Page& page, kaTexture* texture, uint32_t width, uint32_t height, uint32_t format,
               uint32_t usage, uint32_t pool);
    static bool Fit(Page& page, uint32_t width, uint32_t height, uint32_t& x, uint32_t& y);

    // Releases every page's device texture.
    void Clear();
    const std::vector<Page>& GetPages() const { return m_Pages; }

private:
    bool _NewPage(uint32_t format, uint32_t usage, uint32_t pool);

    std::vector<Page> m_Pages;
};
