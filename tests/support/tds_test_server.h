#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class TdsServerLink;

// The server could not have the address and port its scenario asks for: they are taken.
struct TdsServerPortTaken : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The TDS test server (tds_test_server.py) for one test: started with a scenario on a loopback
// address and port (by default a free port of 127.0.0.1), stopped when the object goes. Throws
// TdsServerPortTaken when the scenario's address and port are taken.
class TdsTestServer {
public:
    explicit TdsTestServer(const std::string& scenarioJson);
    ~TdsTestServer();
    TdsTestServer(const TdsTestServer&) = delete;
    TdsTestServer& operator=(const TdsTestServer&) = delete;

    int port() const { return m_port; }
    const std::string& address() const { return m_address; }
    // The lines the server has logged so far ("LOGIN OK ...", "BATCH ...", ...), port line left
    // out.
    std::vector<std::string> events() const;
    // Events that start with the prefix.
    std::size_t count(const std::string& prefix) const;

private:
    std::unique_ptr<TdsServerLink> m_link;
    int m_port = 0;
    std::string m_address;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};
