#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"
#include "connection/odbc/odbc_diagnostics.h"
#include "connection/password.h"

namespace kestrel {

enum class DatabaseStep { Connecting, Running };

// What a failure description may say about where it happened.
struct FailureContext {
    DatabaseStep step = DatabaseStep::Connecting;
    std::u16string_view server;    // as the connection string names it
    std::u16string_view driver;    // the ODBC driver's name
    Password password;             // the password in effect, masked where a driver echoes it
    std::chrono::seconds timeout;  // the login timeout when connecting, else the query timeout
    bool connectionDead = false;   // the driver says the connection is gone
    bool integratedSecurity = false;
};

// The Failure for a failed ODBC call. An error the server sent keeps its number and message
// (without the drivers' "[FreeTDS][SQL Server]" prefixes); when the login failed because of
// another server error, that one is reported. Timeouts, an unreachable server, a dropped
// connection and a driver that cannot be loaded get a Portuguese description that names the
// server. A broken connection wins over server messages, which may have been cut short with it.
// A password that a driver's or server's text echoes as a connection-string attribute is masked.
Failure DescribeOdbcFailure(const std::vector<OdbcDiagnostic>& diagnostics,
                            const FailureContext& context);

// The Failure for a login or a command that took longer than `context.timeout`.
Failure TimeoutFailure(const FailureContext& context);

}  // namespace kestrel
