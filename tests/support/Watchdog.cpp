#include "tests/support/Watchdog.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace testsupport
{

Watchdog::Watchdog(std::chrono::milliseconds limit, std::string what)
    : m_Limit(limit), m_What(std::move(what)), m_Deadline(std::chrono::steady_clock::now() + limit),
      m_Thread([this] { _Watch(); })
{
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Stopped = true;
    }
    m_Wake.notify_one();
    m_Thread.join();
}

void Watchdog::Feed()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Deadline = std::chrono::steady_clock::now() + m_Limit;
}

void Watchdog::_Watch()
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    while (!m_Stopped)
    {
        if (m_Wake.wait_until(lock, m_Deadline) == std::cv_status::timeout &&
            std::chrono::steady_clock::now() >= m_Deadline && !m_Stopped)
        {
            // The stalled thread holds whatever it holds; only a direct exit is sure to end the program.
            std::fprintf(stderr, "Watchdog: %s (nothing for %lld ms)\n", m_What.c_str(),
                         static_cast<long long>(m_Limit.count()));
            std::fflush(stderr);
            std::_Exit(EXIT_FAILURE);
        }
    }
}

} // namespace testsupport
