#include "connection/connection_string_driver.h"

#include "base/text.h"

namespace kestrel {

std::optional<std::u16string> ChooseSqlServerDriver(const std::vector<std::u16string>& installed) {
    for (std::u16string_view wanted : kSqlServerDrivers) {
        for (const std::u16string& driver : installed) {
            if (EqualsIgnoringCase(driver, wanted)) {
                return driver;
            }
        }
    }
    return std::nullopt;
}

DriverFamily FamilyOfDriver(std::u16string_view driver) {
    if (EqualsIgnoringCase(driver, u"FreeTDS")) {
        return DriverFamily::FreeTds;
    }
    if (EqualsIgnoringCase(driver, u"SQL Server")) {
        return DriverFamily::WindowsSqlServer;
    }
    return DriverFamily::MicrosoftOdbc;
}

}  // namespace kestrel
