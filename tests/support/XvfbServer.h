#pragma once

#include <string>
#include <sys/types.h>

namespace testsupport
{

// A virtual X server of the test's own on a free display number, killed and reaped on destruction. Its root
// window is white, so a window shows white until something is drawn into it.
class XvfbServer
{
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // True when an Xvfb executable is on the PATH.
    static bool IsInstalled();

    // Starts the server and waits until it takes connections; false with the reason otherwise.
    bool Start(std::string& error);
    // The display name to connect to, such as ":3".
    const std::string& DisplayName() const { return m_DisplayName; }
    pid_t Pid() const { return m_Pid; }
    // Ends the server with the signal and reaps it.
    void Kill(int signal);

private:
    pid_t m_Pid = -1;
    std::string m_DisplayName;
};

} // namespace testsupport
