#pragma once

#include <boost/function.hpp>

#include <cstdint>
#include <string>

class kaProfilerOutput;

// Measures named, nestable sections of each frame and, once a frame, reports every section's share of the
// frame, call count, time and nesting, averaged over the last reports. Fixed arrays only: Begin and End never
// allocate.
class kaProfiler
{
public:
    static constexpr int kMaxSamples = 50;
    static constexpr int kMaxHistories = 50;
    static constexpr int kHistoryLength = 120;
    static constexpr int kFrameTimeRingLength = 60;
    static constexpr int kMaxNameLength = 255;
    // Frame time that must gather between two hand-overs of the report text.
    static constexpr float kShowInterval = 0.5f;

    static constexpr const char* kSummaryFormat = "%0.1f fps   %d triangles  %d triangles/second\n";
    static constexpr const char* kHeader = "Ave      |Calls    |Time ms |Profile Name\n";
    static constexpr const char* kLineFormat = " %5s   |  %4s  |  %6s   | %s\n";

    using TriangleCounter = boost::function<uint32_t()>;

    kaProfiler();
    ~kaProfiler();
    kaProfiler(const kaProfiler&) = delete;
    kaProfiler& operator=(const kaProfiler&) = delete;

    void Begin(const char* name);
    void End(const char* name);
    // Reports into the output passed by the previous call, then keeps this one for the next frame.
    void EndFrame(float frameTime, kaProfilerOutput* output);

    // Source of the number of triangles drawn in the frame; none counts 0.
    void SetTriangleCounter(const TriangleCounter& counter) { m_TriangleCounter = counter; }

    // The text of the latest report, handed over or not.
    const std::string& GetReportText() const { return m_ReportText; }

private:
    struct Sample
    {
        uint8_t valid;
        uint32_t instances;
        int32_t openCount;
        char name[kMaxNameLength + 1];
        float startTime;
        float endTime;
        float accumulated;
        float childrenTime;
        uint32_t parentCount;
    };

    struct History
    {
        uint8_t valid;
        char name[kMaxNameLength + 1];
        float selfTimes[kHistoryLength];
        float percentages[kHistoryLength];
        uint8_t writeIndex;
        uint32_t full;
    };

    void Report(float frameTime, kaProfilerOutput& output);
    History* StoreHistory(const Sample& sample, float selfTime, float percentage);

    Sample m_Samples[kMaxSamples];
    History m_Histories[kMaxHistories];
    float m_FrameTimes[kFrameTimeRingLength];
    uint32_t m_RingIndex;
    uint32_t m_RingFull;
    float m_LastReportTime;
    float m_CurrentReportTime;
    kaProfilerOutput* m_Output;
    float m_GatheredTime;
    TriangleCounter m_TriangleCounter;
    std::string m_ReportText;
};

// The process's profiler; null when none exists.
extern kaProfiler* g_pProfiler;
