#pragma once

#include "platform/audio/AudioTypes.h"
#include "platform/audio/RiffReader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The sample data of a RIFF/WAVE sound, read from a file found through the file system. The sound
// device keeps one per file name and copies its samples into sound buffers.
class WaveFile
{
public:
    static constexpr uint32_t kModeRead = 1;
    // Larger files are refused rather than read into memory.
    static constexpr uint32_t kMaxFileBytes = 256u * 1024u * 1024u;

    WaveFile() = default;
    virtual ~WaveFile();
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    // Opens the sound for reading (the only mode) and positions at its first sample.
    platform::HResult Open(const char* name, const platform::WaveFormat* format, uint32_t mode);
    void Close();

    // Bytes of sample data: the "data" chunk's size, cut to the bytes actually in the file.
    uint32_t GetDataSize() const { return m_DataSize; }
    platform::HResult Rewind();
    // Copies up to count bytes of samples; read tells how many, fewer at the end of the data.
    platform::HResult Read(uint8_t* destination, uint32_t count, uint32_t* read);

    // The format header, null until read; an extensible format's extra bytes follow it in GetFormatExtra.
    const platform::WaveFormat* GetFormat() const { return m_Format.get(); }
    const std::vector<uint8_t>& GetFormatExtra() const { return m_FormatExtra; }

private:
    platform::HResult _ReadHeader();
    void _FreeFormat();

    std::unique_ptr<platform::WaveFormat> m_Format;
    std::vector<uint8_t> m_FormatExtra;
    std::unique_ptr<platform::RiffReader> m_Reader;
    // The "data" chunk once positioned; its size counts the bytes still to read.
    platform::RiffChunk m_Chunk;
    platform::RiffChunk m_Riff;
    uint32_t m_Mode = 0;
    uint32_t m_DataSize = 0;
};
