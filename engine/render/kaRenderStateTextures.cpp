// The stages' textures: references, device textures and loading through the graphics manager. Texture
// objects are not part of the renderer yet, so no stage can hold one and nothing is loaded.
#include "engine/render/kaRenderState.h"

#include "platform/system/DebugOutput.h"

void kaRenderState::_HoldTexture(kaTexture*) {}

void kaRenderState::_DropTexture(kaTexture*) {}

platform::GfxBaseTexture* kaRenderState::_DeviceTexture(const kaTexture*)
{
    return nullptr;
}

bool kaRenderState::_HasMips(const kaTexture*)
{
    return false;
}

kaTexture* kaRenderState::AddTextureFromFile(const std::string& name, bool, uint32_t, uint32_t, uint32_t, bool,
                                             bool, uint32_t)
{
    if (!name.empty())
        platform::DebugPrintf("[kaRenderState::AddTextureFromFile] : Textures are unavailable, %s not loaded\n",
                              name.c_str());
    return nullptr;
}

kaTexture* kaRenderState::SetTextureFromFile(const std::string& name)
{
    platform::DebugPrintf("[kaRenderState::SetTextureFromFile] : Textures are unavailable, %s not loaded\n",
                          name.c_str());
    return nullptr;
}
