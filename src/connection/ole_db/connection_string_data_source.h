#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Where an OLE DB "Data Source" points: "host", "host\INSTANCE", "host,port", "tcp:host,port",
// with "(local)", "." or nothing for this machine.
struct DataSource {
    bool thisMachine = false;
    std::u16string host;      // empty for this machine
    std::u16string instance;  // empty for the default instance
    std::u16string port;      // decimal digits, or empty; a port makes the instance irrelevant
    bool tcpPrefix = false;   // written with "tcp:"
};

// The port that `text` gives in decimal digits, from 1 to 65535; nothing for any other text.
std::optional<std::uint16_t> ReadPortNumber(std::u16string_view text);

// Throws Failure (kBadConnectionString) for a port that is not a number from 1 to 65535.
DataSource ReadDataSource(std::u16string_view text);

}  // namespace kestrel
