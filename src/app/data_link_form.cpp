#include "app/data_link_form.h"

#include "base/wait_pump.h"
#include "connection/connection_check.h"

namespace kestrel {

LogOnFieldsEnabled EnabledLogOnFields(const DataLinkFields& fields) {
    const bool serverLogin = !fields.integratedSecurity;
    return {serverLogin, serverLogin && !fields.blankPassword, serverLogin};
}

DataLinkChoices ChoicesOf(const DataLinkFields& fields) {
    DataLinkChoices chosen{.server = fields.server,
                           .integratedSecurity = fields.integratedSecurity,
                           .database = fields.database};
    if (!fields.integratedSecurity) {
        chosen.userName = fields.userName;
        chosen.password = fields.blankPassword ? u"" : fields.password;
    }
    return chosen;
}

std::u16string ConnectionStringOf(const DataLinkFields& fields) {
    return BuildDataLinkString(ChoicesOf(fields));
}

bool DataLinkCommandRuns() {
    return !WaitUnderWay();
}

DataLinkNotice TestDataLink(const DataLinkFields& fields, DatabaseTimeouts timeouts) {
    if (const std::optional<Failure> failure =
            TestConnection(ConnectionStringOf(fields), timeouts)) {
        return {u"Falha no teste de conexão:\n" + failure->description, true};
    }
    return {u"Teste de conexão concluído com êxito.", false};
}

std::variant<std::vector<std::u16string>, DataLinkNotice> ListDataLinkDatabases(
    const DataLinkFields& fields, DatabaseTimeouts timeouts) {
    DataLinkFields withoutDatabase = fields;
    withoutDatabase.database.clear();
    try {
        return ListDatabases(ConnectionStringOf(withoutDatabase), timeouts);
    } catch (const Failure& failure) {
        return DataLinkNotice{
            u"Não foi possível obter a lista de bancos de dados:\n" + failure.description, true};
    }
}

}  // namespace kestrel
