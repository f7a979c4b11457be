#pragma once

#include <cstdint>
#include <string>

namespace platform
{

// A GLSL 1.20 program of a vertex and a fragment shader, on the current context. Either source may be
// empty, leaving that stage to the fixed-function pipeline.
class GLProgram
{
public:
    // The program's name, or 0 with the compiler's or linker's log in `log`.
    static uint32_t Build(const std::string& vertexSource, const std::string& fragmentSource,
                          std::string& log);
    static void Delete(uint32_t program);
    // 0 returns to the fixed-function pipeline.
    static void Use(uint32_t program);
    // -1 when the program has no active uniform of that name.
    static int32_t Location(uint32_t program, const std::string& name);
    // The matrix as stored: a row-vector matrix read by GLSL as column-major, so `m * v` gives v·M.
    static void SetMatrix(int32_t location, const float* values);
    static void SetFloat(int32_t location, float value);
    static void SetVector(int32_t location, const float* values);
    static void SetSampler(int32_t location, int32_t unit);
};

} // namespace platform
