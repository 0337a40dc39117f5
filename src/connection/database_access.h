#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// Bounds that keep a silent or stalled server from hanging the program; the defaults are the
// classic SQL Server provider's. They are kept in wall-clock time whatever the server does: the
// log-on as a whole, and each command from its open to its last read.
struct DatabaseTimeouts {
    std::chrono::seconds login{15};
    std::chrono::seconds query{30};
};

// The most characters of a value that Recordset::Field gives: a few thousand are far beyond any
// real version, edition or file path, and a server may send millions.
inline constexpr std::size_t kLongestFieldValue = 4000;

// One connection to SQL Server over ODBC (the program-wide cnBanco). Every failure throws
// kestrel::Failure with a number and a Portuguese description that never holds the password.
// A log-on or command that overruns its timeout gives the timeout Failure at once, and the
// connection is given up: it is no longer open, and any later use says why. The driver's calls
// are made on a thread of the connection's own; one held by a server that never answers is left
// there, and frees what it holds when the driver lets it go.
class Connection {
public:
    explicit Connection(DatabaseTimeouts timeouts = {});
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens with an OLE DB connection string, read once into the connection it describes
    // (DescribeConnection) once the installed drivers are known; a non-empty user ID or password
    // given here wins over the string's own. Each Open logs in anew: nothing is pooled or shared
    // between connections. The installed drivers are tried in turn within the one log-on bound, as
    // DriverAttempts says.
    void Open(std::u16string_view connectionString, std::u16string_view userId,
              std::u16string_view password);
    bool IsOpen() const;
    // The server name that the open connection reports; the data source of the connection string
    // when the driver reports none.
    std::u16string ServerName() const;
    // The database the open connection is in, as the server reports it.
    std::u16string CurrentDatabase() const;

    struct Handles;
    struct Session;

private:
    friend class Recordset;
    // Throws unless the connection is open: `notOpen` when it never was.
    void CheckOpen(std::u16string_view notOpen) const;

    DatabaseTimeouts m_timeouts;
    // Shared with the recordsets opened on it, so that its handles outlive their statements.
    std::shared_ptr<Session> m_session;
};

// A forward-only, read-only result of one command on an open Connection. After Open and after
// NextRecordset the current row is the first row of the result set.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(std::u16string_view command, Connection& connection);
    // Whether there is a current row (ADO's "not EOF").
    bool HasRow() const;
    // Column `index` (from 0) of the current row as text; no value for Null. Fails when there is
    // no current row or no such column. A value longer than kLongestFieldValue comes cut to that
    // length and one character more, so that the caller can tell it was cut.
    std::optional<std::u16string> Field(int index) const;
    // Moves to the next row of the result set; false when there is none.
    bool MoveNext();
    // Moves to the command's next result set; false when there is none.
    bool NextRecordset();
    // Ends the command; the recordset can then be opened again. Closing a closed one does nothing.
    void Close();

    struct Statement;

private:
    // Runs `step` within what is left of the command's time.
    void Call(std::function<void()> step);
    // Throws unless the recordset is open on a connection that was not given up.
    void CheckUsable() const;

    std::shared_ptr<Connection::Session> m_session;
    std::shared_ptr<Statement> m_statement;
    // What is left of the command's time.
    std::chrono::steady_clock::duration m_budget{};
};

}  // namespace kestrel
