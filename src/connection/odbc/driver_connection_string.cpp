#include "connection/odbc/driver_connection_string.h"

#include <vector>

#include "base/failure.h"
#include "base/text.h"
#include "connection/database_error.h"
#include "connection/driver_choice/connection_string_driver.h"
#include "connection/odbc/connection_string_writer.h"

namespace kestrel {

namespace {

// FreeTDS takes a port only as PORT, and without one it takes the port of freetds.conf, which
// names none on Debian; it refuses "host,port" and "host:port".
void AddFreeTdsServer(std::vector<OdbcAttribute>& odbc, const DataSource& source,
                      std::optional<std::uint16_t> instancePort) {
    std::u16string port = source.port;
    if (port.empty() && source.instance.empty()) {
        port = u"1433";
    } else if (port.empty() && instancePort) {
        port = DecimalText(*instancePort);
    } else if (port.empty()) {
        throw Failure{database_error::kBadConnectionString,
                      u"A porta da instância \"" + source.instance +
                          u"\" não foi informada: o driver FreeTDS precisa dela."};
    }
    odbc.push_back({u"SERVER", FreeTdsHost(source), u"O servidor"});
    odbc.push_back({u"PORT", port, u"A porta"});
}

// Microsoft's drivers read the classic forms themselves; only the way to say TCP differs.
void AddMicrosoftServer(std::vector<OdbcAttribute>& odbc, const DataSource& source, bool tcp,
                        DriverFamily family) {
    const bool tcpPrefix = tcp && family == DriverFamily::MicrosoftOdbc;
    std::u16string server = tcpPrefix ? u"tcp:" : u"";
    // Shared memory knows "(local)"; TCP needs a host name.
    server += source.thisMachine ? (tcp ? u"localhost" : u"(local)") : source.host;
    if (!source.instance.empty()) {
        server += u'\\' + source.instance;
    }
    if (!source.port.empty()) {
        server += u',' + source.port;
    }
    odbc.push_back({u"SERVER", server, u"O servidor"});
    if (tcp && family == DriverFamily::WindowsSqlServer) {
        odbc.push_back({u"Network", u"dbmssocn", u"A biblioteca de rede"});
    }
}

void AddDriverOptions(std::vector<OdbcAttribute>& odbc, DriverFamily family) {
    switch (family) {
        case DriverFamily::FreeTds:
            // TDS 7.1 is what the classic provider speaks: SQL Server 2000 understands it and
            // every later release still accepts it. Asking for 7.4 ("auto") makes FreeTDS 1.3 hang
            // on a refused login to SQL Server 2000, and adds nothing to text read as text.
            odbc.push_back({u"TDS_Version", u"7.1", u"A versão do TDS"});
            odbc.push_back({u"ClientCharset", u"UTF-8", u"O conjunto de caracteres"});
            break;
        case DriverFamily::MicrosoftOdbc:
            // Driver 18 demands encryption and a trusted certificate by default; the classic
            // provider encrypted only when the server asked and did not check the certificate.
            odbc.push_back({u"Encrypt", u"no", u"A criptografia"});
            odbc.push_back({u"TrustServerCertificate", u"yes", u"A criptografia"});
            break;
        case DriverFamily::WindowsSqlServer:
            break;
    }
}

}  // namespace

std::u16string DriverConnectionString(const ConnectionDescription& description,
                                      std::u16string_view driver,
                                      std::optional<std::uint16_t> instancePort) {
    const DriverFamily family = FamilyOfDriver(driver);
    std::vector<OdbcAttribute> odbc;
    odbc.push_back({u"DRIVER", std::u16string(driver), u"O nome do driver"});
    if (family == DriverFamily::FreeTds) {
        AddFreeTdsServer(odbc, description.dataSource, instancePort);
    } else {
        AddMicrosoftServer(odbc, description.dataSource, description.tcp, family);
    }
    if (!description.database.empty()) {
        odbc.push_back({u"DATABASE", description.database, u"O banco de dados"});
    }
    AddDriverOptions(odbc, family);
    if (description.integratedSecurity) {
        odbc.push_back({u"Trusted_Connection", u"Yes", u"A segurança integrada"});
    }
    if (!description.user.empty()) {
        odbc.push_back({u"UID", description.user, u"O usuário"});
    }
    // Last: only there can FreeTDS take a password that mixes "}" and ";".
    if (!description.password.IsEmpty()) {
        odbc.push_back({u"PWD", description.password.m_text, u"A senha"});
    }
    return WriteOdbcConnectionString(
        odbc, family == DriverFamily::FreeTds ? OdbcQuoting::FreeTds : OdbcQuoting::Standard);
}

}  // namespace kestrel
