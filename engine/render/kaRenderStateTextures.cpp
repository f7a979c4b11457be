// The stages' textures: references, device textures and loading through the graphics manager.
#include "engine/render/kaRenderState.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTexture.h"

void kaRenderState::_HoldTexture(kaTexture* texture)
{
    if (texture)
        texture->AddRef();
}

// The texture table belongs to the graphics manager. A block that outlives it (a static one at exit)
// holds the last reference of its textures, which it drops on the texture itself.
void kaRenderState::_DropTexture(kaTexture* texture)
{
    if (!texture)
        return;
    if (g_pGraphicsManager)
        g_pGraphicsManager->ReleaseTexture(texture);
    else
        texture->Release();
}

platform::GfxBaseTexture* kaRenderState::_DeviceTexture(const kaTexture* texture)
{
    return texture ? texture->GetBaseTexture() : nullptr;
}

bool kaRenderState::_HasMips(const kaTexture* texture)
{
    return texture && texture->HasMips();
}

kaTexture* kaRenderState::AddTextureFromFile(const std::string& name, bool withoutMips, uint32_t keepSampling,
                                             uint32_t blendType, uint32_t texCoordIndex, bool clampU,
                                             bool clampV, uint32_t option)
{
    if (name.empty() || !g_pGraphicsManager)
        return nullptr;
    kaTexture* texture = g_pGraphicsManager->LoadTexture(name, withoutMips, option);
    if (!texture)
        return nullptr;
    AddTexture(texture, keepSampling, blendType, texCoordIndex, clampU, clampV);
    // The stage holds its own reference now.
    g_pGraphicsManager->ReleaseTexture(texture);
    return texture;
}

kaTexture* kaRenderState::SetTextureFromFile(const std::string& name)
{
    if (!g_pGraphicsManager)
        return nullptr;
    kaTexture* texture = g_pGraphicsManager->LoadTexture(name, true, 1);
    if (!texture)
        return nullptr;
    // Every stage holds a reference of its own, as the destructor expects; the load's is dropped.
    for (kaTextureStage* stage : m_Stages)
    {
        _HoldTexture(texture);
        _DropTexture(stage->texture);
        stage->texture = texture;
    }
    const bool held = !m_Stages.empty();
    g_pGraphicsManager->ReleaseTexture(texture);
    return held ? texture : nullptr;
}
