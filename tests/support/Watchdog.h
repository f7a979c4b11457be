#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport
{

// Ends the test program with a failure, naming what stalled, when it is not fed within the limit: a test of
// something that could hang fails in bounded time instead of waiting for the runner's timeout, and a hang
// inside the code under test cannot be caught any other way.
class Watchdog
{
public:
    Watchdog(std::chrono::milliseconds limit, std::string what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Starts the limit again.
    void Feed();

private:
    void _Watch();

    const std::chrono::milliseconds m_Limit;
    const std::string m_What;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    std::chrono::steady_clock::time_point m_Deadline;
    bool m_Stopped = false;
    std::thread m_Thread;
};

} // namespace testsupport
