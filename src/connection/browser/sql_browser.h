#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"
#include "connection/connection_description.h"

namespace kestrel {

// The SQL Server Browser service (UDP port 1434) tells which TCP port serves each named instance
// of its machine.

// What the Browser says of one instance.
struct BrowserInstance {
    std::u16string name;
    std::optional<std::uint16_t> tcpPort;  // nothing when the instance takes no TCP connections
    std::u16string version;                // as the Browser gives it, e.g. "8.00.194"
    // The "tcp" field as written when it names no port (0, past 65535, not a number).
    std::optional<std::u16string> unusableTcpPort;
};

// The instances an answer (SVR_RESP) describes: one for the question about one instance, all of
// the machine's for the question for the list. Nothing for a datagram that is not an answer.
std::optional<std::vector<BrowserInstance>> ReadSqlBrowserAnswer(std::string_view datagram);

// Asks the Browser of `host` for the TCP port of `instance`, and for its list of instances; both
// questions go again every second until an answer comes or `wait` has passed, the host's name
// resolved within it. Throws Failure with a Portuguese description naming the instance and the
// host when the host's name gives no address or none in time, when no Browser answers, when the
// Browser does not know the instance (its list lacks it) or knows it without TCP or with a port
// that is not one. Gives the instance as the Browser describes it, its port there.
BrowserInstance AskSqlBrowserForPort(std::u16string_view host, std::u16string_view instance,
                                     std::chrono::milliseconds wait);

// The port of the named instance that a FreeTDS connection string needs, and the server's version
// that the Browser gives with it; or, when the Browser gave no port, why not.
struct InstancePort {
    std::optional<std::uint16_t> port;
    std::optional<std::u16string> version;
    std::optional<Failure> finding;  // as AskSqlBrowserForPort throws it
};

// A named instance that FreeTDS is to reach: the host as FreeTDS is given it, and the instance.
struct NamedInstance {
    std::u16string host;
    std::u16string instance;
};

// The named instance to ask the Browser about: a data source "host\INSTANCE" without a port;
// nothing otherwise.
std::optional<NamedInstance> InstanceToLookUp(const ConnectionDescription& description);

// For a named instance to look up the Browser is asked here, for a part of `loginBound`, whatever
// the driver: FreeTDS would ask it for 16 seconds, past the log-on bound, and its answer names the
// server's version, which decides the drivers to try. The log-on gets what is left of the bound.
// Otherwise nothing. A Browser that gives no port is a finding, not a failure: the other drivers
// find an instance themselves. Throws Failure for an instance name that no Browser could be asked
// about.
InstancePort FindInstancePort(const ConnectionDescription& description,
                              std::chrono::seconds loginBound);

}  // namespace kestrel
