#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 16-bit PCM WAV files from float samples in [-1, 1] (clipped beyond), through the safe writer,
// creating the folders on the way.
class WaveWriter
{
public:
    // Interleaved samples; false when any folder or the file cannot be written.
    static bool Write(const std::string& path, const std::vector<float>& samples, uint16_t channels,
                      uint32_t rate);
    // The whole file as bytes.
    static std::string Encode(const std::vector<float>& samples, uint16_t channels, uint32_t rate);
    // Creates every missing folder of a file's path (folders that exist in another case are reused).
    static bool MakeFolders(const std::string& filePath);
    // Makes the folders and gives the path to write: the folder as it exists on disk, whatever the case
    // it was found in, and the file's own name. Empty when a folder cannot be made.
    static std::string Prepare(const std::string& filePath);
};
