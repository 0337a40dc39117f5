#include "connection/database_access.h"

#include <algorithm>
#include <vector>

#include "base/failure.h"
#include "base/text.h"
#include "connection/browser/sql_browser.h"
#include "connection/database_error.h"
#include "connection/driver_choice/connection_string_driver.h"
#include "connection/driver_choice/deadline_worker.h"
#include "connection/driver_choice/driver_fallback.h"
#include "connection/driver_choice/remembered_driver.h"
#include "connection/odbc/driver_connection_string.h"
#include "connection/odbc/odbc_drivers.h"
#include "connection/odbc/odbc_failure.h"
#include "connection/odbc/odbc_handle.h"
#include "connection/odbc/odbc_statement.h"
#include "connection/ole_db/connection_string.h"

namespace kestrel {

// The driver's handles of one connection. Once the log-on starts they are used on the worker's
// thread only, and freed there: a call that overran its deadline may still be using them.
struct Connection::Handles {
    Handles(OdbcHandle env, std::u16string driverName, const ConnectionDescription& description,
            DatabaseTimeouts databaseTimeouts)
        : environment(std::move(env)),
          connection(SQL_HANDLE_DBC, environment.get()),
          driver(std::move(driverName)),
          server(description.server),
          password(description.password),
          integratedSecurity(description.integratedSecurity),
          timeouts(databaseTimeouts) {}
    ~Handles() {
        if (connected) {
            SQLDisconnect(connection.get());
        }
    }

    // What messages may say; the driver is not asked whether the connection is gone.
    FailureContext MessageContext(DatabaseStep step) const {
        return {step,
                server,
                driver,
                password,
                step == DatabaseStep::Connecting ? timeouts.login : timeouts.query,
                false,
                integratedSecurity};
    }

    // On the worker's thread.
    Failure Describe(const OdbcError& error, DatabaseStep step) const {
        FailureContext context = MessageContext(step);
        SQLUINTEGER dead = SQL_CD_FALSE;
        if (connected) {
            SQLGetConnectAttrW(connection.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
        }
        context.connectionDead = dead == SQL_CD_TRUE;
        return DescribeOdbcFailure(error.diagnostics, context);
    }

    OdbcHandle environment;
    OdbcHandle connection;
    const std::u16string driver;
    const std::u16string server;
    const Password password;
    const bool integratedSecurity;
    const DatabaseTimeouts timeouts;
    bool connected = false;
};

struct Recordset::Statement {
    explicit Statement(std::shared_ptr<const Connection::Handles> handles)
        : connection(std::move(handles)) {}

    // The steps below run on the worker's thread.
    void Execute(std::u16string_view command) {
        odbc.emplace(connection->connection, connection->timeouts.query);
        EnterResultSet(odbc->Execute(command));
    }

    void ReadRow() {
        row.reset();
        if (!odbc->Fetch()) {
            return;
        }
        std::vector<std::optional<std::u16string>> values;
        for (int column = 1; column <= columns; ++column) {
            values.push_back(odbc->Text(column, kLongestFieldValue + 1));
        }
        row = std::move(values);
    }

    // Skips results that are only row counts and stops on the first row of the next result set.
    bool EnterResultSet(bool haveResult) {
        while (haveResult && (columns = odbc->ColumnCount()) == 0) {
            haveResult = odbc->MoreResults();
        }
        hasResult = haveResult;
        if (hasResult) {
            ReadRow();
        } else {
            row.reset();
        }
        return hasResult;
    }

