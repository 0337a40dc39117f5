#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <stdexcept>

#include "support/tds_server_link.h"

namespace {

void StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) {
        throw std::runtime_error("Winsock did not start");
    }
}

SOCKET ConnectToControlPort() {
    const char* control = std::getenv("KESTREL_TDS_CONTROL");
    if (control == nullptr) {
        throw std::runtime_error(
            "KESTREL_TDS_CONTROL is not set: start tds_test_server.py --control and give its "
            "host:port (scripts/test-windows.sh does)");
    }
    const std::string address(control);
    const std::size_t colon = address.rfind(':');
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (colon == std::string::npos ||
        getaddrinfo(address.substr(0, colon).c_str(), address.substr(colon + 1).c_str(), &hints,
                    &found) != 0) {
        throw std::runtime_error("KESTREL_TDS_CONTROL is not host:port: " + address);
    }
    const SOCKET connection = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    const bool connected =
        connection != INVALID_SOCKET &&
        connect(connection, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0;
    freeaddrinfo(found);
    if (!connected) {
        closesocket(connection);
        throw std::runtime_error("nothing answers at KESTREL_TDS_CONTROL " + address);
    }
    return connection;
}

void SendAll(SOCKET connection, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const int n = send(connection, text.data() + done, static_cast<int>(text.size() - done), 0);
        if (n <= 0) {
            throw std::runtime_error("cannot hand the scenario to the TDS test server");
        }
        done += std::size_t(n);
    }
}

}  // namespace

TdsServerLink::TdsServerLink(const std::string& scenarioJson) {
    StartWinsock();
    m_socket = ConnectToControlPort();
    try {
        SendAll(m_socket, std::to_string(scenarioJson.size()) + "\n" + scenarioJson);
    } catch (...) {
        closesocket(m_socket);
        throw;
    }
}

TdsServerLink::~TdsServerLink() {
    Stop();
    // The server closes its end once the scenario has stopped; wait for that, as for a child.
    char rest[4096];
    while (Read(rest, sizeof rest) > 0) {
    }
    closesocket(m_socket);
}

void TdsServerLink::Stop() {
    shutdown(m_socket, SD_SEND);
}

std::size_t TdsServerLink::Read(char* buffer, std::size_t size) {
    const int n = recv(m_socket, buffer, static_cast<int>(size), 0);
    return n > 0 ? std::size_t(n) : 0;
}
