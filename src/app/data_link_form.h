#pragma once

#include <string>
#include <variant>
#include <vector>

#include "connection/database_access.h"
#include "connection/ole_db/data_link_string.h"

// What the connection dialog decides, whatever toolkit draws it: the Qt and the Win32 dialog pass
// the user's input in and show what comes out.
namespace kestrel {

// A database of the server's list as the dialog shows it: its name in one line with visible signs
// (a direction override or a line break in it is the server's, and must not pass for another
// name), made unique in the list, and the name itself.
struct ListedDatabase {
    std::u16string shown;
    std::u16string name;
};

// The dialog's fields as the user left them, and the databases last listed.
struct DataLinkFields {
    std::u16string server{};
    bool integratedSecurity = false;
    std::u16string userName{};
    std::u16string password{};
    bool blankPassword = false;
    std::u16string database{};  // as the field shows it
    std::vector<ListedDatabase> listedDatabases{};
};

// Which log-on fields take input: none with integrated security, no password when it is blank.
struct LogOnFieldsEnabled {
    bool userName;
    bool password;
    bool blankPassword;
};
LogOnFieldsEnabled EnabledLogOnFields(const DataLinkFields& fields);

// The database is the server's own name of the listed database that the field shows, else the
// text as typed.
DataLinkChoices ChoicesOf(const DataLinkFields& fields);
// The OLE DB connection string that the dialog yields when the user confirms.
std::u16string ConnectionStringOf(const DataLinkFields& fields);

// A message for the user, over the dialog.
struct DataLinkNotice {
    std::u16string text;
    bool failed;
};

// Whether a command of the dialog ("Atualizar lista", "Testar conexão", OK, Cancel) runs now. None
// runs while a wait of the window's thread is under way, as none of the window's does (see
// MainWindowHandlers::Run): the view drops it.
bool DataLinkCommandRuns();

// "Testar conexão": opens a connection with the fields and says how it went.
DataLinkNotice TestDataLink(const DataLinkFields& fields, DatabaseTimeouts timeouts);

// "Atualizar lista": the server's databases, or why they could not be had. The database typed in
// the dialog does not take part: it may be the one that does not exist.
std::variant<std::vector<ListedDatabase>, DataLinkNotice> ListDataLinkDatabases(
    const DataLinkFields& fields, DatabaseTimeouts timeouts);

// The list as the dialog shows it, in the server's order.
std::vector<ListedDatabase> ShownDatabases(const std::vector<std::u16string>& names);

}  // namespace kestrel