    const std::shared_ptr<const Connection::Handles> connection;
    std::optional<OdbcStatement> odbc;
    bool hasResult = false;
    int columns = 0;
    // The current row, read when it is reached so that Field can take columns in any order.
    std::optional<std::vector<std::optional<std::u16string>>> row;
};

// What a connection and the recordsets opened on it share: the worker that makes the driver's
// calls, the handles, and whether the connection was given up after a call overran its time.
struct Connection::Session {
    explicit Session(std::shared_ptr<Handles> connectionHandles)
        : worker(std::make_shared<DeadlineWorker>()), handles(std::move(connectionHandles)) {}
    ~Session() { Release(std::move(handles)); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Frees what `owned` holds on the worker's thread, after the calls queued before.
    template <typename T>
    void Release(std::shared_ptr<T> owned) {
        worker->Post([owned = std::move(owned)] {});
    }

    // Runs `step` on the worker and waits for it at most `budget`, which it then reduces by the
    // time taken. A driver's failure becomes the Failure the user sees. Past the budget the
    // connection is given up and the timeout Failure is thrown; the call goes on until the driver
    // ends it. The driver is not asked to cancel it from here: the driver manager (unixODBC)
    // empties the statement's diagnostics on SQLCancel while the call may still be filling them.
    void Call(std::function<void()> step, std::chrono::steady_clock::duration& budget,
              DatabaseStep phase) {
        const auto start = std::chrono::steady_clock::now();
        const bool inTime = worker->Run(
            [handles = handles, step = std::move(step), phase] {
                try {
                    step();
                } catch (const OdbcError& error) {
                    throw handles->Describe(error, phase);
                }
            },
            start + std::max(budget, std::chrono::steady_clock::duration::zero()));
        budget -= std::chrono::steady_clock::now() - start;
        if (!inTime) {
            givenUp = true;
            throw TimeoutFailure(handles->MessageContext(phase));
        }
    }

    Failure GivenUpFailure() const {
        std::u16string description = u"A conexão com o servidor SQL Server \"";
        description += handles->server;
        description +=
            u"\" não pode mais ser usada: o servidor deixou de responder a tempo. Conecte-se de "
            u"novo.";
        return {database_error::kConnectionNotOpen, std::move(description)};
    }

    const std::shared_ptr<DeadlineWorker> worker;
    std::shared_ptr<Handles> handles;
    bool givenUp = false;
};

namespace {

constexpr std::u16string_view kNoCurrentRecord =
    u"Não há registro atual: o resultado da consulta não tem (mais) linhas.";

bool TimeUp(std::chrono::steady_clock::time_point deadline) {
    return std::chrono::steady_clock::now() >= deadline;
}

// The major version of a version such as "8.00.194"; nothing when it does not start with one.
std::optional<int> MajorVersion(const std::optional<std::u16string>& version) {
    if (!version || version->empty() || (*version)[0] < u'0' || (*version)[0] > u'9') {
        return std::nullopt;
    }
    int major = 0;
    for (std::size_t at = 0; at < version->size() && at < 4; ++at) {
        const char16_t digit = (*version)[at];
        if (digit < u'0' || digit > u'9') {
            break;
        }
        major = major * 10 + (digit - u'0');
    }
    return major;
}

[[noreturn]] void ThrowNoDriver() {
    std::u16string names;
    for (std::u16string_view name : kSqlServerDrivers) {
        names += (names.empty() ? u"" : u", ") + std::u16string(name);
    }
    throw Failure{database_error::kProviderNotFound,
                  u"Nenhum driver ODBC para SQL Server está instalado nesta máquina. Instale um "
                  u"destes: " +
                      names + u"."};
}

// Logs on with one driver, on fresh handles, by `deadline`. On failure `diagnostics` holds what
// the driver reported, unless the call overran the deadline.
std::shared_ptr<Connection::Session> OpenSession(const ConnectionDescription& description,
                                                 const std::u16string& driver,
                                                 std::optional<std::uint16_t> instancePort,
                                                 DatabaseTimeouts timeouts,
                                                 std::chrono::steady_clock::time_point deadline,
                                                 std::vector<OdbcDiagnostic>& diagnostics) {
    using Handles = Connection::Handles;
    std::shared_ptr<Handles> handles;
    std::u16string text;
    try {
        text = DriverConnectionString(description, driver, instancePort);
        handles = std::make_shared<Handles>(NewOdbcEnvironment(), driver, description, timeouts);
        // The driver's own bound, in whole seconds, is what is left of the log-on's.
        const auto left =
            std::chrono::ceil<std::chrono::seconds>(deadline - std::chrono::steady_clock::now());
        const OdbcHandle& connection = handles->connection;
        connection.Check(SQLSetConnectAttrW(
            connection.get(), SQL_ATTR_LOGIN_TIMEOUT,
            reinterpret_cast<SQLPOINTER>(SQLULEN(std::max<long long>(left.count(), 1))), 0));
    } catch (const OdbcError& error) {
        diagnostics = error.diagnostics;
        throw DescribeOdbcFailure(error.diagnostics,
                                  handles ? handles->MessageContext(DatabaseStep::Connecting)
                                          : FailureContext{DatabaseStep::Connecting, u"", driver,
                                                           description.password, timeouts.login});
    }
    std::chrono::steady_clock::duration budget = deadline - std::chrono::steady_clock::now();
    // From here the handles are the worker's: the session releases them there.
    auto session = std::make_shared<Connection::Session>(std::move(handles));
    auto reported = std::make_shared<std::vector<OdbcDiagnostic>>();
    try {
        // The text holds no null character (the writer refuses one), so it ends at its end.
        session->Call(
            [handles = session->handles, text = std::move(text), reported] {
                try {
                    handles->connection.Check(SQLDriverConnectW(handles->connection.get(), nullptr,
                                                                OdbcText(text), SQL_NTS, nullptr, 0,
                                                                nullptr, SQL_DRIVER_NOPROMPT));
                } catch (const OdbcError& error) {
                    *reported = error.diagnostics;
                    throw;
                }
                handles->connected = true;
            },
            budget, DatabaseStep::Connecting);
    } catch (const Failure&) {
        // The worker has finished the call unless it overran, and then nothing is read here.
        if (!session->givenUp) {
            diagnostics = *reported;
        }
        throw;
    }
    return session;
}

}  // namespace

Connection::Connection(DatabaseTimeouts timeouts) : m_timeouts(timeouts) {}

Connection::~Connection() = default;

void Connection::Open(std::u16string_view connectionString, std::u16string_view userId,
                      std::u16string_view password) {
    if (IsOpen()) {
        throw Failure{database_error::kObjectOpen, u"A conexão já está aberta."};
    }
    const auto deadline = std::chrono::steady_clock::now() + m_timeouts.login;
    std::vector<std::u16string> installed;
    try {
        installed = InstalledOdbcDrivers(NewOdbcEnvironment());
    } catch (const OdbcError& error) {
        throw DescribeOdbcFailure(
            error.diagnostics,
            FailureContext{DatabaseStep::Connecting, u"", u"", Password(std::u16string(password)),
                           m_timeouts.login});
    }
    // Read once, whatever the driver: a string that cannot be read fails here, before any attempt.
    const ConnectionDescription description =
        DescribeConnection(connectionString, userId, password);
    const std::u16string& server = description.server;
    const InstancePort instance = FindInstancePort(description, m_timeouts.login);
    DriverAttempts attempts(installed, MajorVersion(instance.version), RememberedDriver(server));
    if (!attempts.AnyDriver()) {
        ThrowNoDriver();
    }
    if (instance.finding) {
        attempts.WithoutInstancePort(*instance.finding);
    }
    while (const std::optional<std::u16string> driver = attempts.Next()) {
        std::vector<OdbcDiagnostic> diagnostics;
        try {
            m_session =
                OpenSession(description, *driver, instance.port, m_timeouts, deadline, diagnostics);
            RememberDriver(server, *driver);
            return;
        } catch (const Failure& failure) {
            if (failure.number == database_error::kTimeout) {
                throw;
            }
            attempts.Failed(diagnostics, failure);
        }
        // The bound is the log-on's, not each driver's.
        if (TimeUp(deadline) && attempts.Next()) {
            throw TimeoutFailure({DatabaseStep::Connecting, server, *driver, description.password,
                                  m_timeouts.login});
        }
    }
    throw attempts.Result(server);
}

bool Connection::IsOpen() const {
    return m_session != nullptr && !m_session->givenUp;
}

void Connection::CheckOpen(std::u16string_view notOpen) const {
    if (m_session && m_session->givenUp) {
        throw m_session->GivenUpFailure();
    }
    if (!m_session) {
        throw Failure{database_error::kObjectClosed, std::u16string(notOpen)};
    }
}

std::u16string Connection::ServerName() const {
    CheckOpen(u"A conexão não está aberta: não há nome de servidor a mostrar.");
    auto name = std::make_shared<std::u16string>(m_session->handles->server);
    std::chrono::steady_clock::duration budget = m_timeouts.query;
    m_session->Call(
        [handles = m_session->handles, name] {
            SQLWCHAR reported[256];
            SQLSMALLINT length = 0;
            const SQLRETURN result = SQLGetInfoW(handles->connection.get(), SQL_SERVER_NAME,
                                                 reported, sizeof reported, &length);
            if (SQL_SUCCEEDED(result) && length > 0) {
                *name = FromOdbcText(
                    reported, std::min<std::size_t>(std::size_t(length) / sizeof(SQLWCHAR), 255));
            }
        },
        budget, DatabaseStep::Running);
    return *name;
}

std::u16string Connection::CurrentDatabase() const {
    CheckOpen(u"A conexão não está aberta: não há banco de dados atual.");
    auto name = std::make_shared<std::u16string>();
    std::chrono::steady_clock::duration budget = m_timeouts.query;
    m_session->Call(
        [handles = m_session->handles, name] {
            SQLWCHAR current[256];
            SQLINTEGER length = 0;
            handles->connection.Check(SQLGetConnectAttrW(handles->connection.get(),
                                                         SQL_ATTR_CURRENT_CATALOG, current,
                                                         sizeof current, &length));
            *name = FromOdbcText(
                current, std::min<std::size_t>(std::size_t(length) / sizeof(SQLWCHAR), 255));
        },
        budget, DatabaseStep::Running);
    return *name;
}

Recordset::Recordset() = default;

Recordset::~Recordset() {
    Close();
}

void Recordset::Open(std::u16string_view command, Connection& connection) {
    if (m_statement) {
        throw Failure{database_error::kObjectOpen,
                      u"O conjunto de registros já está aberto: feche-o antes de abri-lo de novo."};
    }
    if (connection.m_session && connection.m_session->givenUp) {
        throw connection.m_session->GivenUpFailure();
    }
    if (!connection.IsOpen()) {
        throw Failure{database_error::kConnectionNotOpen,
                      u"A conexão não está aberta: não é possível executar o comando."};
    }
    m_session = connection.m_session;
    m_budget = connection.m_timeouts.query;
    auto statement = std::make_shared<Statement>(m_session->handles);
    try {
        Call([statement, command = std::u16string(command)] { statement->Execute(command); });
    } catch (const Failure&) {
        m_session->Release(std::move(statement));
        m_session.reset();
        throw;
    }
    m_statement = std::move(statement);
}

void Recordset::Call(std::function<void()> step) {
    try {
        m_session->Call(std::move(step), m_budget, DatabaseStep::Running);
    } catch (const Failure&) {
        if (m_session->givenUp && m_statement) {
            m_session->Release(std::move(m_statement));
        }
        throw;
    }
}

void Recordset::CheckUsable() const {
    if (m_session && m_session->givenUp) {
        throw m_session->GivenUpFailure();
    }
    if (!m_statement) {
        throw Failure{database_error::kObjectClosed, u"O conjunto de registros está fechado."};
    }
}

bool Recordset::HasRow() const {
    return m_statement && !m_session->givenUp && m_statement->row.has_value();
}

std::optional<std::u16string> Recordset::Field(int index) const {
    CheckUsable();
    if (!m_statement->hasResult) {
        throw Failure{database_error::kObjectClosed,
                      u"O comando não devolveu nenhum conjunto de resultados."};
    }
    if (!m_statement->row) {
        throw Failure{database_error::kNoCurrentRecord, std::u16string(kNoCurrentRecord)};
    }
    const auto& values = *m_statement->row;
    if (index < 0 || std::size_t(index) >= values.size()) {
        throw Failure{database_error::kColumnNotFound,
                      u"A coluna " + DecimalText(index) + u" não existe: o resultado tem " +
                          DecimalText(static_cast<long long>(values.size())) +
                          u" colunas, numeradas a partir de 0."};
    }
    return values[std::size_t(index)];
}

bool Recordset::MoveNext() {
    CheckUsable();
    if (!HasRow()) {
        throw Failure{database_error::kNoCurrentRecord, std::u16string(kNoCurrentRecord)};
    }
    Call([statement = m_statement] { statement->ReadRow(); });
    return HasRow();
}

bool Recordset::NextRecordset() {
    CheckUsable();
    if (!m_statement->hasResult) {
        return false;
    }
    Call([statement = m_statement] { statement->EnterResultSet(statement->odbc->MoreResults()); });
    return m_statement->hasResult;
}

void Recordset::Close() {
    if (m_statement) {
        m_session->Release(std::move(m_statement));
    }
    m_statement.reset();
    m_session.reset();
}

}  // namespace kestrel
