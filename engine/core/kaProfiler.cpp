#include "engine/core/kaProfiler.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaProfilerOutput.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

kaProfiler* g_pProfiler = nullptr;

namespace
{

constexpr int kAbsoluteTime = 4;

float Now()
{
    return static_cast<float>(GetTime(kAbsoluteTime));
}

// Section names longer than the record holds are cut, so that they still match themselves.
size_t StoredLength(const char* name)
{
    return strnlen(name, kaProfiler::kMaxNameLength);
}

bool SameName(const char* stored, const char* name)
{
    const size_t length = StoredLength(name);
    return std::strncmp(stored, name, length) == 0 && stored[length] == '\0';
}

void CopyName(char* target, const char* name)
{
    const size_t length = StoredLength(name);
    std::memcpy(target, name, length);
    target[length] = '\0';
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(&text[0], text.size() + 1, format, arguments);
    va_end(arguments);
    return text;
}

// Right-aligned in the column, padded with '_'; a value too wide for it shows as '?' throughout.
std::string Column(const std::string& value, size_t width)
{
    if (value.size() > width)
        return std::string(width, '?');
    return std::string(width - value.size(), '_') + value;
}

} // namespace

kaProfiler::kaProfiler()
{
    g_pProfiler = this;
    std::memset(m_Samples, 0, sizeof(m_Samples));
    std::memset(m_Histories, 0, sizeof(m_Histories));
    std::memset(m_FrameTimes, 0, sizeof(m_FrameTimes));
    m_RingIndex = 0;
    m_RingFull = 0;
    m_LastReportTime = Now();
    m_CurrentReportTime = m_LastReportTime;
    m_Output = nullptr;
    m_GatheredTime = kShowInterval;
}

kaProfiler::~kaProfiler()
{
    if (g_pProfiler == this)
        g_pProfiler = nullptr;
}

void kaProfiler::Begin(const char* name)
{
    if (name == nullptr)
        return;
    for (Sample& sample : m_Samples)
    {
        if (!sample.valid)
        {
            CopyName(sample.name, name);
            sample.valid = 1;
            sample.openCount = 1;
            sample.instances = 1;
            sample.accumulated = 0.0f;
            sample.childrenTime = 0.0f;
            sample.endTime = -1.0f;
            sample.startTime = Now();
            return;
        }
        if (SameName(sample.name, name))
        {
            ++sample.instances;
            ++sample.openCount;
            sample.startTime = Now();
            return;
        }
    }
}

void kaProfiler::End(const char* name)
{
    if (name == nullptr)
        return;
    Sample* ended = nullptr;
    for (Sample& sample : m_Samples)
    {
        if (!sample.valid)
            break;
        if (SameName(sample.name, name))
        {
            ended = &sample;
            break;
        }
    }
    if (ended == nullptr)
        return;

    ended->endTime = Now();
    --ended->openCount;

    Sample* parent = nullptr;
    ended->parentCount = 0;
    for (Sample& sample : m_Samples)
    {
        if (!sample.valid || sample.openCount <= 0)
            continue;
        ++ended->parentCount;
        if (parent == nullptr || sample.startTime >= parent->startTime)
            parent = &sample;
    }
    if (parent != nullptr)
        parent->childrenTime += ended->endTime - ended->startTime;
    ended->accumulated += ended->endTime - ended->startTime;
}

void kaProfiler::EndFrame(float frameTime, kaProfilerOutput* output)
{
    if (m_Output != nullptr)
        Report(frameTime, *m_Output);
    m_Output = output;
}

kaProfiler::History* kaProfiler::StoreHistory(const Sample& sample, float selfTime, float percentage)
{
    History* history = nullptr;
    for (History& candidate : m_Histories)
    {
        if (candidate.valid && SameName(candidate.name, sample.name))
        {
            history = &candidate;
            break;
        }
    }
    if (history == nullptr)
    {
        for (History& candidate : m_Histories)
        {
            if (!candidate.valid)
            {
                history = &candidate;
                history->valid = 1;
                CopyName(history->name, sample.name);
                history->writeIndex = 0;
                history->full = 0;
                break;
            }
        }
    }
    if (history == nullptr)
        return nullptr;

    history->selfTimes[history->writeIndex] = selfTime;
    history->percentages[history->writeIndex] = percentage;
    if (++history->writeIndex >= kHistoryLength)
    {
        history->writeIndex = 0;
        history->full = 1;
    }
    return history;
}

void kaProfiler::Report(float frameTime, kaProfilerOutput& output)
{
    const float now = Now();
    const float elapsed = now - m_LastReportTime;
    if (elapsed == 0.0f)
        return;
    m_CurrentReportTime = now;

    m_FrameTimes[m_RingIndex] = frameTime;
    if (++m_RingIndex >= kFrameTimeRingLength)
    {
        m_RingIndex = 0;
        m_RingFull = 1;
    }
    const uint32_t stored = m_RingFull ? kFrameTimeRingLength : m_RingIndex;
    float frameTimeSum = 0.0f;
    for (uint32_t i = 0; i < stored; ++i)
        frameTimeSum += m_FrameTimes[i];
    // Frames of no measurable length have no rate.
    const float fps = frameTimeSum > 0.0f ? static_cast<float>(stored) / frameTimeSum : 0.0f;

    const uint32_t triangles = m_TriangleCounter ? m_TriangleCounter() : 0;
    const int trianglesPerSecond =
        frameTime > 0.0f ? static_cast<int>(static_cast<float>(triangles) / frameTime) : 0;

    std::string text = Format(kSummaryFormat, fps, static_cast<int>(triangles), trianglesPerSecond);
    text += kHeader;

    for (Sample& sample : m_Samples)
    {
        if (!sample.valid)
            break;
        const float selfTime = sample.accumulated - sample.childrenTime;
        const float percentage = selfTime / elapsed * 100.0f;

        float averageSelfTime = 0.0f;
        float averagePercentage = 0.0f;
        if (const History* history = StoreHistory(sample, selfTime, percentage))
        {
            const int count = history->full ? kHistoryLength : history->writeIndex;
            for (int i = 0; i < count; ++i)
            {
                averageSelfTime += history->selfTimes[i];
                averagePercentage += history->percentages[i];
            }
            if (count > 0)
            {
                averageSelfTime /= static_cast<float>(count);
                averagePercentage /= static_cast<float>(count);
            }
        }

        std::string name = sample.name;
        name.insert(0, sample.parentCount, '*');
        text += Format(kLineFormat, Column(Format("%3.1f", averagePercentage), 5).c_str(),
                       Column(Format("%d", static_cast<int>(sample.instances)), 4).c_str(),
                       Column(Format("%1.1f", averageSelfTime * 1000.0f), 6).c_str(), name.c_str());
        sample.instances = 0;
    }

    m_ReportText = text;
    m_GatheredTime += frameTime;
    if (m_GatheredTime > kShowInterval)
    {
        output.SetText(text);
        m_GatheredTime = 0.0f;
    }

    for (Sample& sample : m_Samples)
        sample.valid = 0;
    m_LastReportTime = Now();
}
