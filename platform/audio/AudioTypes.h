#pragma once

#include "platform/system/Guid.h"
#include "platform/window/Window.h"

#include <cstdint>

namespace platform
{

// Result codes of the sound interfaces, with the values the engine compares against.
using HResult = int32_t;

constexpr HResult kResultOk = 0;
constexpr HResult kResultFalse = 1;
constexpr HResult kResultNoVirtualization = 0x0878000A;
constexpr HResult kResultNotImplemented = static_cast<HResult>(0x80004001);
constexpr HResult kResultNoInterface = static_cast<HResult>(0x80004002);
constexpr HResult kResultFail = static_cast<HResult>(0x80004005);
constexpr HResult kResultOutOfMemory = static_cast<HResult>(0x8007000E);
constexpr HResult kResultInvalidArg = static_cast<HResult>(0x80070057);
constexpr HResult kResultNotInitialized = static_cast<HResult>(0x800401F0);
constexpr HResult kResultControlUnavailable = static_cast<HResult>(0x8878001E);
constexpr HResult kResultInvalidCall = static_cast<HResult>(0x88780032);
constexpr HResult kResultBadFormat = static_cast<HResult>(0x88780064);
constexpr HResult kResultNoDriver = static_cast<HResult>(0x88780078);
constexpr HResult kResultBufferLost = static_cast<HResult>(0x88780096);

inline bool Succeeded(HResult result)
{
    return result >= 0;
}

// The window that receives notifications is the window interface's handle (WindowHandle).

// Wave format header; extraSize counts the format bytes that follow it in a file.
struct WaveFormat
{
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

// Buffer capability flags.
constexpr uint32_t kBufferPrimary = 0x1;
constexpr uint32_t kBufferCtrl3D = 0x10;
constexpr uint32_t kBufferCtrlFrequency = 0x20;
constexpr uint32_t kBufferCtrlPan = 0x40;
constexpr uint32_t kBufferCtrlVolume = 0x80;
constexpr uint32_t kBufferMute3DAtMaxDistance = 0x20000;

struct BufferDesc
{
    uint32_t size = 36;
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;
    // The sample format, with extraBytes following it (extensible formats); null for a primary buffer.
    const WaveFormat* format = nullptr;
    const uint8_t* extraBytes = nullptr;
    Guid algorithm;
};

// Buffer status bits.
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusBufferLost = 0x2;
constexpr uint32_t kStatusLooping = 0x4;

// Play flags.
constexpr uint32_t kPlayLooping = 0x1;

// Cooperative levels.
constexpr uint32_t kCooperativeNormal = 1;
constexpr uint32_t kCooperativePriority = 2;

// Volumes in hundredths of a decibel; frequencies in hertz (0 restores the buffer's own rate).
constexpr int32_t kVolumeMin = -10000;
constexpr int32_t kVolumeMax = 0;
constexpr uint32_t kFrequencyOriginal = 0;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 200000;

// 3D settings take effect at once or at the listener's next commit.
constexpr uint32_t kApplyImmediate = 0;
constexpr uint32_t kApplyDeferred = 1;

constexpr float kDefaultMinDistance = 1.0f;
constexpr float kDefaultMaxDistance = 1000000000.0f;

// Music graph: event codes, states (100-ns positions), seeking flags.
constexpr int32_t kEventComplete = 1;
constexpr int32_t kEventUserAbort = 2;
constexpr int32_t kGraphStopped = 0;
constexpr int32_t kGraphPaused = 1;
constexpr int32_t kGraphRunning = 2;
constexpr uint32_t kSeekingNoPositioning = 0;
constexpr uint32_t kSeekingAbsolutePositioning = 1;
constexpr int64_t kUnitsPerSecond = 10000000;

} // namespace platform
