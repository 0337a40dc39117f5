#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The TDS test server (tds_test_server.py) as a child process for one test: started with a scenario
// on a free loopback port, stopped when the object goes.
class TdsTestServer {
public:
    explicit TdsTestServer(const std::string& scenarioJson);
    ~TdsTestServer();
    TdsTestServer(const TdsTestServer&) = delete;
    TdsTestServer& operator=(const TdsTestServer&) = delete;

    int port() const { return m_port; }
    // The lines the server has logged so far ("LOGIN OK ...", "BATCH ...", ...), port line left out.
    std::vector<std::string> events() const;
    // Events that start with the prefix.
    std::size_t count(const std::string& prefix) const;

private:
    pid_t m_pid = -1;
    int m_port = 0;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};
