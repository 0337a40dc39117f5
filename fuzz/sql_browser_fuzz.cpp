// libFuzzer target for the SQL Server Browser's answer (SVR_RESP), which anything answering UDP
// 1434 on the named host can send. Beyond not crashing or throwing: what is read comes from within
// the stated size, and an instance has a usable port, a port that is not one, or neither.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "connection/browser/sql_browser.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view datagram(reinterpret_cast<const char*>(data), size);
    const auto instances = kestrel::ReadSqlBrowserAnswer(datagram);
    if (!instances) {
        return 0;
    }
    Require(size >= 3 && data[0] == 0x05);
    const std::size_t stated = std::size_t(data[1]) | std::size_t(data[2]) << 8;
    // Each instance takes at least "InstanceName;;" of the stated data.
    Require(instances->size() * 14 <= stated);
    for (const kestrel::BrowserInstance& instance : *instances) {
        Require(instance.name.size() <= stated);
        Require(!(instance.tcpPort && instance.unusableTcpPort));
        Require(!instance.tcpPort || *instance.tcpPort != 0);
    }
    // Bytes past the stated size change nothing.
    const auto again = kestrel::ReadSqlBrowserAnswer(datagram.substr(0, 3 + stated));
    Require(again.has_value() && again->size() == instances->size());
    return 0;
}
