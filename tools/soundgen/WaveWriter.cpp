#include "tools/soundgen/WaveWriter.h"

#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"

#include <algorithm>
#include <cmath>

namespace
{

void PutU16(std::string& out, uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void PutU32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

std::string WaveWriter::Encode(const std::vector<float>& samples, uint16_t channels, uint32_t rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    PutU32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    PutU32(out, 16);
    PutU16(out, 1);
    PutU16(out, channels);
    PutU32(out, rate);
    PutU32(out, rate * channels * 2);
    PutU16(out, static_cast<uint16_t>(channels * 2));
    PutU16(out, 16);
    out += "data";
    PutU32(out, dataBytes);
    for (float sample : samples)
    {
        const float clipped = std::max(-1.0f, std::min(1.0f, sample));
        const long value = std::lround(clipped * 32767.0f);
        PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(value)));
    }
    return out;
}

bool WaveWriter::MakeFolders(const std::string& filePath)
{
    std::string normal = filePath;
    std::replace(normal.begin(), normal.end(), '\\', '/');
    // Each folder is made inside its parent as that exists on disk, so a folder found in another case
    // is used rather than a second one made beside it.
    std::string native = normal.compare(0, 1, "/") == 0 ? "" : ".";
    size_t begin = native.empty() ? 1 : 0;
    for (size_t slash = normal.find('/', begin); slash != std::string::npos; slash = normal.find('/', begin))
    {
        const std::string component = normal.substr(begin, slash - begin);
        begin = slash + 1;
        if (component.empty() || component == ".")
            continue;
        const std::string candidate = native + "/" + component;
        if (platform::IsDirectory(candidate))
            native = platform::NativePath(candidate);
        else if (platform::CreateDirectory(candidate))
            native = candidate;
        else
            return false;
    }
    return true;
}

std::string WaveWriter::Prepare(const std::string& filePath)
{
    if (!MakeFolders(filePath))
        return std::string();
    std::string normal = filePath;
    std::replace(normal.begin(), normal.end(), '\\', '/');
    const size_t slash = normal.rfind('/');
    if (slash == std::string::npos)
        return normal;
    // A new file's name keeps the case it was given, but its folder may exist in another spelling only.
    return platform::NativePath(normal.substr(0, slash)) + normal.substr(slash);
}

bool WaveWriter::Write(const std::string& path, const std::vector<float>& samples, uint16_t channels,
                       uint32_t rate)
{
    const std::string target = Prepare(path);
    return !target.empty() && platform::SafeFileWriter::WriteWhole(target, Encode(samples, channels, rate));
}
