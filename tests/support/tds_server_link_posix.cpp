#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "support/tds_server_link.h"

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

TdsServerLink::TdsServerLink(const std::string& scenarioJson) {
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
    m_output = fromServer[0];
    WriteAll(toServer[1], scenarioJson);
    close(toServer[1]);
}

TdsServerLink::~TdsServerLink() {
    Stop();
    close(m_output);
}

void TdsServerLink::Stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
}

std::size_t TdsServerLink::Read(char* buffer, std::size_t size) {
    ssize_t n;
    do {
        n = read(m_output, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? std::size_t(n) : 0;
}
