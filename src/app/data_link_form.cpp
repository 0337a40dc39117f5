#include "app/data_link_form.h"

#include <algorithm>

#include "base/text.h"
#include "base/visible_text.h"
#include "base/wait_pump.h"
#include "connection/connection_check.h"

namespace kestrel {

namespace {

std::u16string DatabaseNamed(const std::vector<ListedDatabase>& listed, std::u16string_view field) {
    const auto found = std::ranges::find(listed, field, &ListedDatabase::shown);
    return found != listed.end() ? found->name : std::u16string(field);
}

}  // namespace

LogOnFieldsEnabled EnabledLogOnFields(const DataLinkFields& fields) {
    const bool serverLogin = !fields.integratedSecurity;
    return {serverLogin, serverLogin && !fields.blankPassword, serverLogin};
}

DataLinkChoices ChoicesOf(const DataLinkFields& fields) {
    DataLinkChoices chosen{.server = fields.server,
                           .integratedSecurity = fields.integratedSecurity,
                           .database = DatabaseNamed(fields.listedDatabases, fields.database)};
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

std::variant<std::vector<ListedDatabase>, DataLinkNotice> ListDataLinkDatabases(
    const DataLinkFields& fields, DatabaseTimeouts timeouts) {
    DataLinkFields withoutDatabase = fields;
    withoutDatabase.database.clear();
    try {
        return ShownDatabases(ListDatabases(ConnectionStringOf(withoutDatabase), timeouts));
    } catch (const Failure& failure) {
        return DataLinkNotice{
            u"Não foi possível obter a lista de bancos de dados:\n" + failure.description, true};
    }
}

std::vector<ListedDatabase> ShownDatabases(const std::vector<std::u16string>& names) {
    // SQL Server's names are at most 128 characters long.
    constexpr std::size_t kLongestName = 128;
    std::vector<ListedDatabase> listed;
    const auto taken = [&](std::u16string_view shown, std::u16string_view name) {
        return std::ranges::any_of(
                   listed, [&](const ListedDatabase& other) { return other.shown == shown; }) ||
               std::ranges::any_of(names, [&](const std::u16string& other) {
                   return other == shown && other != name;
               });
    };
    for (const std::u16string& name : names) {
        const std::u16string visible = VisibleBeginning(name, kLongestName);
        std::u16string shown = visible;
        for (long long copy = 2; taken(shown, name); ++copy) {
            shown = visible + u" (" + DecimalText(copy) + u")";
        }
        listed.push_back({std::move(shown), name});
    }
    return listed;
}

}  // namespace kestrel
