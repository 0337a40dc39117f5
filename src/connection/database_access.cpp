#include "connection/database_access.h"

#include <algorithm>
#include <vector>

#include "base/failure.h"
#include "base/text.h"
#include "connection/connection_string.h"
#include "connection/connection_string_driver.h"
#include "connection/odbc_drivers.h"
#include "connection/odbc_failure.h"
#include "connection/odbc_handle.h"
#include "connection/odbc_statement.h"
#include "connection/sql_browser.h"

namespace kestrel {

struct Connection::Handles {
    Handles(OdbcHandle env, std::u16string driverName, OdbcConnectionString odbc)
        : environment(std::move(env)),
          connection(SQL_HANDLE_DBC, environment.get()),
          driver(std::move(driverName)),
          server(std::move(odbc.dataSource)),
          password(std::move(odbc.password)),
          integratedSecurity(odbc.integratedSecurity) {}
    ~Handles() {
        if (connected) {
            SQLDisconnect(connection.get());
        }
    }

    FailureContext Context(DatabaseStep step, std::chrono::seconds timeout) const {
        SQLUINTEGER dead = SQL_CD_FALSE;
        if (connected) {
            SQLGetConnectAttrW(connection.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
        }
        return {step, server, driver, password, timeout, dead == SQL_CD_TRUE, integratedSecurity};
    }

    OdbcHandle environment;
    OdbcHandle connection;
    std::u16string driver;
    std::u16string server;
    std::u16string password;
    bool integratedSecurity;
    bool connected = false;
};

struct Recordset::Statement {
    Statement(std::shared_ptr<const Connection::Handles> handles, std::chrono::seconds timeout)
        : connection(std::move(handles)),
          queryTimeout(timeout),
          odbc(connection->connection, queryTimeout) {}

    std::shared_ptr<const Connection::Handles> connection;
    std::chrono::seconds queryTimeout;
    OdbcStatement odbc;
    bool hasResult = false;
    int columns = 0;
    // The current row, read when it is reached so that Field can take columns in any order.
    std::optional<std::vector<std::optional<std::u16string>>> row;

    // Runs `step` and turns an ODBC failure into the Failure the user sees.
    template <typename Step>
    auto Run(Step step) {
        try {
            return step();
        } catch (const OdbcError& error) {
            throw DescribeOdbcFailure(error.diagnostics,
                                      connection->Context(DatabaseStep::Running, queryTimeout));
        }
    }

    void ReadRow() {
        row.reset();
        if (!odbc.Fetch()) {
            return;
        }
        std::vector<std::optional<std::u16string>> values;
        for (int column = 1; column <= columns; ++column) {
            values.push_back(odbc.Text(column));
        }
        row = std::move(values);
    }

