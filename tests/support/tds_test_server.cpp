#include "support/tds_test_server.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace {

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            throw std::runtime_error("cannot hand the scenario to the TDS test server");
        }
        done += std::size_t(n);
    }
}

}  // namespace

TdsTestServer::TdsTestServer(const std::string& scenarioJson) {
    int toServer[2];
    int fromServer[2];
    if (pipe(toServer) != 0 || pipe(fromServer) != 0) {
        throw std::runtime_error("pipe failed");
    }
    m_pid = fork();
    if (m_pid == 0) {
        dup2(toServer[0], STDIN_FILENO);
        dup2(fromServer[1], STDOUT_FILENO);
        close(toServer[1]);
        close(fromServer[0]);
        execlp("python3", "python3", KESTREL_TDS_TEST_SERVER, "--scenario", "-", nullptr);
        _exit(127);
    }
    close(toServer[0]);
    close(fromServer[1]);
    WriteAll(toServer[1], scenarioJson);
    close(toServer[1]);

    FILE* out = fdopen(fromServer[0], "r");
    char first[64];
    if (out == nullptr || std::fgets(first, sizeof first, out) == nullptr ||
        std::sscanf(first, "PORT %d", &m_port) != 1) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        throw std::runtime_error("the TDS test server did not start");
    }
    m_reader = std::thread([this, out] {
        char line[4096];
        while (std::fgets(line, sizeof line, out) != nullptr) {
            std::string event(line);
            if (!event.empty() && event.back() == '\n') {
                event.pop_back();
            }
            const std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(event));
        }
        std::fclose(out);
    });
}

TdsTestServer::~TdsTestServer() {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
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
