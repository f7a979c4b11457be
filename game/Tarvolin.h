#pragma once

#include "engine/core/kaApp.h"

#include <cstdint>
#include <string>

class kaGraphicsManager;
class kaProfilerOutput;

// The game's application object: start-up, the per-frame work the message pump drives, and shutdown.
class Tarvolin : public kaApp
{
public:
    static constexpr const char* kProductTitle = "Tarvolin";
    static constexpr const char* kMainLoopSection = "Main Game Loop";
    static constexpr const char* kRegistryKey = "SOFTWARE\\Kalder Arts\\Tarvolin";
    static constexpr const char* kInstallTypeValue = "INSTALLTYPE";
    static constexpr const char* kFullInstallPathValue = "FULLINSTALLPATH";
    static constexpr const char* kMinimalInstallPathValue = "MINIMALINSTALLPATH";
    static constexpr const char* kInterfaceFolder = "ui";
    static constexpr const char* kCommonInterfaceFolder = "ui/common";
    static constexpr const char* kInitDataFolder = "InitData";
    static constexpr const char* kConfigFile = "Tarvolin.cfg";

    Tarvolin();
    ~Tarvolin() override;

    bool Init(const std::string& commandLine) override;
    bool Update() override;
    bool Render() override;
    bool OnKey(uint32_t code, bool isVirtualKey, uint8_t shift, uint8_t alt, uint8_t ctrl) override;
    bool Shutdown() override;

    // Closes the main window once this many frames have run (0: never), so the program can run unattended.
    void SetFrameLimit(uint32_t frames) { m_FrameLimit = frames; }
    uint32_t GetFrameCount() const { return m_FrameCount; }
    float GetFrameTime() const { return m_FrameTime; }

    kaGraphicsManager* GetGraphicsManager() const { return m_GraphicsManager; }

    // While on, each frame ends with a profiler report into the output.
    void ShowProfiler(bool show, kaProfilerOutput* output);

private:
    // False when no graphics device could be made.
    bool _CreateGraphicsManager();
    void _DeleteGraphicsManager();

    kaGraphicsManager* m_GraphicsManager = nullptr;
    uint32_t m_FrameCount = 0;
    uint32_t m_FrameLimit = 0;
    bool m_CloseRequested = false;
    float m_FrameTime = 0.0f;
    bool m_ShowProfiler = false;
    kaProfilerOutput* m_ProfilerWindow = nullptr;
};
