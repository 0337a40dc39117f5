#include "connection/browser/udp_exchange.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

#include "base/failure.h"
#include "base/wait_pump.h"
#include "connection/database_error.h"
#include "connection/driver_choice/deadline_worker.h"

namespace kestrel {

namespace {

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;

void CloseSocket(Socket socket) {
    closesocket(socket);
}

int Poll(pollfd* sockets, std::size_t count, int milliseconds) {
    return WSAPoll(sockets, static_cast<ULONG>(count), milliseconds);
}

int ReadDatagram(Socket socket, char* buffer, std::size_t size) {
    return recv(socket, buffer, static_cast<int>(size), 0);
}

void SendDatagram(Socket socket, std::string_view datagram) {
    send(socket, datagram.data(), static_cast<int>(datagram.size()), 0);
}

bool MakeNonBlocking(Socket socket) {
    u_long on = 1;
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

bool StartSockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}
#else
using Socket = int;
constexpr Socket kNoSocket = -1;

void CloseSocket(Socket socket) {
    close(socket);
}

int Poll(pollfd* sockets, std::size_t count, int milliseconds) {
    return poll(sockets, count, milliseconds);
}

int ReadDatagram(Socket socket, char* buffer, std::size_t size) {
    return static_cast<int>(recv(socket, buffer, size, 0));
}

void SendDatagram(Socket socket, std::string_view datagram) {
    send(socket, datagram.data(), datagram.size(), 0);
}

bool MakeNonBlocking(Socket socket) {
    const int flags = fcntl(socket, F_GETFL);
    return flags != -1 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool StartSockets() {
    return true;
}
#endif

[[noreturn]] void ThrowNoSocket() {
    throw Failure{
        database_error::kDriverFailure,
        u"O sistema não abriu um socket UDP para consultar o serviço SQL Server Browser."};
}

// One address of the host, copied out of the resolver's list so that it outlives the list.
struct Address {
    int family;
    int socketType;
    int protocol;
    sockaddr_storage address;
    std::size_t size;
};

// The host's addresses; nothing when its name gives none. Blocks as long as the name servers do.
std::optional<std::vector<Address>> Resolve(const std::string& host, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return std::nullopt;
    }
    std::vector<Address> addresses;
    for (const addrinfo* each = found; each != nullptr; each = each->ai_next) {
        Address address{
            each->ai_family, each->ai_socktype, each->ai_protocol, {}, each->ai_addrlen};
        std::memcpy(&address.address, each->ai_addr,
                    std::min(std::size_t(each->ai_addrlen), sizeof address.address));
        addresses.push_back(address);
    }
    freeaddrinfo(found);
    return addresses;
}

}  // namespace

UdpExchange::UdpExchange(const std::string& host, std::uint16_t port,
                         std::chrono::steady_clock::time_point deadline) {
    if (!StartSockets()) {
        ThrowNoSocket();
    }
    // The worker's job owns what it fills: left behind at the deadline, it frees it on its own.
    auto resolved = std::make_shared<std::optional<std::vector<Address>>>();
    {
        DeadlineWorker resolver;
        if (!resolver.Run([resolved, host, port] { *resolved = Resolve(host, port); }, deadline)) {
            return;
        }
    }
    if (!*resolved) {
        m_lookup = Lookup::UnknownHost;
        return;
    }
    m_lookup = Lookup::Found;
    for (const Address& address : **resolved) {
        const Socket socket = ::socket(address.family, address.socketType, address.protocol);
        if (socket == kNoSocket) {
            continue;
        }
        if (!MakeNonBlocking(socket) ||
            connect(socket, reinterpret_cast<const sockaddr*>(&address.address),
                    static_cast<int>(address.size)) != 0) {
            CloseSocket(socket);
            continue;
        }
        m_sockets.push_back(static_cast<std::uintptr_t>(socket));
    }
    if (!(*resolved)->empty() && m_sockets.empty()) {
        ThrowNoSocket();
    }
}

UdpExchange::~UdpExchange() {
    for (std::uintptr_t socket : m_sockets) {
        CloseSocket(static_cast<Socket>(socket));
    }
}

void UdpExchange::Send(std::string_view datagram) {
    for (std::uintptr_t socket : m_sockets) {
        SendDatagram(static_cast<Socket>(socket), datagram);
    }
}

std::optional<std::string> UdpExchange::Receive(std::chrono::milliseconds wait) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + wait;
    std::vector<pollfd> polled;
    for (std::uintptr_t socket : m_sockets) {
        polled.push_back({static_cast<Socket>(socket), POLLIN, 0});
    }
    // The largest answer the Browser sends (a list of instances) is 65,535 bytes and its header.
    std::string datagram(65538, '\0');
    for (Clock::time_point now = Clock::now(); now < deadline; now = Clock::now()) {
        if (polled.empty()) {
            WaitPumping(
                [](std::chrono::milliseconds most) {
                    std::this_thread::sleep_for(most);
                    return false;
                },
                deadline);
            break;
        }
        const bool arrived = WaitPumping(
            [&](std::chrono::milliseconds most) {
                return Poll(polled.data(), polled.size(), static_cast<int>(most.count())) > 0;
            },
            deadline);
        if (!arrived) {
            continue;
        }
        for (auto socket = polled.begin(); socket != polled.end();) {
            if (socket->revents == 0) {
                ++socket;
                continue;
            }
            // An empty datagram is still a datagram (its reader ignores it); only an error is the
            // report that nothing listens at that address, which some systems repeat: the address
            // is then left alone until the next question.
            const int size = ReadDatagram(socket->fd, datagram.data(), datagram.size());
            if (size >= 0) {
                datagram.resize(std::size_t(size));
                return datagram;
            }
            socket = polled.erase(socket);
        }
    }
    return std::nullopt;
}

}  // namespace kestrel
