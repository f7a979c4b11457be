#pragma once

#include <cstdint>

class kaTexture;

// One texture stage of a render state. The state owns the record and holds one reference on its texture.
struct kaTextureStage
{
    // How the stage combines its texture with what the stages before it produced.
    static constexpr uint32_t kModulate = 0;
    static constexpr uint32_t kModulateSelf = 1;
    static constexpr uint32_t kEnvironmentMap = 2;
    static constexpr uint32_t kModulate2x = 3;
    // Three stages in a row: two lit textures mixed by the colour of the third.
    static constexpr uint32_t kMixFirst = 4;
    static constexpr uint32_t kMixSecond = 5;
    static constexpr uint32_t kMixBlend = 6;

    kaTexture* texture = nullptr;
    uint32_t blendType = kModulate;
    uint32_t texCoordIndex = 0;
    // Non-zero: the stage's filters are left as they are.
    uint32_t keepSampling = 0;
    bool clampU = false;
    bool clampV = false;
};
