#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The button click: a short burst of noise and a high tone, dying away within a few hundredths of a
// second.
namespace guigen
{

constexpr const char* kClickSoundFile = "Sounds/button_click.wav";
constexpr uint32_t kClickRate = 22050;
constexpr std::size_t kClickSamples = 660;

// Mono 16-bit samples at kClickRate.
std::vector<int16_t> ClickSamples();
// The whole PCM wave file.
std::string ClickWave();

} // namespace guigen
