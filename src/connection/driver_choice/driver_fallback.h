#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"
#include "connection/odbc/odbc_diagnostics.h"

namespace kestrel {

// How a log-on attempt with one driver failed, as far as choosing another driver goes.
enum class AttemptOutcome {
    DriverNotLoadable,  // the driver manager could not load the driver's library
    VersionRefused,     // the driver does not speak to a server this old
    HandshakeFailed,    // the pre-login, the TLS handshake or the protocol broke before log-on
    Final,  // the server's own answer, a host not found or refusing TCP, the bound run out
};

// What a failed attempt's diagnostics say: the driver manager's, the driver's and the server's.
AttemptOutcome ClassifyAttempt(const std::vector<OdbcDiagnostic>& diagnostics);

// The drivers to try for one connection, in order, and the failure when none reached the server.
// Microsoft's drivers refuse servers older than SQL Server 2005 and the classic "SQL Server"
// driver cannot do TLS 1.2, so a failure that comes from the driver rather than from the server's
// answer to the log-on passes to the next installed driver.
class DriverAttempts {
public:
    // `installed`: the machine's drivers as listed; `serverMajorVersion`: the server's major
    // version when known before connecting (8 for SQL Server 2000); `remembered`: the driver that
    // last reached this server.
    DriverAttempts(const std::vector<std::u16string>& installed,
                   std::optional<int> serverMajorVersion,
                   const std::optional<std::u16string>& remembered);

    bool AnyDriver() const { return !m_order.empty(); }
    // The SQL Server Browser gave no TCP port for the named instance, for the reason `finding`
    // says: the drivers that need the port (FreeTDS) are not tried; the others find the instance
    // themselves. The finding is the result when no driver is left, and ends it when the drivers
    // tried did not reach the server. Before the first attempt.
    void WithoutInstancePort(Failure finding);
    // The driver to try next; nothing once the attempts are over.
    std::optional<std::u16string> Next() const;
    // Records how the attempt with Next() failed: its diagnostics and the failure they describe.
    void Failed(const std::vector<OdbcDiagnostic>& diagnostics, Failure failure);
    // Once the attempts are over: what the user is told, naming `server` as the messages do.
    Failure Result(std::u16string_view server) const;

private:
    // The result from the attempts alone.
    Failure DriversResult(std::u16string_view server) const;

    struct Attempt {
        std::u16string driver;
        AttemptOutcome outcome;
        Failure failure;
        bool serverAnswered;
    };
    std::vector<std::u16string> m_order;
    std::vector<Attempt> m_attempts;
    std::optional<Failure> m_browserFinding;
    bool m_over = false;
};

}  // namespace kestrel
