#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"
#include "connection/odbc_diagnostics.h"

namespace kestrel {

enum class DatabaseStep { Connecting, Running };

// What a failure description may say about where it happened.
struct FailureContext {
    DatabaseStep step = DatabaseStep::Connecting;
    std::u16string_view server;    // as the connection string names it
    std::u16string_view driver;    // the ODBC driver's name
    std::u16string_view password;  // masked wherever it would appear
    std::chrono::seconds timeout;  // the login timeout when connecting, else the query timeout
    bool connectionDead = false;   // the driver says the connection is gone
    bool integratedSecurity = false;
};

// The Failure for a failed ODBC call. An error the server sent keeps its number and message
// (without the drivers' "[FreeTDS][SQL Server]" prefixes); when the login failed because of
// another server error, that one is reported. Timeouts, an unreachable server, a dropped
// connection and a driver that cannot be loaded get a Portuguese description that names the
// server. A broken connection wins over server messages, which may have been cut short with it.
// The password never appears: wherever it would, "****" stands instead.
Failure DescribeOdbcFailure(const std::vector<OdbcDiagnostic>& diagnostics,
                            const FailureContext& context);

// `text` with every occurrence of `password` replaced by "****".
std::u16string WithoutPassword(std::u16string text, std::u16string_view password);

}  // namespace kestrel
