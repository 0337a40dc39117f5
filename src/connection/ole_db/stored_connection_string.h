#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// What Connection::Open receives for a connect from the Quintara settings.
struct StoredConnectionString {
    std::u16string connectionString;
    std::u16string userId;
    std::u16string password;
};

// The connection string for the stored settings: integrated security or a server login, and TCP
// ("Network Library=dbmssocn") when the server name holds a ".". The password never enters the
// string; it goes to Open on its own.
StoredConnectionString BuildStoredConnectionString(std::u16string_view strServidor,
                                                   std::u16string_view strBancoDados,
                                                   std::u16string_view strUsuario,
                                                   std::u16string_view strSenha,
                                                   bool integratedSecurity);

}  // namespace kestrel
