#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Ogg Vorbis files made through libsndfile with the same bytes on every run: libsndfile starts each
// logical stream with a random serial number, so the serial is overwritten afterwards and every page's
// checksum computed again.
class OggStream
{
public:
    static constexpr uint32_t kSerial = 0x54617276;

    // Mono samples at rate into a complete file; false when libsndfile cannot encode.
    static bool Encode(const std::vector<float>& samples, uint32_t rate, std::string& bytes);
    // Sets every page's serial number and checksum. False, with the bytes as they were, when they are not a
    // run of whole Ogg pages.
    static bool SetSerial(std::string& bytes, uint32_t serial);
    // The page checksum (polynomial 0x04C11DB7, no reflection, starting at 0).
    static uint32_t Crc(const uint8_t* data, size_t size);
    // Writes the encoded file through the safe writer.
    static bool Write(const std::string& path, const std::vector<float>& samples, uint32_t rate);
};
