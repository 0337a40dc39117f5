#include "connection/driver_choice/connection_string_driver.h"

#include "base/text.h"

namespace kestrel {

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
