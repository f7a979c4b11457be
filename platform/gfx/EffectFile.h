#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{

// Our own effect file, read line by line:
//
//     // comment
//     technique Water
//     pass Base
//     renderstate 27 1            (state number, value; decimal or 0x hex)
//     samplerstate 0 5 2          (sampler, state number, value)
//     vertexshader                (GLSL 1.20 source until a line "endshader")
//     ...
//     endshader
//     fragmentshader
//     ...
//     endshader
//
// A pass belongs to the technique above it; states and shaders to the pass above them.
class EffectFile
{
public:
    static constexpr size_t kMaxFileBytes = 1u << 20;
    static constexpr size_t kMaxTechniques = 64;
    static constexpr size_t kMaxPasses = 64;
    static constexpr size_t kMaxStates = 256;

    struct RenderState
    {
        uint32_t state = 0;
        uint32_t value = 0;
    };

    struct SamplerState
    {
        uint32_t sampler = 0;
        uint32_t state = 0;
        uint32_t value = 0;
    };

    struct Pass
    {
        std::string name;
        std::vector<RenderState> renderStates;
        std::vector<SamplerState> samplerStates;
        std::string vertexSource;
        std::string fragmentSource;
        // The file's line of the pass, for error messages.
        uint32_t line = 0;
    };

    struct Technique
    {
        std::string name;
        std::vector<Pass> passes;
    };

    // False with the reason (and line) in error.
    bool Parse(const std::string& text, std::string& error);
    // The path may use '\' and any case, as data files do.
    bool Load(const std::string& path, std::string& error);

    const std::vector<Technique>& GetTechniques() const { return m_Techniques; }

private:
    std::vector<Technique> m_Techniques;
};

} // namespace platform
