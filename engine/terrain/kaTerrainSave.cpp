// Keeping edited ground: kaTerrain writes heights that no longer match their map as a map of their own.
#include "engine/render/kaBMPImage.h"
#include "engine/terrain/kaTerrain.h"

#include "platform/files/Files.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{

constexpr const char* kGroundSuffix = "_ground";

// The text up to and including the last folder separator.
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file name without folder and extension.
std::string StemOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name.empty() ? std::string("course") : name;
}

} // namespace

std::vector<uint8_t> kaTerrain::HeightSamples() const
{
    // The inverse of generation: height16 = trunc(s x scale / 255) + offset.
    const float scale = m_Height / (m_Height + kHeightFloor) * kHeightSteps;
    const int32_t offset = int32_t(kHeightSteps) - int32_t(scale);
    std::vector<uint8_t> samples(m_Heights.size(), 0);
    if (!(scale > 0.0f))
        return samples;
    for (size_t i = 0; i < m_Heights.size(); ++i)
    {
        const double sample = std::round(double(int32_t(m_Heights[i]) - offset) * 255.0 / double(scale));
        samples[i] = uint8_t(std::clamp(sample, 0.0, 255.0));
    }
    return samples;
}

void kaTerrain::PrepareSave(const std::string& courseFile)
{
    if (!m_HeightsEdited || m_Heights.empty())
        return;
    // Beside the map the heights came from; this course's own map from an earlier save is written over,
    // any other file is left alone.
    const std::string folder = FolderOf(m_HeightMapPath);
    const std::string stem = StemOf(courseFile) + kGroundSuffix;
    std::string path = folder + stem + ".bmp";
    for (int n = 2; path != m_HeightMapPath && platform::PathExists(path); ++n)
        path = folder + stem + std::to_string(n) + ".bmp";

    // The loader hands rows in the file's stored order, which for this writer is bottom row first.
    const std::vector<uint8_t> samples = HeightSamples();
    std::vector<uint8_t> topFirst(samples.size());
    const size_t columns = size_t(m_Columns);
    for (int32_t row = 0; row < m_Rows; ++row)
        std::copy_n(samples.begin() + std::ptrdiff_t(size_t(row) * columns), columns,
                    topFirst.begin() + std::ptrdiff_t(size_t(m_Rows - 1 - row) * columns));
    kaBMPImage image;
    if (!image.Create(uint32_t(m_Columns), uint32_t(m_Rows), 8, topFirst.data()) || !image.Save(path, false))
    {
        platform::DebugPrintf(
            "[kaTerrain::PrepareSave] Error: the edited heights could not be written to %s; "
            "the course keeps %s\n",
            path.c_str(), m_HeightMapPath.c_str());
        return;
    }
    m_HeightMapPath = path;
    m_HeightsEdited = false;
}
