#include "connection/ole_db/connection_string.h"

#include <vector>

#include "base/failure.h"
#include "base/text.h"
#include "connection/database_error.h"
#include "connection/driver_choice/connection_string_driver.h"
#include "connection/odbc/connection_string_writer.h"
#include "connection/ole_db/connection_string_data_source.h"
#include "connection/ole_db/connection_string_reader.h"

namespace kestrel {

namespace {

bool IsSqlServerProvider(std::u16string_view provider) {
    if (EqualsIgnoringCase(provider, u"SQLOLEDB")) {
        return true;
    }
    if (StartsWithIgnoringCase(provider, u"SQLOLEDB.")) {
        const std::u16string_view version = provider.substr(9);
        return !version.empty() && version.find_first_not_of(u"0123456789") == version.npos;
    }
    return StartsWithIgnoringCase(provider, u"SQLNCLI") ||
           StartsWithIgnoringCase(provider, u"MSOLEDBSQL");
}

// A string without a provider is taken as SQL Server's: this program speaks to nothing else, and
// such a string can only have been meant for it.
void RefuseForeignProvider(const std::vector<OleDbAttribute>& attributes) {
    const std::u16string provider =
        std::u16string(TrimBlanks(FindOleDbValue(attributes, {u"Provider"}).value_or(u"")));
    if (!provider.empty() && !IsSqlServerProvider(provider)) {
        throw Failure{database_error::kProviderNotFound,
                      u"O provedor \"" + provider +
                          u"\" não é o do SQL Server. Este programa só se conecta ao SQL Server "
                          u"(provedores SQLOLEDB, SQLNCLI e MSOLEDBSQL)."};
    }
}

bool IsOneOf(std::u16string_view value, std::initializer_list<std::u16string_view> accepted) {
    for (std::u16string_view candidate : accepted) {
        if (EqualsIgnoringCase(TrimBlanks(value), candidate)) {
            return true;
        }
    }
    return false;
}

bool WantsIntegratedSecurity(const std::vector<OleDbAttribute>& attributes) {
    return IsOneOf(FindOleDbValue(attributes, {u"Integrated Security"}).value_or(u""),
                   {u"SSPI", u"true", u"yes"}) ||
           IsOneOf(FindOleDbValue(attributes, {u"Trusted_Connection"}).value_or(u""),
                   {u"yes", u"true"});
}

std::u16string DataSourceText(const std::vector<OleDbAttribute>& attributes) {
    return std::u16string(
        TrimBlanks(FindOleDbValue(attributes, {u"Data Source", u"Server", u"Address", u"Addr",
                                               u"Network Address"})
                       .value_or(u"")));
}

// This machine is reached over TCP on its IPv4 loopback address, "localhost" too: that name may
// give IPv6's loopback first, where the server need not listen.
std::u16string FreeTdsHost(const DataSource& source) {
    return source.thisMachine || EqualsIgnoringCase(source.host, u"localhost") ? u"127.0.0.1"
                                                                               : source.host;
}

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

std::optional<NamedInstance> InstanceToLookUp(std::u16string_view oleDbString) {
    const std::vector<OleDbAttribute> attributes = ReadOleDbConnectionString(oleDbString);
    RefuseForeignProvider(attributes);
    const DataSource source = ReadDataSource(DataSourceText(attributes));
    if (source.instance.empty() || !source.port.empty()) {
        return std::nullopt;
    }
    return NamedInstance{FreeTdsHost(source), source.instance};
}

std::u16string DataSourceName(std::u16string_view oleDbString) {
    const std::u16string text = DataSourceText(ReadOleDbConnectionString(oleDbString));
    return text.empty() ? u"(local)" : text;
}

OdbcConnectionString TranslateConnectionString(std::u16string_view oleDbString,
                                               std::u16string_view userId,
                                               std::u16string_view password,
                                               std::u16string_view driver,
                                               std::optional<std::uint16_t> instancePort) {
    const std::vector<OleDbAttribute> attributes = ReadOleDbConnectionString(oleDbString);
    RefuseForeignProvider(attributes);

    const DriverFamily family = FamilyOfDriver(driver);
    const std::u16string dataSourceText = DataSourceText(attributes);
    const DataSource source = ReadDataSource(dataSourceText);
    const bool tcp =
        source.tcpPrefix ||
        IsOneOf(FindOleDbValue(attributes, {u"Network Library", u"Network", u"Net"}).value_or(u""),
                {u"dbmssocn"});

    std::vector<OdbcAttribute> odbc;
    odbc.push_back({u"DRIVER", std::u16string(driver), u"O nome do driver"});
    if (family == DriverFamily::FreeTds) {
        AddFreeTdsServer(odbc, source, instancePort);
    } else {
        AddMicrosoftServer(odbc, source, tcp, family);
    }
    const std::u16string database(
        FindOleDbValue(attributes, {u"Initial Catalog", u"Database"}).value_or(u""));
    if (!database.empty()) {
        odbc.push_back({u"DATABASE", database, u"O banco de dados"});
    }
    AddDriverOptions(odbc, family);

    std::u16string passwordInEffect;
    const bool integratedSecurity = WantsIntegratedSecurity(attributes);
    if (integratedSecurity) {
        odbc.push_back({u"Trusted_Connection", u"Yes", u"A segurança integrada"});
    } else {
        const std::u16string user =
            !userId.empty()
                ? std::u16string(userId)
                : FindOleDbValue(attributes, {u"User ID", u"UID", u"User"}).value_or(u"");
        passwordInEffect = !password.empty()
                               ? std::u16string(password)
                               : FindOleDbValue(attributes, {u"Password", u"PWD"}).value_or(u"");
        if (!user.empty()) {
            odbc.push_back({u"UID", user, u"O usuário"});
        }
        // Last: only there can FreeTDS take a password that mixes "}" and ";".
        if (!passwordInEffect.empty()) {
            odbc.push_back({u"PWD", passwordInEffect, u"A senha"});
        }
    }

    const OdbcQuoting quoting =
        family == DriverFamily::FreeTds ? OdbcQuoting::FreeTds : OdbcQuoting::Standard;
    return {WriteOdbcConnectionString(odbc, quoting),
            dataSourceText.empty() ? u"(local)" : dataSourceText, std::move(passwordInEffect),
            integratedSecurity};
}

}  // namespace kestrel
