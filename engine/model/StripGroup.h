#pragma once

#include <cstdint>
#include <vector>

// One primitive group written by the strip builder.
struct StripGroup
{
    static constexpr uint32_t kTriangleList = 0;
    static constexpr uint32_t kTriangleStrip = 1;
    static constexpr uint32_t kTriangleFan = 2;

    uint32_t m_Type = kTriangleStrip;
    std::vector<uint16_t> m_Indices;

    uint32_t GetIndexCount() const { return static_cast<uint32_t>(m_Indices.size()); }
};
