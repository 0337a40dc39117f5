#pragma once
// A name server that never answers, for a test's own process: namespaces of its own (user, mount,
// network) where /etc/resolv.conf names a silent listener on loopback. Linux only; the process
// must be single-threaded, as unshare requires: InAChildProcess makes one that is.
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace silent_name_server {

inline bool WriteFile(const char* path, const std::string& text) {
    const int file = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool written = file >= 0 && write(file, text.data(), text.size()) == ssize_t(text.size());
    return close(file) == 0 && written;
}

// Enters namespaces where every name goes to a name server on 127.0.0.1 that never answers.
inline bool Enter() {
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

// What `run` says in a child process that has entered such namespaces, or "no namespace" when it
// could not; unshare wants a single-threaded process, which a test's own may not be.
inline std::string InAChildProcess(const std::function<std::string()>& run) {
    int line[2];
    if (pipe(line) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(line[0]);
        const std::string report = Enter() ? run() : "no namespace";
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
    return report;
}

}  // namespace silent_name_server
