#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// One running scenario of the TDS test server and the lines it writes. On POSIX the server is a
// child process that reads the scenario on its standard input. A Windows program under Wine cannot
// start the Linux script, so it asks for the scenario at the control port of the server that the
// test script started natively (tds_test_server.py --control), given as host:port in
// KESTREL_TDS_CONTROL.
class TdsServerLink {
public:
    explicit TdsServerLink(const std::string& scenarioJson);
    // Stops the scenario if Stop has not, and waits for it.
    ~TdsServerLink();
    TdsServerLink(const TdsServerLink&) = delete;
    TdsServerLink& operator=(const TdsServerLink&) = delete;

    // The next line the server wrote, without its line end; nothing once the server has ended.
    std::optional<std::string> ReadLine();
    // Stops the scenario; ReadLine then comes to the end of the lines.
    void Stop();

private:
    // Up to `size` bytes of the server's output; 0 at its end.
    std::size_t Read(char* buffer, std::size_t size);

#ifdef _WIN32
    std::uintptr_t m_socket;  // the control connection
#else
    int m_output = -1;  // the child's standard output
    int m_pid = -1;
#endif
    std::string m_pending;
};
