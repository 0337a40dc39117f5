#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Datagrams to one UDP port of a host and the answers from it: one socket for each address that
// the host's name gives, each connected to its address, so that only that address's datagrams are
// read. POSIX sockets, or Winsock on Windows.
class UdpExchange {
public:
    // Resolves `host` (a name or an IPv4 or IPv6 address). Throws Failure when the system gives no
    // socket.
    UdpExchange(const std::string& host, std::uint16_t port);
    ~UdpExchange();
    UdpExchange(const UdpExchange&) = delete;
    UdpExchange& operator=(const UdpExchange&) = delete;

    // Whether the host's name gave any address.
    bool HostFound() const { return !m_sockets.empty(); }
    // Sends `datagram` to every address. An address that cannot be reached is not an error: it
    // simply sends no answer.
    void Send(std::string_view datagram);
    // The next datagram that arrives within `wait`; nothing when none does. The window lives
    // meanwhile (WaitPumping).
    std::optional<std::string> Receive(std::chrono::milliseconds wait);

private:
    std::vector<std::uintptr_t> m_sockets;
};

}  // namespace kestrel
