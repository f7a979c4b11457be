#pragma once

#include <array>
#include <cstdint>

namespace platform
{

// 16-byte identifier of a device instance, product or 3D algorithm; all zero means none or the default.
// Input and sound share this one type so that a program may use both.
struct Guid
{
    std::array<uint8_t, 16> bytes{};

    bool IsNull() const
    {
        for (uint8_t b : bytes)
            if (b != 0)
                return false;
        return true;
    }
    bool operator==(const Guid& other) const { return bytes == other.bytes; }
    bool operator!=(const Guid& other) const { return bytes != other.bytes; }
};

} // namespace platform
