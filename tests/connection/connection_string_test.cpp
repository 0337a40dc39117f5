#include "connection/ole_db/connection_string.h"

#include <gtest/gtest.h>

#include <string>

#include "base/failure.h"
#include "base/text.h"
#include "connection/browser/sql_browser.h"
#include "connection/database_error.h"
#include "connection/odbc/driver_connection_string.h"
#include "connection/ole_db/stored_connection_string.h"
#include "support/failure_of.h"

using kestrel::DescribeConnection;
using kestrel::DriverConnectionString;
using kestrel::Failure;
namespace database_error = kestrel::database_error;

namespace {

constexpr char16_t kFreeTds[] = u"FreeTDS";
constexpr char16_t kDriver18[] = u"ODBC Driver 18 for SQL Server";
// The port that the SQL Server Browser gave for a named instance.
constexpr std::uint16_t kInstancePort = 49172;

// The OLE DB string read as OLE DB reads it: quoting, blanks, case, synonyms, credentials, TCP.
TEST(ConnectionDescription, ReadsTheOleDbStringAsOleDbDoes) {
    const struct {
        const char* what;
        std::u16string oleDb, userId, password;  // the last two as given to Open
        std::u16string server, database, user, passwordInEffect;
        bool integrated = false, tcp = false;
    } cases[] = {
        {"the stored settings' dotted name over TCP",
         u"User ID=sa;Initial Catalog=Q;Data Source=h.local;Network Library=dbmssocn", u"sa",
         u"segredo", u"h.local", u"Q", u"sa", u"segredo", false, true},
        {"the Open arguments win over the string's credentials",
         u"User ID=ana;Password=velha;Data Source=h", u"sa", u"nova", u"h", u"", u"sa", u"nova"},
        {"integrated security drops every credential",
         u"Integrated Security=true;User ID=ana;Password=velha;Data Source=h", u"sa", u"x", u"h",
         u"", u"", u"", true},
        {"Trusted_Connection=yes is integrated security", u"Trusted_Connection=yes;Data Source=h",
         u"", u"", u"h", u"", u"", u"", true},
        {"so is Integrated Security=yes", u"Integrated Security=yes;Data Source=.", u"", u"", u".",
         u"", u"", u"", true},
        {"keywords in any case and with blanks around them and their values",
         u"  pROVIDER = sqloledb ;  user id =  ana  ; INITIAL CATALOG= Q ;data source = tcp:h ",
         u"", u"", u"tcp:h", u"Q", u"ana", u"", false, true},
        {"double quotes keep blanks, ';' and '=' and double the quote inside",
         u"Password=\" a;b=\"\"c\"\" \";Data Source=h", u"", u"", u"h", u"", u"", u" a;b=\"c\" "},
        {"single quotes work the same way", u"Password='it''s;{x}';Data Source=h", u"", u"", u"h",
         u"", u"", u"it's;{x}"},
        {"a later keyword wins, synonyms included",
         u"Initial Catalog=B;Database=A;Server=h1;Data Source=h2;Data Source=h;UID=u", u"", u"",
         u"h", u"A", u"u", u""},
        {"\"==\" in a keyword stands for \"=\", in a value for itself",
         u"User ID==x=sa;Initial Catalog=a==b;Data Source=h", u"", u"", u"h", u"a==b", u"", u""},
        {"provider-only keywords change nothing; no data source is this machine",
         u"Provider=SQLOLEDB.1;Persist Security Info=True;Connect Timeout=5;Application Name=X;"
         u"Workstation ID=W;Auto Translate=True;Packet Size=4096;Use Procedure for Prepare=1",
         u"", u"", u"(local)", u"", u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const kestrel::ConnectionDescription d = DescribeConnection(c.oleDb, c.userId, c.password);
        EXPECT_EQ(d.server, c.server);
        EXPECT_EQ(d.database, c.database);
        EXPECT_EQ(d.user, c.user);
        EXPECT_EQ(d.password, kestrel::Password(c.passwordInEffect));
        EXPECT_EQ(testing::PrintToString(d.password), "****");
        EXPECT_EQ(d.integratedSecurity, c.integrated);
        EXPECT_EQ(d.tcp, c.tcp);
    }
}

// Each driver's string; FreeTDS always gets a port; only an instance without one asks the Browser.
TEST(DriverConnectionString, WritesEachDataSourceFormForEachDriver) {
    const struct {
        const char16_t* dataSource;
        const char16_t* freeTds;
        bool asksTheBrowser;
        const char16_t* driver18;
    } forms[] = {
        {u"host", u"SERVER={host};PORT={1433};", false, u"SERVER={host};"},
        {u"tcp:host", u"SERVER={host};PORT={1433};", false, u"SERVER={tcp:host};"},
        {u"host\\INST", u"SERVER={host};PORT={49172};", true, u"SERVER={host\\INST};"},
        {u" host , 1500 ", u"SERVER={host};PORT={1500};", false, u"SERVER={host,1500};"},
        {u"host\\INST,1500", u"SERVER={host};PORT={1500};", false, u"SERVER={host\\INST,1500};"},
        {u"(local)", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={(local)};"},
        {u".", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={(local)};"},
        {u"LocalHost", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={LocalHost};"},
        {u"(LOCAL)\\SQLEXPRESS", u"SERVER={127.0.0.1};PORT={49172};", true,
         u"SERVER={(local)\\SQLEXPRESS};"},
        {u"tcp:.", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={tcp:localhost};"},
        {u"", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={(local)};"},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(form.dataSource)));
        const auto d =
            DescribeConnection(u"Data Source=" + std::u16string(form.dataSource), u"", u"");
        EXPECT_EQ(kestrel::InstanceToLookUp(d).has_value(), form.asksTheBrowser);
        EXPECT_EQ(DriverConnectionString(d, kFreeTds, kInstancePort),
                  u"DRIVER={FreeTDS};" + std::u16string(form.freeTds) +
                      u"TDS_Version={7.1};ClientCharset={UTF-8};");
        EXPECT_EQ(DriverConnectionString(d, kDriver18),
                  u"DRIVER={ODBC Driver 18 for SQL Server};" + std::u16string(form.driver18) +
                      u"Encrypt={no};TrustServerCertificate={yes};");
    }
    const auto login = DescribeConnection(
        u"Initial Catalog=Q;Data Source=h.local;Network Library=dbmssocn", u"sa", u"x};DRIVER={y");
    EXPECT_EQ(DriverConnectionString(login, u"SQL Server"),
              u"DRIVER={SQL Server};SERVER={h.local};Network={dbmssocn};DATABASE={Q};UID={sa};"
              u"PWD={x}};DRIVER={y};");
    EXPECT_EQ(DriverConnectionString(DescribeConnection(u"UID=ana;Database=Q;Server=h", u"", u"p"),
                                     kFreeTds),
              u"DRIVER={FreeTDS};SERVER={h};PORT={1433};DATABASE={Q};TDS_Version={7.1};"
              u"ClientCharset={UTF-8};UID={ana};PWD={p};");
    EXPECT_EQ(
        DriverConnectionString(DescribeConnection(u"Trusted_Connection=yes", u"", u""), kDriver18),
        u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={(local)};Encrypt={no};"
        u"TrustServerCertificate={yes};Trusted_Connection={Yes};");
}

// SQL Server's providers, in any case and version, or none, are taken; others refused by name.
TEST(ConnectionDescription, TakesSqlServersProvidersOnly) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"sqloledb", true}, {u"SQLOLEDB.1", true}, {u"sqlncli11", true},  {u"MSOLEDBSQL19", true},
        {u"", true},         {u"SQLOLEDB.", false}, {u"SQLOLEDBX", false}, {u"Jet.4", false}};
    for (const auto& [provider, taken] : cases) {
        SCOPED_TRACE(testing::PrintToString(provider));
        const Failure failure = FailureOf(
            [&] { DescribeConnection(u"Provider=" + provider + u";Data Source=h", u"", u""); });
        EXPECT_EQ(failure.number, taken ? 0 : database_error::kProviderNotFound);
        EXPECT_EQ(failure.description.find(u"\"" + provider + u"\"") != std::u16string::npos,
                  !taken);
    }
}

// What cannot be passed on as meant is refused, never guessed at, the password never shown.
TEST(ConnectionDescription, RefusesWhatCannotBePassedOn) {
    const struct {
        const char* what;
        const char16_t* oleDb;
        std::u16string password;
        const char16_t* driver;
        const char16_t* descriptionHolds;
    } cases[] = {
        {"a server name holding ';' splits the string", u"Initial Catalog=Q;Data Source=a;b", u"",
         kFreeTds, u"trecho 3"},
        {"an unclosed quote", u"Password=\"segredo;Data Source=h", u"", kFreeTds, u"aspas"},
        {"a value without a keyword", u"=x;Data Source=h", u"", kFreeTds, u"sem nome"},
        {"a port that is not a number", u"Data Source=h,abc", u"", kFreeTds, u"porta"},
        {"port 65536", u"Data Source=h,65536", u"", kFreeTds, u"porta"},
        {"FreeTDS cannot receive \"};\" in a password", u"Data Source=h", u"a};b", kFreeTds,
         u"A senha"},
        {"FreeTDS: '}' and ';' anywhere but last", u"Initial Catalog='x}y;z';Data Source=h", u"",
         kFreeTds, u"O banco de dados"},
        {"a null character", u"Data Source=h", std::u16string(u"a\0b", 3), kDriver18, u"nulo"},
        {"FreeTDS: a named instance without the Browser's port", u"Data Source=h\\INST", u"",
         kFreeTds, u"\"INST\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Failure failure = FailureOf([&] {
            DriverConnectionString(DescribeConnection(c.oleDb, u"sa", c.password), c.driver);
        });
        EXPECT_EQ(failure.number, database_error::kBadConnectionString);
        EXPECT_NE(failure.description.find(c.descriptionHolds), std::u16string::npos)
            << testing::PrintToString(failure.description);
        EXPECT_EQ(failure.description.find(u"segredo"), std::u16string::npos);
        if (!c.password.empty()) {
            EXPECT_EQ(failure.description.find(c.password), std::u16string::npos);
        }
    }
}

// The stored settings as Quintara built its string (TCP when the name holds a "."), no password.
TEST(StoredConnectionString, BuildsTheFourRowsExactly) {
    const std::u16string integrated =
        u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Quintara;Data Source=";
    const std::u16string login =
        u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;"
        u"Initial Catalog=Quintara;Data Source=";
    const std::u16string tcp = u";Network Library=dbmssocn";
    const struct {
        std::u16string_view server;
        bool integrated;
        std::u16string expected;
    } cases[] = {
        {u"srv.empresa.local", true, integrated + u"srv.empresa.local" + tcp},
        {u"10.0.0.5", false, login + u"10.0.0.5" + tcp},
        {u"SERVIDOR\\SQLEXPRESS", true, integrated + u"SERVIDOR\\SQLEXPRESS"},
        {u"SERVIDOR", false, login + u"SERVIDOR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.server.begin(), c.server.end()));
        const auto built = kestrel::BuildStoredConnectionString(c.server, u"Quintara", u"sa",
                                                                u"s3nh@", c.integrated);
        EXPECT_EQ(built.connectionString, c.expected);
        EXPECT_EQ(built.userId, c.integrated ? u"" : u"sa");
        EXPECT_EQ(built.password, c.integrated ? u"" : u"s3nh@");
    }
}

// A stored value holding ";", a quote, an edge blank or a leading "=" reads back as itself.
TEST(StoredConnectionString, QuotesValuesThatWouldChangeTheString) {
    for (std::u16string_view value :
         {u"a;Integrated Security=SSPI", u"x;y\"z'w", u" Quintara ", u"=eq=", u"=="}) {
        const auto built = kestrel::BuildStoredConnectionString(value, value, value, u"", false);
        const auto d = DescribeConnection(built.connectionString, u"", u"");
        EXPECT_EQ(d.user, value);
        EXPECT_EQ(d.database, value);
        EXPECT_EQ(d.server, kestrel::TrimBlanks(value));
        EXPECT_FALSE(d.integratedSecurity);
    }
}

}  // namespace