    // Skips results that are only row counts and stops on the first row of the next result set.
    bool EnterResultSet(bool haveResult) {
        while (haveResult && (columns = odbc.ColumnCount()) == 0) {
            haveResult = odbc.MoreResults();
        }
        hasResult = haveResult;
        if (hasResult) {
            ReadRow();
        } else {
            row.reset();
        }
        return hasResult;
    }
};

namespace {

constexpr std::u16string_view kNoCurrentRecord =
    u"Não há registro atual: o resultado da consulta não tem (mais) linhas.";

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

}  // namespace

Connection::Connection(DatabaseTimeouts timeouts) : m_timeouts(timeouts) {}

Connection::~Connection() = default;

void Connection::Open(std::u16string_view connectionString, std::u16string_view userId,
                      std::u16string_view password) {
    if (IsOpen()) {
        throw Failure{database_error::kObjectOpen, u"A conexão já está aberta."};
    }
    std::shared_ptr<Handles> handles;
    try {
        OdbcHandle environment = NewOdbcEnvironment();
        const std::optional<std::u16string> driver =
            ChooseSqlServerDriver(InstalledOdbcDrivers(environment));
        if (!driver) {
            ThrowNoDriver();
        }
        const InstancePort instance = FindInstancePort(connectionString, *driver, m_timeouts.login);
        OdbcConnectionString odbc =
            TranslateConnectionString(connectionString, userId, password, *driver, instance.port);
        const std::u16string text = std::move(odbc.text);
        handles = std::make_shared<Handles>(std::move(environment), *driver, std::move(odbc));
        const OdbcHandle& connection = handles->connection;
        connection.Check(SQLSetConnectAttrW(
            connection.get(), SQL_ATTR_LOGIN_TIMEOUT,
            reinterpret_cast<SQLPOINTER>(SQLULEN(instance.loginTimeLeft.count())), 0));
        // The text holds no null character (the translation refuses one), so it ends at its end.
        connection.Check(SQLDriverConnectW(connection.get(), nullptr, OdbcText(text), SQL_NTS,
                                           nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
        handles->connected = true;
    } catch (const OdbcError& error) {
        const FailureContext context =
            handles
                ? handles->Context(DatabaseStep::Connecting, m_timeouts.login)
                : FailureContext{DatabaseStep::Connecting, u"", u"", password, m_timeouts.login};
        throw DescribeOdbcFailure(error.diagnostics, context);
    }
    m_handles = std::move(handles);
}

bool Connection::IsOpen() const {
    return m_handles != nullptr;
}

std::u16string Connection::ServerName() const {
    if (!IsOpen()) {
        throw Failure{database_error::kObjectClosed,
                      u"A conexão não está aberta: não há nome de servidor a mostrar."};
    }
    SQLWCHAR name[256];
    SQLSMALLINT length = 0;
    const SQLRETURN result =
        SQLGetInfoW(m_handles->connection.get(), SQL_SERVER_NAME, name, sizeof name, &length);
    if (SQL_SUCCEEDED(result) && length > 0) {
        return FromOdbcText(name,
                            std::min<std::size_t>(std::size_t(length) / sizeof(SQLWCHAR), 255));
    }
    return m_handles->server;
}

std::u16string Connection::CurrentDatabase() const {
    if (!IsOpen()) {
        throw Failure{database_error::kObjectClosed,
                      u"A conexão não está aberta: não há banco de dados atual."};
    }
    SQLWCHAR name[256];
    SQLINTEGER length = 0;
    try {
        m_handles->connection.Check(SQLGetConnectAttrW(
            m_handles->connection.get(), SQL_ATTR_CURRENT_CATALOG, name, sizeof name, &length));
    } catch (const OdbcError& error) {
        throw DescribeOdbcFailure(error.diagnostics,
                                  m_handles->Context(DatabaseStep::Running, m_timeouts.query));
    }
    return FromOdbcText(name, std::min<std::size_t>(std::size_t(length) / sizeof(SQLWCHAR), 255));
}

Recordset::Recordset() = default;

Recordset::~Recordset() = default;

void Recordset::Open(std::u16string_view command, Connection& connection) {
    if (m_statement) {
        throw Failure{database_error::kObjectOpen,
                      u"O conjunto de registros já está aberto: feche-o antes de abri-lo de novo."};
    }
    if (!connection.IsOpen()) {
        throw Failure{database_error::kConnectionNotOpen,
                      u"A conexão não está aberta: não é possível executar o comando."};
    }
    const std::shared_ptr<const Connection::Handles> handles = connection.m_handles;
    const std::chrono::seconds timeout = connection.m_timeouts.query;
    try {
        auto statement = std::make_unique<Statement>(handles, timeout);
        statement->EnterResultSet(statement->odbc.Execute(command));
        m_statement = std::move(statement);
    } catch (const OdbcError& error) {
        throw DescribeOdbcFailure(error.diagnostics,
                                  handles->Context(DatabaseStep::Running, timeout));
    }
}

bool Recordset::HasRow() const {
    return m_statement && m_statement->row.has_value();
}

std::optional<std::u16string> Recordset::Field(int index) const {
    if (!m_statement || !m_statement->hasResult) {
        throw Failure{database_error::kObjectClosed,
                      m_statement ? u"O comando não devolveu nenhum conjunto de resultados."
                                  : u"O conjunto de registros está fechado."};
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
    if (!HasRow()) {
        throw Failure{database_error::kNoCurrentRecord, std::u16string(kNoCurrentRecord)};
    }
    m_statement->Run([this] { m_statement->ReadRow(); });
    return HasRow();
}

bool Recordset::NextRecordset() {
    if (!m_statement) {
        throw Failure{database_error::kObjectClosed, u"O conjunto de registros está fechado."};
    }
    if (!m_statement->hasResult) {
        return false;
    }
    return m_statement->Run(
        [this] { return m_statement->EnterResultSet(m_statement->odbc.MoreResults()); });
}

void Recordset::Close() {
    m_statement.reset();
}

}  // namespace kestrel
