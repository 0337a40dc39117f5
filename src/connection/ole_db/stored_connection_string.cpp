#include "connection/ole_db/stored_connection_string.h"

#include "connection/ole_db/ole_db_quoting.h"

namespace kestrel {

StoredConnectionString BuildStoredConnectionString(std::u16string_view strServidor,
                                                   std::u16string_view strBancoDados,
                                                   std::u16string_view strUsuario,
                                                   std::u16string_view strSenha,
                                                   bool integratedSecurity) {
    StoredConnectionString built;
    std::u16string& s = built.connectionString;
    if (integratedSecurity) {
        s = u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=";
    } else {
        s = u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=";
        s += QuoteOleDbValue(strUsuario);
        s += u";Initial Catalog=";
        built.userId = strUsuario;
        built.password = strSenha;
    }
    s += QuoteOleDbValue(strBancoDados);
    s += u";Data Source=";
    s += QuoteOleDbValue(strServidor);
    if (strServidor.find(u'.') != std::u16string_view::npos) {
        s += u";Network Library=dbmssocn";
    }
    return built;
}

}  // namespace kestrel
