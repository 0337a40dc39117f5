#include "support/tds_test_server.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "support/tds_server_link.h"

std::optional<std::string> TdsServerLink::ReadLine() {
    std::size_t end;
    while ((end = m_pending.find('\n')) == std::string::npos) {
        char chunk[4096];
        const std::size_t n = Read(chunk, sizeof chunk);
        if (n == 0) {
            if (m_pending.empty()) {
                return std::nullopt;
            }
            return std::exchange(m_pending, {});
        }
        m_pending.append(chunk, n);
    }
    std::string line = m_pending.substr(0, end);
    m_pending.erase(0, end + 1);
    return line;
}

TdsTestServer::TdsTestServer(const std::string& scenarioJson)
    : m_link(std::make_unique<TdsServerLink>(scenarioJson)) {
    const std::optional<std::string> first = m_link->ReadLine();
    char address[64] = {};
    if (!first || std::sscanf(first->c_str(), "PORT %d %63s", &m_port, address) != 2) {
        const std::string why = "the TDS test server did not start: " + first.value_or("");
        if (first && first->starts_with("ERROR cannot listen")) {
            throw TdsServerPortTaken(why);
        }
        throw std::runtime_error(why);
    }
    m_address = address;
    m_reader = std::thread([this] {
        while (std::optional<std::string> event = m_link->ReadLine()) {
            const std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(*event));
        }
    });
}

TdsTestServer::~TdsTestServer() {
    m_link->Stop();
    m_reader.join();
}

std::vector<std::string> TdsTestServer::events() const {
    const std::lock_guard lock(m_mutex);
    return m_events;
}

std::size_t TdsTestServer::count(const std::string& prefix) const {
    // The server logs an event before it answers, but the reader thread may not have taken the
    // line yet: give it a moment to settle.
    std::size_t seen = SIZE_MAX;
    for (int quietRounds = 0; quietRounds < 3;) {
        std::size_t n = 0;
        {
            const std::lock_guard lock(m_mutex);
            for (const std::string& event : m_events) {
                n += event.starts_with(prefix) ? 1 : 0;
            }
        }
        quietRounds = n == seen ? quietRounds + 1 : 0;
        seen = n;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return seen;
}
