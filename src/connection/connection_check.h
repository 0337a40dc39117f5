#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"
#include "connection/database_access.h"

namespace kestrel {

// What the connection dialog asks of a server before the user confirms: whether a connection
// string opens, and which databases the server holds.
std::optional<Failure> TestConnection(std::u16string_view connectionString,
                                      DatabaseTimeouts timeouts = {});
std::vector<std::u16string> ListDatabases(std::u16string_view connectionString,
                                          DatabaseTimeouts timeouts = {});

}  // namespace kestrel
