// A host's name resolved while its name servers never answer: the log-on keeps the window alive
// and ends within its bounds, with the Browser's question and without it. The name server is a
// silent listener on loopback in namespaces of the test's own (user, mount, network), made in a
// child process, which is single-threaded as they require; its /etc/resolv.conf names it.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "base/failure.h"
#include "base/wait_pump.h"
#include "connection/database_access.h"
#include "support/utf16.h"

namespace {

using Clock = std::chrono::steady_clock;

bool WriteFile(const char* path, const std::string& text) {
    const int file = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = file >= 0 && write(file, text.data(), text.size()) == ssize_t(text.size());
    return close(file) == 0 && written;
}

// Enters namespaces where every name goes to a name server on 127.0.0.1 that never answers.
bool EnterSilentNameServer() {
    const std::string uid = std::to_string(getuid());
    const std::string gid = std::to_string(getgid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0 ||
        !WriteFile("/proc/self/setgroups", "deny") ||
        !WriteFile("/proc/self/uid_map", "0 " + uid + " 1") ||
        !WriteFile("/proc/self/gid_map", "0 " + gid + " 1") ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
    }
    ifreq loopback{};
    std::snprintf(loopback.ifr_name, sizeof loopback.ifr_name, "lo");
    const int control = socket(AF_INET, SOCK_DGRAM, 0);
    loopback.ifr_flags = IFF_UP | IFF_LOOPBACK | IFF_RUNNING;
    sockaddr_in silent{};
    silent.sin_family = AF_INET;
    silent.sin_port = htons(53);
    silent.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // Left open and never read until the process ends.
    const int listener = socket(AF_INET, SOCK_DGRAM, 0);
    char resolvConf[] = "/tmp/kestrel-resolv-XXXXXX";
    const int file = mkstemp(resolvConf);
    return ioctl(control, SIOCSIFFLAGS, &loopback) == 0 &&
           bind(listener, reinterpret_cast<sockaddr*>(&silent), sizeof silent) == 0 && file >= 0 &&
           close(file) == 0 && WriteFile(resolvConf, "nameserver 127.0.0.1\n") &&
           mount(resolvConf, "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0 &&
           unlink(resolvConf) == 0;
}

// Notes when the window was first given its events.
class FirstPump : public kestrel::WaitPump {
public:
    explicit FirstPump(Clock::time_point start) : m_start(start) {}
    void Started() override {}
    void Pump() override {
        if (!first) {
            first = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_start);
        }
    }
    void Ended() override {}
    std::optional<std::chrono::milliseconds> first;

private:
    Clock::time_point m_start;
};

TEST(NameResolution, ASilentNameServerHoldsNeitherTheWindowNorTheLogOnPastItsBound) {
    const struct {
        const char* what;
        const char* dataSource;
        const char* told;  // the start of it
    } cases[] = {
        {"the Browser's question about an instance", "srvbanco\\QUINTARA",
         "O nome do servidor \"srvbanco\" não foi resolvido em 1 segundo"},
        {"the driver's log-on", "srvbanco", "O servidor SQL Server \"srvbanco\" não respondeu"},
    };
    constexpr auto kLogOn = std::chrono::seconds(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int line[2];
        ASSERT_EQ(pipe(line), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(line[0]);
            std::string report = "no namespace";
            if (EnterSilentNameServer()) {
                const auto start = Clock::now();
                FirstPump pump(start);
                kestrel::InstallWaitPump(&pump);
                std::u16string told;
                try {
                    kestrel::Connection({kLogOn, kLogOn})
                        .Open(U16(std::string("Provider=SQLOLEDB.1;User ID=sa;Data Source=") +
                                  c.dataSource),
                              u"", u"x");
                } catch (const kestrel::Failure& failure) {
                    told = failure.description;
                }
                const auto took =
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
                report = std::to_string(pump.first.value_or(took).count()) + " " +
                         std::to_string(took.count()) + " " + Narrow(told);
            }
            (void)!write(line[1], report.data(), report.size());
            _exit(0);
        }
        close(line[1]);
        std::string report;
        char buffer[512];
        for (ssize_t got; (got = read(line[0], buffer, sizeof buffer)) > 0;) {
            report.append(buffer, std::size_t(got));
        }
        close(line[0]);
        waitpid(child, nullptr, 0);
        long long firstPump = -1;
        long long took = -1;
        int toldAt = 0;
        ASSERT_EQ(std::sscanf(report.c_str(), "%lld %lld %n", &firstPump, &took, &toldAt), 2)
            << report;
        EXPECT_LT(firstPump, 500) << report;
        EXPECT_LT(took, std::chrono::milliseconds(kLogOn).count() + 1000) << report;
        EXPECT_TRUE(report.substr(std::size_t(toldAt)).starts_with(Narrow(U16(c.told)))) << report;
    }
}

}  // namespace
#endif
