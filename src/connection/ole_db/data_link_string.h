#pragma once

#include <string>

namespace kestrel {

// What the user chose in the connection dialog.
struct DataLinkChoices {
    std::u16string server{};
    bool integratedSecurity = false;
    std::u16string userName{};
    std::u16string password{};  // ignored with integrated security
    std::u16string database{};  // empty: the login's default database
};

// The OLE DB connection string for those choices, in the form the classic data-link dialog gave,
// with the credentials inside it and every value quoted when it needs to be.
std::u16string BuildDataLinkString(const DataLinkChoices& choices);

}  // namespace kestrel
