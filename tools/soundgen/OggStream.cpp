#include "tools/soundgen/OggStream.h"

#include "platform/files/SafeFileWriter.h"
#include "tools/soundgen/WaveWriter.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace
{

// libsndfile's virtual file over a string.
struct MemoryFile
{
    std::string bytes;
    sf_count_t position = 0;
};

sf_count_t Length(void* user)
{
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user)
{
    MemoryFile* file = static_cast<MemoryFile*>(user);
    sf_count_t base = whence == SEEK_CUR   ? file->position
                      : whence == SEEK_END ? static_cast<sf_count_t>(file->bytes.size())
                                           : 0;
    file->position = std::max<sf_count_t>(0, base + offset);
    return file->position;
}

sf_count_t Read(void* ptr, sf_count_t count, void* user)
{
    MemoryFile* file = static_cast<MemoryFile*>(user);
    const sf_count_t size = static_cast<sf_count_t>(file->bytes.size());
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - file->position));
    if (n > 0)
        std::memcpy(ptr, file->bytes.data() + file->position, static_cast<size_t>(n));
    file->position += n;
    return n;
}

sf_count_t WriteBytes(const void* ptr, sf_count_t count, void* user)
{
    MemoryFile* file = static_cast<MemoryFile*>(user);
    const size_t end = static_cast<size_t>(file->position + count);
    if (file->bytes.size() < end)
        file->bytes.resize(end);
    std::memcpy(&file->bytes[static_cast<size_t>(file->position)], ptr, static_cast<size_t>(count));
    file->position += count;
    return count;
}

sf_count_t Tell(void* user)
{
    return static_cast<MemoryFile*>(user)->position;
}

uint32_t GetU32(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

void PutU32(std::string& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

uint32_t OggStream::Crc(const uint8_t* data, size_t size)
{
    static uint32_t table[256];
    static bool ready = false;
    if (!ready)
    {
        for (uint32_t i = 0; i < 256; ++i)
        {
            uint32_t r = i << 24;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
            table[i] = r;
        }
        ready = true;
    }
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) & 0xFF) ^ data[i]];
    return crc;
}

bool OggStream::SetSerial(std::string& bytes, uint32_t serial)
{
    constexpr size_t kHeader = 27;
    std::string result = bytes;
    size_t at = 0;
    while (at < result.size())
    {
        if (result.size() - at < kHeader || result.compare(at, 4, "OggS") != 0)
            return false;
        const size_t segments = static_cast<uint8_t>(result[at + 26]);
        if (result.size() - at < kHeader + segments)
            return false;
        size_t body = 0;
        for (size_t s = 0; s < segments; ++s)
            body += static_cast<uint8_t>(result[at + kHeader + s]);
        const size_t page = kHeader + segments + body;
        if (result.size() - at < page)
            return false;
        PutU32(result, at + 14, serial);
        PutU32(result, at + 22, 0);
        PutU32(result, at + 22, Crc(reinterpret_cast<const uint8_t*>(result.data() + at), page));
        at += page;
    }
    if (result.empty() || GetU32(result, 14) != serial)
        return false;
    bytes.swap(result);
    return true;
}

bool OggStream::Encode(const std::vector<float>& samples, uint32_t rate, std::string& bytes)
{
    SF_VIRTUAL_IO io = {Length, Seek, Read, WriteBytes, Tell};
    MemoryFile file;
    SF_INFO info = {};
    info.samplerate = static_cast<int>(rate);
    info.channels = 1;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* sound = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (!sound)
        return false;
    double quality = 0.4;
    sf_command(sound, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof(quality));
    const sf_count_t frames = static_cast<sf_count_t>(samples.size());
    const bool written = sf_writef_float(sound, samples.data(), frames) == frames;
    if (sf_close(sound) != 0 || !written)
        return false;
    bytes = std::move(file.bytes);
    return SetSerial(bytes, kSerial);
}

bool OggStream::Write(const std::string& path, const std::vector<float>& samples, uint32_t rate)
{
    std::string bytes;
    if (!Encode(samples, rate, bytes))
        return false;
    const std::string target = WaveWriter::Prepare(path);
    return !target.empty() && platform::SafeFileWriter::WriteWhole(target, bytes);
}
