// libFuzzer target for the OLE DB connection strings. Beyond not crashing: values quoted into the
// strings that Kestrel builds (stored settings, the dialog) must read back whole, "=" first
// included; and the string written for a driver must read back, the way each driver reads it, as
// keywords of our own only, each once, with the password, user and database unchanged, so that no
// value can end early or add a keyword.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/failure.h"
#include "connection/database_error.h"
#include "connection/driver_choice/connection_string_driver.h"
#include "connection/odbc/driver_connection_string.h"
#include "connection/ole_db/connection_string.h"
#include "connection/ole_db/connection_string_reader.h"
#include "connection/ole_db/data_link_string.h"
#include "connection/ole_db/stored_connection_string.h"

namespace {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// As ODBC defines it, and as the driver managers and Microsoft's drivers read it: a braced value
// ends at a "}" that is not doubled, "}}" stands for "}". Nothing when a brace is left open.
std::optional<Pairs> ReadStandard(std::u16string_view text) {
    Pairs pairs;
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && (text[i] == u';' || text[i] == u' ')) {
            ++i;
        }
        const std::size_t equals = text.find(u'=', i);
        if (i >= text.size() || equals == std::u16string_view::npos) {
            return pairs;
        }
        std::u16string key(text.substr(i, equals - i));
        std::u16string value;
        i = equals + 1;
        if (i < text.size() && text[i] == u'{') {
            for (++i;; ++i) {
                if (i >= text.size()) {
                    return std::nullopt;
                }
                if (text[i] == u'}') {
                    if (i + 1 < text.size() && text[i + 1] == u'}') {
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                }
                value += text[i];
            }
        } else {
            const std::size_t end = std::min(text.find(u';', i), text.size());
            value = text.substr(i, end - i);
            i = end;
        }
        pairs.emplace_back(std::move(key), std::move(value));
    }
}

// As FreeTDS 1.3 reads it: a braced value is everything up to the first "};" (or the end), taken
// as it is.
Pairs ReadFreeTds13(std::u16string_view text) {
    Pairs pairs;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == u';') {
            ++i;
        }
        const std::size_t equals = text.find(u'=', i);
        if (equals == std::u16string_view::npos) {
            break;
        }
        while (i < equals && text[i] == u' ') {
            ++i;
        }
        std::u16string key(text.substr(i, equals - i));
        i = equals + 1;
        std::size_t end;
        if (i < text.size() && text[i] == u'{') {
            ++i;
            end = text.find(u"};", i);
            end = end == std::u16string_view::npos ? text.size() : end;
        } else {
            end = std::min(text.find(u';', i), text.size());
        }
        pairs.emplace_back(std::move(key), std::u16string(text.substr(i, end - i)));
        i = end;
        if (i < text.size() && text[i] == u'}') {
            ++i;
        }
        ++i;
    }
    return pairs;
}

bool IsOurKeyword(std::u16string_view key) {
    for (std::u16string_view ours :
         {u"DRIVER", u"SERVER", u"PORT", u"DATABASE", u"UID", u"PWD", u"Trusted_Connection",
          u"TDS_Version", u"ClientCharset", u"Encrypt", u"TrustServerCertificate", u"Network"}) {
        if (key == ours) {
            return true;
        }
    }
    return false;
}

std::optional<std::u16string> ValueOf(const Pairs& pairs, std::u16string_view key) {
    for (const auto& [k, v] : pairs) {
        if (k == key) {
            return v;
        }
    }
    return std::nullopt;
}

// Our keywords only, each once, with the driver we asked for first.
void CheckKeywords(const Pairs& pairs, std::u16string_view driver) {
    Require(!pairs.empty() && pairs.front().first == u"DRIVER" && pairs.front().second == driver);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        Require(IsOurKeyword(pairs[i].first));
        for (std::size_t j = 0; j < i; ++j) {
            Require(pairs[i].first != pairs[j].first);
        }
    }
}

