#include "connection/ole_db/connection_string.h"

#include <vector>

#include "base/failure.h"
#include "base/text.h"
#include "connection/database_error.h"
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
std::u16string SqlServerProvider(const std::vector<OleDbAttribute>& attributes) {
    std::u16string provider =
        std::u16string(TrimBlanks(FindOleDbValue(attributes, {u"Provider"}).value_or(u"")));
    if (!provider.empty() && !IsSqlServerProvider(provider)) {
        throw Failure{database_error::kProviderNotFound,
                      u"O provedor \"" + provider +
                          u"\" não é o do SQL Server. Este programa só se conecta ao SQL Server "
                          u"(provedores SQLOLEDB, SQLNCLI e MSOLEDBSQL)."};
    }
    return provider;
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

}  // namespace

ConnectionDescription DescribeConnection(std::u16string_view oleDbString,
                                         std::u16string_view userId, std::u16string_view password) {
    const std::vector<OleDbAttribute> attributes = ReadOleDbConnectionString(oleDbString);
    ConnectionDescription described;
    described.provider = SqlServerProvider(attributes);
    described.server = DataSourceText(attributes);
    described.dataSource = ReadDataSource(described.server);
    if (described.server.empty()) {
        described.server = u"(local)";
    }
    described.tcp =
        described.dataSource.tcpPrefix ||
        IsOneOf(FindOleDbValue(attributes, {u"Network Library", u"Network", u"Net"}).value_or(u""),
                {u"dbmssocn"});
    described.database =
        FindOleDbValue(attributes, {u"Initial Catalog", u"Database"}).value_or(u"");
    described.integratedSecurity = WantsIntegratedSecurity(attributes);
    if (!described.integratedSecurity) {
        described.user =
            !userId.empty()
                ? std::u16string(userId)
                : FindOleDbValue(attributes, {u"User ID", u"UID", u"User"}).value_or(u"");
        described.password = Password(
            !password.empty() ? std::u16string(password)
                              : FindOleDbValue(attributes, {u"Password", u"PWD"}).value_or(u""));
    }
    return described;
}

}  // namespace kestrel
