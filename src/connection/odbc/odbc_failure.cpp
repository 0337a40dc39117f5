#include "connection/odbc/odbc_failure.h"

#include <algorithm>

#include "base/text.h"
#include "base/visible_text.h"
#include "connection/database_error.h"
#include "connection/odbc/password_masking.h"

namespace kestrel {

namespace {

// SQL Server's "Login failed for user": the consequence, not the cause, when another error
// (4060, cannot open the database) comes with it.
constexpr std::int32_t kLoginFailed = 18456;
// FreeTDS's "Unknown host machine name.": the server's name gives no address.
constexpr std::int32_t kFreeTdsUnknownHost = 20013;

std::u16string_view WithoutVendorPrefixes(std::u16string_view message) {
    while (message.starts_with(u'[')) {
        const std::size_t close = message.find(u']');
        if (close == std::u16string_view::npos) {
            break;
        }
        message.remove_prefix(close + 1);
    }
    return TrimBlanks(message);
}

// A driver's or server's message as the user is shown it: without the vendor prefixes, with any
// password it echoes masked and its control characters visible, and no longer than SQL Server's
// longest message (a server may send 32,767 characters and more).
std::u16string DriverText(const OdbcDiagnostic& diagnostic, const FailureContext& context) {
    constexpr std::size_t kLongestMessage = 2047;
    return VisibleBeginning(
        MaskPasswordAttributes(WithoutVendorPrefixes(diagnostic.message), context.password),
        kLongestMessage);
}

bool StateIs(const OdbcDiagnostic& diagnostic, std::u16string_view prefix) {
    return diagnostic.sqlState.starts_with(prefix);
}

const OdbcDiagnostic* FirstWithState(const std::vector<OdbcDiagnostic>& diagnostics,
                                     std::initializer_list<std::u16string_view> prefixes) {
    for (const OdbcDiagnostic& diagnostic : diagnostics) {
        for (std::u16string_view prefix : prefixes) {
            if (StateIs(diagnostic, prefix)) {
                return &diagnostic;
            }
        }
    }
    return nullptr;
}

// An error from the server carries its own number; the driver's own records carry none or come
// under the warning (01), connection (08), timeout (HYT) and driver manager (IM) states. A record
// without text is what is left of a message cut short.
const OdbcDiagnostic* ServerError(const std::vector<OdbcDiagnostic>& diagnostics) {
    const OdbcDiagnostic* found = nullptr;
    for (const OdbcDiagnostic& diagnostic : diagnostics) {
        if (diagnostic.nativeError == 0 || StateIs(diagnostic, u"01") ||
            StateIs(diagnostic, u"08") || StateIs(diagnostic, u"HYT") ||
            StateIs(diagnostic, u"IM") || WithoutVendorPrefixes(diagnostic.message).empty()) {
            continue;
        }
        if (diagnostic.nativeError != kLoginFailed) {
            return &diagnostic;
        }
        found = found ? found : &diagnostic;
    }
    return found;
}

bool AnyBrokenConnection(const std::vector<OdbcDiagnostic>& diagnostics, bool exceptConnectState) {
    for (const OdbcDiagnostic& diagnostic : diagnostics) {
        if (ReportsBrokenConnection(diagnostic) &&
            !(exceptConnectState && diagnostic.sqlState == u"08S01")) {
            return true;
        }
    }
    return false;
}

// The driver's own explanation, when it gave one with a number, e.g. "Unknown host machine
// name."; the record of a broken connection first.
std::u16string DriverDetail(const std::vector<OdbcDiagnostic>& diagnostics,
                            const FailureContext& context) {
    const OdbcDiagnostic* chosen = nullptr;
    for (const OdbcDiagnostic& diagnostic : diagnostics) {
        if (diagnostic.nativeError == 0 || WithoutVendorPrefixes(diagnostic.message).empty()) {
            continue;
        }
        if (ReportsBrokenConnection(diagnostic)) {
            chosen = &diagnostic;
            break;
        }
        chosen = chosen ? chosen : &diagnostic;
    }
    return chosen ? u" (" + DriverText(*chosen, context) + u")" : u"";
}

std::u16string Seconds(std::chrono::seconds timeout) {
    return DecimalText(timeout.count()) + (timeout.count() == 1 ? u" segundo" : u" segundos");
}

// The server as messages name it, in quotes.
std::u16string QuotedServer(const FailureContext& context) {
    // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on a concatenation here.
    std::u16string server = u"\"";
    server += context.server;
    server += u'"';
    return server;
}

}  // namespace

Failure DescribeOdbcFailure(const std::vector<OdbcDiagnostic>& diagnostics,
                            const FailureContext& context) {
    const std::u16string server = QuotedServer(context);
    if (FirstWithState(diagnostics, {u"HYT00", u"HYT01"})) {
        return TimeoutFailure(context);
    }
    if (std::any_of(diagnostics.begin(), diagnostics.end(), ReportsDriverNotLoaded)) {
        return {database_error::kProviderNotFound, u"O driver ODBC \"" +
                                                       std::u16string(context.driver) +
                                                       u"\" não pôde ser carregado; reinstale-o." +
                                                       DriverDetail(diagnostics, context)};
    }
    const std::u16string cannotConnect =
        u"Não foi possível conectar ao servidor SQL Server " + server;
    const std::u16string interrupted =
        u"A conexão com o servidor SQL Server " + server + u" foi interrompida";
    const std::u16string checkNetwork =
        u". Verifique a rede e se o servidor continua em execução." +
        DriverDetail(diagnostics, context);
    // FreeTDS also reports a server it cannot reach as 08S01, so while connecting only its
    // read, write and end-of-data failures mean a connection that broke.
    if (context.step == DatabaseStep::Connecting && AnyBrokenConnection(diagnostics, true)) {
        return {database_error::kDriverFailure, interrupted + u" durante o login" + checkNetwork};
    }
    if (context.step == DatabaseStep::Running &&
        (context.connectionDead || AnyBrokenConnection(diagnostics, false))) {
        return {database_error::kDriverFailure, interrupted + checkNetwork};
    }
    if (const OdbcDiagnostic* error = ServerError(diagnostics)) {
        return {error->nativeError, DriverText(*error, context)};
    }
    if (FirstWithState(diagnostics, {u"08"})) {
        // Without a server message, an integrated login that fails looks like an unreachable
        // server; the likelier cause is the log-on.
        if (context.step == DatabaseStep::Connecting && context.integratedSecurity) {
            return {database_error::kDriverFailure,
                    cannotConnect +
                        u" com a segurança integrada do Windows: o login integrado não pôde ser "
                        u"feito a partir desta máquina ou o servidor não o aceitou. Verifique o "
                        u"servidor e o login do Windows, ou use um nome de usuário e senha." +
                        DriverDetail(diagnostics, context)};
        }
        const bool unknownHost = std::any_of(
            diagnostics.begin(), diagnostics.end(),
            [](const OdbcDiagnostic& record) { return record.nativeError == kFreeTdsUnknownHost; });
        if (context.step == DatabaseStep::Connecting && unknownHost) {
            return {database_error::kDriverFailure,
                    cannotConnect +
                        u": o nome do servidor não corresponde a nenhum endereço na rede. "
                        u"Verifique o nome do servidor e o DNS da rede."};
        }
        if (context.step == DatabaseStep::Connecting) {
            return {database_error::kDriverFailure,
                    cannotConnect +
                        u": ele não foi encontrado na rede, não está em execução ou não aceita "
                        u"conexões nesse endereço. Verifique o nome do servidor, a instância ou a "
                        u"porta, e a rede." +
                        DriverDetail(diagnostics, context)};
        }
        return {database_error::kDriverFailure, interrupted + checkNetwork};
    }
    for (const OdbcDiagnostic& diagnostic : diagnostics) {
        if (!WithoutVendorPrefixes(diagnostic.message).empty()) {
            return {database_error::kDriverFailure, DriverText(diagnostic, context)};
        }
    }
    return {database_error::kDriverFailure,
            u"O driver ODBC falhou sem informar o motivo (servidor SQL Server " + server + u")."};
}

Failure TimeoutFailure(const FailureContext& context) {
    const std::u16string server = QuotedServer(context);
    if (context.step == DatabaseStep::Connecting) {
        return {database_error::kTimeout,
                u"O servidor SQL Server " + server + u" não respondeu ao login em " +
                    Seconds(context.timeout) +
                    u" (tempo esgotado). Verifique se o servidor está em execução e se é "
                    u"acessível pela rede."};
    }
    return {database_error::kTimeout, u"O servidor SQL Server " + server +
                                          u" não concluiu o comando em " +
                                          Seconds(context.timeout) + u" (tempo esgotado)."};
}

}  // namespace kestrel