// The string reads as exactly `expected`, keyword by keyword, each value whole.
void CheckReadsBackAs(std::u16string_view oleDb, const Pairs& expected) {
    const std::vector<kestrel::OleDbAttribute> attributes =
        kestrel::ReadOleDbConnectionString(oleDb);
    Require(attributes.size() == expected.size());
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        Require(attributes[i].keyword == expected[i].first);
        Require(attributes[i].value == expected[i].second);
    }
}

void CheckQuotedValuesReadBackWhole(const std::u16string& server, const std::u16string& database,
                                    const std::u16string& user, const std::u16string& password) {
    const kestrel::StoredConnectionString stored =
        kestrel::BuildStoredConnectionString(server, database, user, password, false);
    Pairs expected = {{u"Provider", u"SQLOLEDB.1"},
                      {u"Persist Security Info", u"False"},
                      {u"User ID", user},
                      {u"Initial Catalog", database},
                      {u"Data Source", server}};
    if (server.find(u'.') != std::u16string::npos) {
        expected.emplace_back(u"Network Library", u"dbmssocn");
    }
    CheckReadsBackAs(stored.connectionString, expected);

    expected = {{u"Provider", u"SQLOLEDB.1"},
                {u"Password", password},
                {u"Persist Security Info", u"False"},
                {u"User ID", user}};
    if (!database.empty()) {
        expected.emplace_back(u"Initial Catalog", database);
    }
    expected.emplace_back(u"Data Source", server);
    CheckReadsBackAs(
        kestrel::BuildDataLinkString(
            {.server = server, .userName = user, .password = password, .database = database}),
        expected);
}

// Bytes become UTF-16 code units one by one: what matters to the reading and writing is ASCII.
std::u16string Widen(const std::string& bytes) {
    std::u16string text;
    for (unsigned char byte : bytes) {
        text += char16_t(byte);
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::u16string driver(
        kestrel::kSqlServerDrivers[input.ConsumeIntegralInRange<std::size_t>(0, 3)]);
    const std::u16string userId = Widen(input.ConsumeRandomLengthString(64));
    const std::u16string password = Widen(input.ConsumeRandomLengthString(64));
    // The port the SQL Server Browser gives a named instance.
    const auto instancePort = input.ConsumeIntegralInRange<std::uint16_t>(1, 65535);
    const std::u16string server = Widen(input.ConsumeRandomLengthString(64));
    const std::u16string database = Widen(input.ConsumeRandomLengthString(64));
    const std::u16string oleDb = Widen(input.ConsumeRemainingBytesAsString());
    CheckQuotedValuesReadBackWhole(server, database, userId, password);

    kestrel::ConnectionDescription description;
    std::u16string odbc;
    try {
        description = kestrel::DescribeConnection(oleDb, userId, password);
        odbc = kestrel::DriverConnectionString(description, driver, instancePort);
    } catch (const kestrel::Failure& failure) {
        Require(failure.number == kestrel::database_error::kBadConnectionString ||
                failure.number == kestrel::database_error::kProviderNotFound);
        return 0;
    }
    Require(!odbc.empty() && odbc.back() == u';');

    // The driver manager reads every string the standard way; a FreeTDS string may leave its last
    // value open to it, which then runs to the end.
    const bool freeTds = kestrel::FamilyOfDriver(driver) == kestrel::DriverFamily::FreeTds;
    const std::optional<Pairs> standard = ReadStandard(odbc);
    Require(standard.has_value() || freeTds);
    const Pairs driverView = freeTds ? ReadFreeTds13(odbc) : *standard;
    if (standard) {
        CheckKeywords(*standard, driver);
    }
    CheckKeywords(driverView, driver);

    // What the driver reads is what was meant.
    const bool integrated = ValueOf(driverView, u"Trusted_Connection").has_value();
    Require(!integrated || (description.password.IsEmpty() && !ValueOf(driverView, u"UID") &&
                            !ValueOf(driverView, u"PWD")));
    if (!integrated && !password.empty()) {
        Require(description.password == kestrel::Password(password));
    }
    if (!integrated && !userId.empty()) {
        Require(ValueOf(driverView, u"UID") == userId);
    }
    Require(kestrel::Password(ValueOf(driverView, u"PWD").value_or(u"")) == description.password);
    return 0;
}
