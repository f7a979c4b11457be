#include "engine/render/kaGraphicsManager.h"

#include "engine/core/kaFileSystem.h"
#include "engine/render/EndsWithNoCase.h"
#include "engine/render/kaBMPImage.h"
#include "engine/render/kaEffect.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaTextureAtlas.h"

#include "platform/gfx/GfxDevice.h"

#include <algorithm>
#include <cstring>
#include <utility>

using namespace platform;

namespace
{
// A read room larger than this goes back once used, and cleared images' rooms are kept only up to it in all.
constexpr size_t kKeptReadRoom = 4u << 20;
} // namespace

kaTexture* kaGraphicsManager::LoadTexture(const std::string& name, bool withoutMips, uint32_t option)
{
    if (!m_pDevice || name.empty() || m_SkipTextureFiles)
        return nullptr;
    for (const auto& entry : m_Textures)
        if (entry.second->GetName() == name)
        {
            entry.second->AddRef();
            return entry.second;
        }
    const uint32_t kind = option == 0 ? kaTexture::kKind2D : option;
    auto* texture = new kaTexture(name, m_pDevice, withoutMips ? 1 : 0, 0, POOL_MANAGED, kind);
    if (!texture->IsLoaded())
    {
        delete texture;
        return nullptr;
    }
    return _RegisterTexture(texture);
}

kaTexture* kaGraphicsManager::CreateTexture(uint32_t width, uint32_t height, uint32_t option)
{
    if (!m_pDevice)
        return nullptr;
    uint32_t format = 0;
    const uint32_t display = m_DisplayFormat;
    if (display == FMT_A8R8G8B8 || display == FMT_X8R8G8B8)
        format = IsTextureFormatSupported(FMT_A8R8G8B8) ? FMT_A8R8G8B8 : FMT_X8R8G8B8;
    else if (display == FMT_R5G6B5 || display == FMT_X1R5G5B5 || display == FMT_A1R5G5B5 ||
             display == FMT_A4R4G4B4)
    {
        format = FMT_A8R8G8B8;
        for (uint32_t candidate : {FMT_A4R4G4B4, FMT_A1R5G5B5, FMT_R5G6B5, FMT_X1R5G5B5})
            if (IsTextureFormatSupported(candidate))
            {
                format = candidate;
                break;
            }
    }
    auto* texture = new kaTexture;
    texture->Create(width, height, m_pDevice, format, 1, option, POOL_MANAGED);
    if (!texture->IsCreated())
    {
        delete texture;
        return nullptr;
    }
    return _RegisterTexture(texture);
}

kaTexture* kaGraphicsManager::_RegisterTexture(kaTexture* texture)
{
    texture->SetNumber(++m_TextureCounter);
    texture->AddRef();
    m_Textures[texture->GetNumber()] = texture;
    return texture;
}

bool kaGraphicsManager::ReleaseTexture(kaTexture* texture)
{
    if (!texture)
        return false;
    const auto found = m_Textures.find(texture->GetNumber());
    if (found == m_Textures.end() || found->second != texture)
    {
        texture->Release();
        return false;
    }
    if (texture->Release() <= 0)
        m_Textures.erase(found);
    return true;
}

kaEffect* kaGraphicsManager::LoadEffect(const std::string& name)
{
    if (!m_pDevice)
        return nullptr;
    for (const auto& entry : m_Effects)
        if (entry.second->GetName() == name)
        {
            entry.second->AddRef();
            return entry.second;
        }
    // Registered even when the file does not load: the next reset tries again.
    auto* effect = new kaEffect(name, m_pDevice);
    effect->AddRef();
    m_Effects[++m_EffectCounter] = effect;
    return effect;
}

const kaImage* kaGraphicsManager::FindOrLoadImageStream(const std::string& fileName)
{
    for (size_t i = 0; i < m_ImageCacheCount; ++i)
        if (m_ImageCache[i].first == fileName)
            return m_ImageCache[i].second.get();
    std::unique_ptr<kaImage> image;
    if (EndsWithNoCase(fileName, ".bmp"))
        image = std::make_unique<kaBMPImage>();
    else if (EndsWithNoCase(fileName, ".tga"))
        image = std::make_unique<kaTGAImage>();
    else
        return nullptr;
    // Found by the look-up that reads it, and decoded from those bytes.
    platform::FileBytes& bytes = m_ImageFileBytes;
    // The last image kept the read room as its pixels: a cleared image's room serves instead.
    if (bytes.Room() == 0 && !m_SpareImageRooms.empty())
    {
        bytes = std::move(m_SpareImageRooms.back());
        m_SpareImageRooms.pop_back();
    }
    bool read = false;
    std::string path = ResolveAndRead(fileName, bytes, read);
    if (path.empty() && !m_GraphicsPath.empty())
        path = ResolveAndRead(m_GraphicsPath + fileName, bytes, read);
    // The found path becomes the image's name: taken, not copied.
    const bool loaded =
        !path.empty() && (read ? image->LoadFileBytes(std::move(path), bytes) : image->Load(path));
    // A rare large picture does not keep its room for the life of the manager.
    if (bytes.Room() > kKeptReadRoom)
        bytes.Release();
    if (!loaded || !image->GetPixels())
        return nullptr;
    if (g_pFileSystem)
        g_pFileSystem->RecordOpenedFile(image->GetName().c_str());
    if (m_ImageCacheCount == m_ImageCache.size())
        m_ImageCache.emplace_back();
    auto& entry = m_ImageCache[m_ImageCacheCount++];
    entry.first.assign(fileName);
    entry.second = std::move(image);
    return entry.second.get();
}

void kaGraphicsManager::ClearImageCache()
{
    // The images go; the entries stay with their keys' room, and the rooms the images held their files in
    // wait for the next round's reads, while they add up to little.
    size_t kept = m_ImageFileBytes.Room();
    for (const platform::FileBytes& spare : m_SpareImageRooms)
        kept += spare.Room();
    for (size_t i = 0; i < m_ImageCacheCount; ++i)
    {
        platform::FileBytes room;
        m_ImageCache[i].second->GiveUpFileRoom(room);
        m_ImageCache[i].second.reset();
        if (room.Room() > 0 && kept + room.Room() <= kKeptReadRoom)
        {
            kept += room.Room();
            m_SpareImageRooms.push_back(std::move(room));
        }
    }
    m_ImageCacheCount = 0;
}

void kaGraphicsManager::_ReleaseSharedResources()
{
    // Release may destroy the texture, which leaves its atlas page; the map entry goes first.
    while (!m_Textures.empty())
    {
        kaTexture* texture = m_Textures.begin()->second;
        m_Textures.erase(m_Textures.begin());
        texture->Release();
    }
    m_Atlas->Clear();
    ClearImageCache();
    // An effect still held elsewhere must not keep the device alive.
    for (auto& entry : m_Effects)
    {
        entry.second->ReleaseEffect();
        entry.second->Release();
    }
    m_Effects.clear();
}
