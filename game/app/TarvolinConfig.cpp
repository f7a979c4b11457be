#include "game/app/Tarvolin.h"

#include "engine/core/Wizard.h"
#include "engine/render/kaConfigFile.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/GfxDevice.h"

#include <cctype>
#include <cstdio>
#include <limits>

namespace
{

// Keys and values are split at each of these, so a text value ends at its first blank.
constexpr const char* kDelimiters = " ,=\n";

// The shader versions from which each level is offered, lowest level first.
struct ShaderSteps
{
    uint32_t versions[3];
};
constexpr ShaderSteps kPixelSteps = {
    {platform::PS_VERSION(1, 1), platform::PS_VERSION(1, 4), platform::PS_VERSION(2, 0)}};
constexpr ShaderSteps kVertexSteps = {
    {platform::VS_VERSION(1, 1), platform::VS_VERSION(1, 4), platform::VS_VERSION(2, 0)}};

// A decimal integer as the file holds it: an optional sign, then digits up to the first other character.
// Text without digits reads as 0 and a value past 32 bits stops at the nearest limit.
int32_t ParseInteger(const std::string& text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int64_t value = 0;
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min())
                                   : int64_t(std::numeric_limits<int32_t>::max());
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = std::min(value * 10 + (text[i] - '0'), limit);
    return static_cast<int32_t>(negative ? -value : value);
}

// The highest level up to the requested one that the device's version allows.
int32_t LevelForVersion(int32_t requested, uint32_t version, const ShaderSteps& steps)
{
    if (requested < 0 || requested > 3)
        return 0;
    for (int32_t level = requested; level > 0; --level)
        if (version >= steps.versions[level - 1])
            return level;
    return 0;
}

std::string Line(const char* key, const std::string& value)
{
    return std::string(key) + "=" + value + "\n";
}

std::string Line(const char* key, int32_t value)
{
    return Line(key, std::to_string(value));
}

} // namespace

platform::GfxCaps Tarvolin::_DeviceCaps() const
{
    platform::GfxCaps caps;
    platform::GfxDevice* device = m_GraphicsManager ? m_GraphicsManager->GetDevice() : nullptr;
    if (!device || platform::GfxFailed(device->GetDeviceCaps(&caps)))
        return platform::GfxCaps();
    return caps;
}

void Tarvolin::DetectShaderSupport()
{
    const platform::GfxCaps caps = _DeviceCaps();
    SetPixelShaderLevel(LevelForVersion(3, caps.PixelShaderVersion, kPixelSteps));
    SetVertexShaderLevel(LevelForVersion(3, caps.VertexShaderVersion, kVertexSteps));
}

int32_t Tarvolin::_ClampShaderLevel(const std::string& value, bool pixel) const
{
    const platform::GfxCaps caps = _DeviceCaps();
    // A key without a value asks for level 0.
    const int32_t requested = ParseInteger(value);
    return pixel ? LevelForVersion(requested, caps.PixelShaderVersion, kPixelSteps)
                 : LevelForVersion(requested, caps.VertexShaderVersion, kVertexSteps);
}

void Tarvolin::LoadConfig(const std::string& fileName)
{
    kaConfigFile::ReadSection(
        fileName, kConfigBeginMarker, kConfigEndMarker,
        [this](const std::string& line) { ParseConfigLine(line); }, kaConfigFile::MarkerMatch::kExact);
}

void Tarvolin::ParseConfigLine(const std::string& line)
{
    size_t pos = 0;
    std::string key;
    if (!kaConfigFile::NextToken(line, pos, kDelimiters, key))
        return;
    std::string value;
    const bool hasValue = kaConfigFile::NextToken(line, pos, kDelimiters, value);

    if (key == "PixelShaderEffects")
        SetPixelShaderLevel(_ClampShaderLevel(value, true));
    else if (key == "VertexShaderEffects")
        SetVertexShaderLevel(_ClampShaderLevel(value, false));
    if (!hasValue)
        return;

    const int32_t number = ParseInteger(value);
    if (key == "VisualEffects")
        m_VisualEffects = number;
    else if (key == "SoundVolume")
        m_SoundVolume = number;
    else if (key == "MusicVolume")
        m_MusicVolume = number;
    else if (key == "MusicMuted")
    {
        if (g_pWizard)
            g_pWizard->SetMusicMuted(number != 0);
    }
    else if (key == "InterfaceMusicMuted")
        m_InterfaceMusicMuted = number != 0;
    else if (key == "DefaultCam")
        m_DefaultCamera = value[0];
    else if (key == "SoundMuted")
    {
        if (g_pWizard)
            g_pWizard->SetMuted(number != 0);
    }
    else if (key == "Console")
        m_ConsoleEnabled = number != 0;
    else if (key == "HeightmapDir")
        m_HeightmapFolder = value;
    else if (key == "TexturemapDir")
        m_TexturemapFolder = value;
}

std::string Tarvolin::_ConfigSectionBody() const
{
    const bool musicMuted = g_pWizard && g_pWizard->IsMusicMuted();
    const bool soundMuted = g_pWizard && g_pWizard->IsMuted();
    // Camera code 0 is written as an empty value: a zero byte would end the line for a reader of C
    // strings and take the next key with it.
    const std::string camera = m_DefaultCamera == 0 ? std::string() : std::string(1, m_DefaultCamera);
    return Line("VisualEffects", m_VisualEffects) + Line("PixelShaderEffects", GetPixelShaderLevel()) +
           Line("VertexShaderEffects", GetVertexShaderLevel()) + Line("SoundVolume", m_SoundVolume) +
           Line("MusicVolume", m_MusicVolume) + Line("MusicMuted", musicMuted ? 1 : 0) +
           Line("InterfaceMusicMuted", m_InterfaceMusicMuted ? 1 : 0) + Line("DefaultCam", camera) +
           Line("SoundMuted", soundMuted ? 1 : 0) + Line("Console", m_ConsoleEnabled ? 1 : 0) +
           Line("HeightmapDir", m_HeightmapFolder) + Line("TexturemapDir", m_TexturemapFolder);
}

bool Tarvolin::SaveConfig(const std::string& fileName)
{
    return kaConfigFile::WriteSection(fileName, kConfigBeginMarker, kConfigEndMarker, _ConfigSectionBody(),
                                      kaConfigFile::MarkerMatch::kExact);
}
