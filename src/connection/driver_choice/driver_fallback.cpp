#include "connection/driver_choice/driver_fallback.h"

#include <algorithm>

#include "base/text.h"
#include "connection/driver_choice/connection_string_driver.h"

namespace kestrel {

namespace {

// FreeTDS's numbers for what happens on the way to the log-on.
constexpr std::int32_t kFreeTdsConnectionFailed = 20002;
constexpr std::int32_t kFreeTdsReadFailed = 20004;
constexpr std::int32_t kFreeTdsWriteFailed = 20006;
constexpr std::int32_t kFreeTdsUnexpectedEof = 20017;
// Winsock's "connection reset", as Microsoft's drivers report a server that hung up mid-handshake.
constexpr std::int32_t kConnectionReset = 10054;

bool Contains(std::u16string_view text, std::u16string_view part) {
    if (part.size() > text.size()) {
        return false;
    }
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (EqualsIgnoringCase(text.substr(at, part.size()), part)) {
            return true;
        }
    }
    return false;
}

bool AnyRecord(const std::vector<OdbcDiagnostic>& diagnostics,
               bool (*matches)(const OdbcDiagnostic&)) {
    return std::any_of(diagnostics.begin(), diagnostics.end(), matches);
}

bool StateIs(const OdbcDiagnostic& record, std::u16string_view prefix) {
    return record.sqlState.starts_with(prefix);
}

// An error the server sent carries its own number under a state of its own (28000, 42000, ...);
// the drivers' records come without a number or under the warning, connection, timeout and
// driver manager states.
bool FromTheServer(const OdbcDiagnostic& record) {
    return record.nativeError != 0 && !StateIs(record, u"01") && !StateIs(record, u"08") &&
           !StateIs(record, u"HYT") && !StateIs(record, u"IM");
}

// Microsoft's drivers: "... does not support connections to SQL Server 2000 or earlier versions".
bool RefusesTheVersion(const OdbcDiagnostic& record) {
    return Contains(record.message, u"not support connections to SQL Server");
}

bool BrokeBeforeLogOn(const OdbcDiagnostic& record) {
    switch (record.nativeError) {
        case kFreeTdsConnectionFailed:
        case kFreeTdsReadFailed:
        case kFreeTdsWriteFailed:
        case kFreeTdsUnexpectedEof:
        case kConnectionReset:
            return true;
        default:
            break;
    }
    for (std::u16string_view sign :
         {u"SSL", u"TLS", u"SECDoClientHandshake", u"encryption", u"Protocol error"}) {
        if (Contains(record.message, sign)) {
            return true;
        }
    }
    return false;
}

std::u16string_view WhatWentWrong(AttemptOutcome outcome) {
    switch (outcome) {
        case AttemptOutcome::DriverNotLoadable:
            return u"não pôde ser carregado";
        case AttemptOutcome::VersionRefused:
            return u"não se conecta a um servidor dessa versão";
        case AttemptOutcome::HandshakeFailed:
            return u"falhou na negociação com o servidor antes do login (pré-login, criptografia "
                   u"TLS ou protocolo)";
        case AttemptOutcome::Final:
            break;
    }
    return u"falhou";
}

}  // namespace

AttemptOutcome ClassifyAttempt(const std::vector<OdbcDiagnostic>& diagnostics) {
    if (AnyRecord(diagnostics, [](const OdbcDiagnostic& r) { return StateIs(r, u"HYT"); }) ||
        AnyRecord(diagnostics, FromTheServer)) {
        return AttemptOutcome::Final;
    }
    if (AnyRecord(diagnostics, ReportsDriverNotLoaded)) {
        return AttemptOutcome::DriverNotLoadable;
    }
    if (AnyRecord(diagnostics, RefusesTheVersion)) {
        return AttemptOutcome::VersionRefused;
    }
    if (AnyRecord(diagnostics, BrokeBeforeLogOn)) {
        return AttemptOutcome::HandshakeFailed;
    }
    return AttemptOutcome::Final;
}

