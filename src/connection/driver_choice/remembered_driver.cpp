#include "connection/driver_choice/remembered_driver.h"

#include <map>
#include <mutex>

#include "base/text.h"

namespace kestrel {

namespace {

std::mutex g_mutex;
std::map<std::u16string, std::u16string>& Drivers() {
    static std::map<std::u16string, std::u16string> drivers;
    return drivers;
}

std::u16string Key(std::u16string_view server) {
    std::u16string key(TrimBlanks(server));
    for (char16_t& c : key) {
        c = ToLowerAscii(c);
    }
    return key;
}

}  // namespace

void RememberDriver(std::u16string_view server, std::u16string_view driver) {
    const std::lock_guard lock(g_mutex);
    Drivers()[Key(server)] = std::u16string(driver);
}

std::optional<std::u16string> RememberedDriver(std::u16string_view server) {
    const std::lock_guard lock(g_mutex);
    const auto found = Drivers().find(Key(server));
    if (found == Drivers().end()) {
        return std::nullopt;
    }
    return found->second;
}

}  // namespace kestrel
