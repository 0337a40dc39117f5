#pragma once

#include <string>
#include <variant>
#include <vector>

#include "connection/data_link_string.h"
#include "connection/database_access.h"

// What the connection dialog decides, whatever toolkit draws it: the Qt and the Win32 dialog pass
// the user's input in and show what comes out.
namespace kestrel {

// The dialog's fields as the user left them.
struct DataLinkFields {
    std::u16string server{};
    bool integratedSecurity = false;
    std::u16string userName{};
    std::u16string password{};
    bool blankPassword = false;
    std::u16string database{};
};

// Which log-on fields take input: none with integrated security, no password when it is blank.
struct LogOnFieldsEnabled {
    bool userName;
    bool password;
    bool blankPassword;
};
LogOnFieldsEnabled EnabledLogOnFields(const DataLinkFields& fields);

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
std::variant<std::vector<std::u16string>, DataLinkNotice> ListDataLinkDatabases(
    const DataLinkFields& fields, DatabaseTimeouts timeouts);

}  // namespace kestrel
