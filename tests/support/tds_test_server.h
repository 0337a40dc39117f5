#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TdsServerLink;

// The TDS test server (tds_test_server.py) for one test: started with a scenario on a free
// loopback port, stopped when the object goes.
class TdsTestServer {
public:
    explicit TdsTestServer(const std::string& scenarioJson);
    ~TdsTestServer();
    TdsTestServer(const TdsTestServer&) = delete;
    TdsTestServer& operator=(const TdsTestServer&) = delete;

    int port() const { return m_port; }
    // The lines the server has logged so far ("LOGIN OK ...", "BATCH ...", ...), port line left
    // out.
    std::vector<std::string> events() const;
    // Events that start with the prefix.
    std::size_t count(const std::string& prefix) const;

private:
    std::unique_ptr<TdsServerLink> m_link;
    int m_port = 0;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};
