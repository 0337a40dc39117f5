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
    // What resolving the host's name gave.
    enum class Lookup { Found, UnknownHost, NoAnswer };

    // Resolves `host` (a name or an IPv4 or IPv6 address) by `deadline`: the name servers may
    // take far longer, so the resolver runs on a thread of its own while the window lives
    // (WaitPumping), and one still waiting at the deadline is left to end on its own. Throws
    // Failure when the system gives no socket.
    UdpExchange(const std::string& host, std::uint16_t port,
                std::chrono::steady_clock::time_point deadline);
    ~UdpExchange();
    UdpExchange(const UdpExchange&) = delete;
    UdpExchange& operator=(const UdpExchange&) = delete;

    Lookup HostLookup() const { return m_lookup; }
    // Sends `datagram` to every address. An address that cannot be reached is not an error: it
    // simply sends no answer.
    void Send(std::string_view datagram);
    // The next datagram that arrives within `wait`; nothing when none does. The window lives
    // meanwhile (WaitPumping).
    std::optional<std::string> Receive(std::chrono::milliseconds wait);

private:
    std::vector<std::uintptr_t> m_sockets;
    Lookup m_lookup = Lookup::NoAnswer;
};

}  // namespace kestrel
