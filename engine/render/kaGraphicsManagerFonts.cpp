// The font table: fonts by name, each with its glyph page entered in the texture table.
#include "engine/render/kaGraphicsManager.h"

#include "engine/render/kaFont.h"
#include "engine/render/kaTexture.h"

kaFont* kaGraphicsManager::LoadFontFile(const std::string& file, uint32_t pixelSize, const std::string& name)
{
    if (kaFont* existing = _FindFont(name))
        return existing;
    return _RegisterFont(new kaFont(file, pixelSize, 0), name);
}

kaFont* kaGraphicsManager::LoadFont(const std::string& file, const std::string& name)
{
    if (name.empty() || file.empty())
        return nullptr;
    if (kaFont* existing = _FindFont(name))
        return existing;
    return _RegisterFont(new kaFont(file, 0), name);
}

kaFont* kaGraphicsManager::_RegisterFont(kaFont* font, const std::string& name)
{
    font->AddRef();
    font->LoadGlyphs();
    font->CreateDeviceObjects();
    _RegisterTexture(font->GetTexture());
    m_Fonts[name] = font;
    return font;
}

kaFont* kaGraphicsManager::_FindFont(const std::string& name) const
{
    const auto found = m_Fonts.find(name);
    return found == m_Fonts.end() ? nullptr : found->second;
}

kaFont* kaGraphicsManager::GetFont(const std::string& name) const
{
    if (kaFont* font = _FindFont(name))
        return font;
    return _FindFont(kSystemFont);
}

kaTexture* kaGraphicsManager::GetFontTexture(const std::string& name) const
{
    const kaFont* font = GetFont(name);
    return font ? font->GetTexture() : nullptr;
}

bool kaGraphicsManager::GetGlyphMetrics(const std::string& name, char character, float& left, float& top,
                                        float& right, float& bottom, float& width, float& height,
                                        int32_t& advance, int32_t& bearingX, int32_t& bearingY) const
{
    const kaFont* font = GetFont(name);
    return font && font->GetGlyphMetrics(character, left, top, right, bottom, width, height, advance,
                                         bearingX, bearingY);
}

void kaGraphicsManager::ReleaseAllFonts()
{
    for (auto& entry : m_Fonts)
        entry.second->Release();
    m_Fonts.clear();
}