DriverAttempts::DriverAttempts(const std::vector<std::u16string>& installed,
                               std::optional<int> serverMajorVersion,
                               const std::optional<std::u16string>& remembered) {
    for (std::u16string_view wanted : kSqlServerDrivers) {
        for (const std::u16string& driver : installed) {
            if (EqualsIgnoringCase(driver, wanted)) {
                m_order.push_back(driver);
                break;
            }
        }
    }
    // SQL Server 2000 and older: Microsoft's current drivers would only refuse it.
    if (serverMajorVersion && *serverMajorVersion < 9) {
        std::stable_partition(m_order.begin(), m_order.end(), [](const std::u16string& driver) {
            return FamilyOfDriver(driver) != DriverFamily::MicrosoftOdbc;
        });
    }
    if (remembered) {
        const auto found = std::find_if(
            m_order.begin(), m_order.end(),
            [&](const std::u16string& driver) { return EqualsIgnoringCase(driver, *remembered); });
        std::rotate(m_order.begin(), found, found == m_order.end() ? found : found + 1);
    }
}

void DriverAttempts::WithoutInstancePort(Failure finding) {
    std::erase_if(m_order, [](const std::u16string& driver) {
        return FamilyOfDriver(driver) == DriverFamily::FreeTds;
    });
    m_browserFinding = std::move(finding);
}

std::optional<std::u16string> DriverAttempts::Next() const {
    if (m_over || m_attempts.size() >= m_order.size()) {
        return std::nullopt;
    }
    return m_order[m_attempts.size()];
}

void DriverAttempts::Failed(const std::vector<OdbcDiagnostic>& diagnostics, Failure failure) {
    const AttemptOutcome outcome = ClassifyAttempt(diagnostics);
    std::u16string driver = *Next();
    m_attempts.push_back(
        {driver, outcome, std::move(failure), AnyRecord(diagnostics, FromTheServer)});
    if (outcome == AttemptOutcome::Final) {
        m_over = true;
        return;
    }
    // One Microsoft driver that refuses the server's version speaks for the others.
    if (outcome == AttemptOutcome::VersionRefused) {
        const auto later = m_order.begin() + std::ptrdiff_t(m_attempts.size());
        m_order.erase(std::remove_if(later, m_order.end(),
                                     [](const std::u16string& other) {
                                         return FamilyOfDriver(other) ==
                                                DriverFamily::MicrosoftOdbc;
                                     }),
                      m_order.end());
    }
}

Failure DriverAttempts::Result(std::u16string_view server) const {
    if (m_attempts.empty()) {
        return *m_browserFinding;
    }
    Failure failure = DriversResult(server);
    // What the Browser said may be why the drivers did not find the instance either.
    if (m_browserFinding && !m_attempts.back().serverAnswered) {
        failure.description += u"\r\n" + m_browserFinding->description;
    }
    return failure;
}

Failure DriverAttempts::DriversResult(std::u16string_view server) const {
    const Attempt& last = m_attempts.back();
    // Only Windows' own driver could be used, and the server's encryption was beyond it.
    const bool classicOnly =
        std::any_of(m_attempts.begin(), m_attempts.end(),
                    [](const Attempt& attempt) {
                        return attempt.outcome == AttemptOutcome::HandshakeFailed &&
                               FamilyOfDriver(attempt.driver) == DriverFamily::WindowsSqlServer;
                    }) &&
        std::none_of(m_order.begin(), m_order.end(), [&](const std::u16string& driver) {
            return FamilyOfDriver(driver) != DriverFamily::WindowsSqlServer &&
                   std::none_of(m_attempts.begin(), m_attempts.end(), [&](const Attempt& attempt) {
                       return attempt.driver == driver &&
                              attempt.outcome == AttemptOutcome::DriverNotLoadable;
                   });
        });
    const std::u16string_view advice =
        u"\r\nO driver \"SQL Server\" do Windows não faz a criptografia que este servidor exige: "
        u"instale o ODBC Driver 17 ou 18 for SQL Server, da Microsoft.";
    if (last.outcome == AttemptOutcome::Final || m_attempts.size() == 1) {
        Failure failure = last.failure;
        if (classicOnly) {
            failure.description += advice;
        }
        return failure;
    }
    std::u16string description = u"Não foi possível conectar ao servidor SQL Server \"";
    description += server;
    description += u"\" com nenhum dos drivers ODBC instalados. Drivers tentados:";
    for (const Attempt& attempt : m_attempts) {
        description += u"\r\n- \"" + attempt.driver + u"\" ";
        description += WhatWentWrong(attempt.outcome);
        description += u": " + attempt.failure.description;
    }
    if (classicOnly) {
        description += advice;
    }
    return {last.failure.number, std::move(description)};
}

}  // namespace kestrel
