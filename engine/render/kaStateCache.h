#pragma once

#include <cstdint>

namespace platform
{
class GfxBaseTexture;
}

// The device states last sent, so that a state already in force costs no device call. After a reset it
// holds what a freshly reset device is believed to hold.
class kaStateCache
{
public:
    static constexpr uint32_t kRenderStates = 209;
    static constexpr uint32_t kStages = 4;
    static constexpr uint32_t kStageStates = 32;
    static constexpr uint32_t kSamplerStates = 13;
    // Every stage a texture can be bound to keeps its own entry.
    static constexpr uint32_t kTextureStages = 8;

    // depthMode: 1 z-buffer, 2 w-buffer, anything else none.
    void Reset(uint32_t depthMode);

    // The cached entry of a state, or null for states the cache does not hold.
    uint32_t* FindRenderState(uint32_t state);
    uint32_t* FindTextureStageState(uint32_t stage, uint32_t state);
    uint32_t* FindSamplerState(uint32_t sampler, uint32_t state);
    platform::GfxBaseTexture** FindTexture(uint32_t stage);
    // Clears every stage that holds the texture.
    void ForgetTexture(const platform::GfxBaseTexture* texture);

private:
    uint32_t m_RenderStates[kRenderStates] = {};
    uint32_t m_StageStates[kStages][kStageStates] = {};
    uint32_t m_SamplerStates[kSamplerStates] = {};
    platform::GfxBaseTexture* m_Textures[kTextureStages] = {};
};
