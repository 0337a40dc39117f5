#include "connection/connection_string.h"

#include <gtest/gtest.h>

#include <string>

#include "base/failure.h"
#include "connection/connection_string_driver.h"
#include "connection/connection_string_reader.h"
#include "connection/database_access.h"
#include "support/utf16.h"

using kestrel::Failure;
using kestrel::TranslateConnectionString;
namespace database_error = kestrel::database_error;

namespace {

constexpr char16_t kFreeTds[] = u"FreeTDS";
constexpr char16_t kDriver18[] = u"ODBC Driver 18 for SQL Server";
constexpr char16_t kWindowsDriver[] = u"SQL Server";
// The port that the SQL Server Browser gave for a named instance.
constexpr std::uint16_t kInstancePort = 49172;

struct Translation {
    const char* what;
    const char16_t* oleDb;
    const char16_t* userId;
    const char16_t* password;
    const char16_t* driver;
    const char16_t* odbc;
};

// The four strings that the stored settings build (rows A to D: TCP when the server name holds a
// ".", integrated security or a server login), for each kind of driver.
constexpr Translation kStoredSettingsRows[] = {
    {"A, FreeTDS",
     u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Quintara;"
     u"Data Source=srv.quintara.local;Network Library=dbmssocn",
     u"", u"", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={srv.quintara.local};PORT={1433};DATABASE={Quintara};TDS_Version={7."
     u"1};"
     u"ClientCharset={UTF-8};Trusted_Connection={Yes};"},
    {"B, FreeTDS",
     u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Quintara;"
     u"Data Source=192.168.0.10,1433;Network Library=dbmssocn",
     u"sa", u"Senha;1}", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={192.168.0.10};PORT={1433};DATABASE={Quintara};"
     u"TDS_Version={7.1};ClientCharset={UTF-8};UID={sa};PWD={Senha;1}};"},
    {"C, FreeTDS",
     u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Quintara;"
     u"Data Source=SRVQUINTARA\\SQLEXPRESS",
     u"", u"", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={SRVQUINTARA};PORT={49172};DATABASE={Quintara};"
     u"TDS_Version={7.1};ClientCharset={UTF-8};Trusted_Connection={Yes};"},
    {"D, FreeTDS",
     u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Quintara;"
     u"Data Source=SRVQUINTARA",
     u"sa", u"segredo", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={SRVQUINTARA};PORT={1433};DATABASE={Quintara};"
     u"TDS_Version={7.1};ClientCharset={UTF-8};UID={sa};PWD={segredo};"},
    {"A, Driver 18",
     u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Quintara;"
     u"Data Source=srv.quintara.local;Network Library=dbmssocn",
     u"", u"", kDriver18,
     u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={tcp:srv.quintara.local};"
     u"DATABASE={Quintara};Encrypt={no};TrustServerCertificate={yes};Trusted_Connection={Yes};"},
    {"B, Driver 18",
     u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Quintara;"
     u"Data Source=192.168.0.10,1433;Network Library=dbmssocn",
     u"sa", u"Senha;1}", kDriver18,
     u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={tcp:192.168.0.10,1433};"
     u"DATABASE={Quintara};Encrypt={no};TrustServerCertificate={yes};UID={sa};"
     u"PWD={Senha;1}}};"},
    {"B, Windows' SQL Server driver",
     u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Quintara;"
     u"Data Source=srv.quintara.local;Network Library=dbmssocn",
     u"sa", u"segredo", kWindowsDriver,
     u"DRIVER={SQL Server};SERVER={srv.quintara.local};Network={dbmssocn};DATABASE={Quintara};"
     u"UID={sa};PWD={segredo};"},
};

// How the OLE DB string is read: quoting, blanks, letter case, repeated keywords, and who gives
// the credentials.
constexpr Translation kReadingRules[] = {
    {"the Open arguments win over the string's credentials",
     u"User ID=ana;Password=velha;Data Source=h", u"sa", u"nova", kDriver18,
     u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={h};Encrypt={no};"
     u"TrustServerCertificate={yes};UID={sa};PWD={nova};"},
    {"empty Open arguments leave the string's credentials", u"UID=ana;PWD=velha;Server=h", u"", u"",
     kDriver18,
     u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={h};Encrypt={no};"
     u"TrustServerCertificate={yes};UID={ana};PWD={velha};"},
    {"integrated security drops every credential",
     u"Integrated Security=true;User ID=ana;Password=velha;Data Source=h", u"sa", u"x", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={h};PORT={1433};TDS_Version={7.1};ClientCharset={UTF-8};"
     u"Trusted_Connection={Yes};"},
    {"Trusted_Connection=yes is integrated security", u"Trusted_Connection=yes;Data Source=h", u"",
     u"", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={h};PORT={1433};TDS_Version={7.1};ClientCharset={UTF-8};"
     u"Trusted_Connection={Yes};"},
    {"Integrated Security=False is a server login",
     u"Integrated Security=False;User ID=ana;Data Source=h", u"", u"pw", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={h};PORT={1433};TDS_Version={7.1};ClientCharset={UTF-8};UID={ana};"
     u"PWD={pw};"},
    {"keywords in any case and with blanks around them and their values",
     u"  pROVIDER = sqloledb ;  user id =  ana  ; INITIAL CATALOG= Quintara ;data source = h ", u"",
     u"", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={h};PORT={1433};DATABASE={Quintara};TDS_Version={7.1};"
     u"ClientCharset={UTF-8};UID={ana};"},
    {"double quotes keep blanks, ';' and '=' and double the quote inside",
     u"Password=\" a;b=\"\"c\"\" \";Data Source=h", u"", u"", kDriver18,
     u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={h};Encrypt={no};"
     u"TrustServerCertificate={yes};PWD={ a;b=\"c\" };"},
    {"single quotes work the same way", u"Password='it''s;{x}';Data Source=h", u"", u"", kDriver18,
     u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={h};Encrypt={no};"
     u"TrustServerCertificate={yes};PWD={it's;{x}}};"},
    {"a later keyword wins, synonyms included",
     u"Database=A;Initial Catalog=B;Server=h1;Data Source=h2;Data Source=h3", u"", u"", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={h3};PORT={1433};DATABASE={B};TDS_Version={7.1};ClientCharset={UTF-"
     u"8};"},
    {"provider-only keywords change nothing",
     u"Provider=SQLOLEDB.1;Persist Security Info=True;Connect Timeout=5;Application Name=X;"
     u"Workstation ID=W;Auto Translate=True;Packet Size=4096;Use Procedure for Prepare=1;"
     u"Data Source=h",
     u"", u"", kFreeTds,
     u"DRIVER={FreeTDS};SERVER={h};PORT={1433};TDS_Version={7.1};ClientCharset={UTF-8};"},
    {"a password that tries to add a keyword stays one value (Driver 18)", u"Data Source=h", u"",
     u"x};DRIVER={y", kDriver18,
     u"DRIVER={ODBC Driver 18 for SQL Server};SERVER={h};Encrypt={no};"
     u"TrustServerCertificate={yes};PWD={x}};DRIVER={y};"},
};

void ExpectTranslations(const Translation* begin, const Translation* end) {
    for (const Translation* row = begin; row != end; ++row) {
        SCOPED_TRACE(row->what);
        try {
            EXPECT_EQ(TranslateConnectionString(row->oleDb, row->userId, row->password, row->driver,
                                                kInstancePort)
                          .text,
                      row->odbc);
        } catch (const Failure& failure) {
            ADD_FAILURE() << "Failure " << failure.number;
        }
    }
}

TEST(ConnectionString, TheFourStoredSettingsRows) {
    ExpectTranslations(std::begin(kStoredSettingsRows), std::end(kStoredSettingsRows));
}

TEST(ConnectionString, ReadsTheOleDbStringAsOleDbDoes) {
    ExpectTranslations(std::begin(kReadingRules), std::end(kReadingRules));
}

// FreeTDS always gets a port: without one it would take freetds.conf's, which Debian leaves unset.
// Only a named instance without a port needs the SQL Server Browser's answer.
TEST(ConnectionString, DataSourceForms) {
    struct Form {
        const char16_t* dataSource;
        const char16_t* freeTds;
        bool asksTheBrowser;
        const char16_t* driver18;
    };
    constexpr Form kForms[] = {
        {u"host", u"SERVER={host};PORT={1433};", false, u"SERVER={host};"},
        {u"tcp:host", u"SERVER={host};PORT={1433};", false, u"SERVER={tcp:host};"},
        {u"host\\INST", u"SERVER={host};PORT={49172};", true, u"SERVER={host\\INST};"},
        {u"tcp:host\\INST", u"SERVER={host};PORT={49172};", true, u"SERVER={tcp:host\\INST};"},
        {u"host,1500", u"SERVER={host};PORT={1500};", false, u"SERVER={host,1500};"},
        {u" host , 1500 ", u"SERVER={host};PORT={1500};", false, u"SERVER={host,1500};"},
        {u"host\\INST,1500", u"SERVER={host};PORT={1500};", false, u"SERVER={host\\INST,1500};"},
        {u"tcp:host,1500", u"SERVER={host};PORT={1500};", false, u"SERVER={tcp:host,1500};"},
        {u"(local)", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={(local)};"},
        {u".", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={(local)};"},
        {u"LocalHost", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={LocalHost};"},
        {u"(LOCAL)\\SQLEXPRESS", u"SERVER={127.0.0.1};PORT={49172};", true,
         u"SERVER={(local)\\SQLEXPRESS};"},
        {u"localhost\\SQLEXPRESS", u"SERVER={127.0.0.1};PORT={49172};", true,
         u"SERVER={localhost\\SQLEXPRESS};"},
        {u"tcp:.", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={tcp:localhost};"},
        {u"", u"SERVER={127.0.0.1};PORT={1433};", false, u"SERVER={(local)};"},
    };
    for (const Form& form : kForms) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(form.dataSource)));
        const std::u16string oleDb =
            u"Provider=SQLOLEDB;Data Source=" + std::u16string(form.dataSource);
        EXPECT_EQ(kestrel::InstanceToLookUp(oleDb, kFreeTds).has_value(), form.asksTheBrowser);
        EXPECT_FALSE(kestrel::InstanceToLookUp(oleDb, kDriver18).has_value());
        EXPECT_EQ(TranslateConnectionString(oleDb, u"", u"", kFreeTds, kInstancePort).text,
                  u"DRIVER={FreeTDS};" + std::u16string(form.freeTds) +
                      u"TDS_Version={7.1};ClientCharset={UTF-8};");
        EXPECT_EQ(TranslateConnectionString(oleDb, u"", u"", kDriver18).text,
                  u"DRIVER={ODBC Driver 18 for SQL Server};" + std::u16string(form.driver18) +
                      u"Encrypt={no};TrustServerCertificate={yes};");
    }
}

TEST(ConnectionString, ProvidersOfSqlServerAreAccepted) {
    for (const char16_t* provider : {u"SQLOLEDB", u"sqloledb.1", u"SQLNCLI", u"SQLNCLI11",
                                     u"SQLNCLI10.1", u"MSOLEDBSQL", u"MSOLEDBSQL19", u""}) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(provider)));
        EXPECT_NO_THROW(TranslateConnectionString(
            u"Provider=" + std::u16string(provider) + u";Data Source=h", u"", u"", kFreeTds));
    }
}

struct Refusal {
    const char* what;
    const char16_t* oleDb;
    const char16_t* password;
    const char16_t* driver;
    std::int32_t number;
    const char16_t* descriptionHolds;
};

constexpr Refusal kRefusals[] = {
    {"another provider", u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\q.mdb", u"", kFreeTds,
     database_error::kProviderNotFound, u"\"Microsoft.Jet.OLEDB.4.0\""},
    {"OLE DB over ODBC", u"Provider=MSDASQL.1;DSN=Quintara", u"", kDriver18,
     database_error::kProviderNotFound, u"\"MSDASQL.1\""},
    {"a provider that only starts like SQL Server's", u"Provider=SQLOLEDBX;Data Source=h", u"",
     kFreeTds, database_error::kProviderNotFound, u"\"SQLOLEDBX\""},
    {"a server name holding ';' splits the string",
     u"Provider=SQLOLEDB.1;Initial Catalog=Q;Data Source=a;b", u"", kFreeTds,
     database_error::kBadConnectionString, u"trecho 4"},
    {"an unclosed quote", u"Password=\"segredo;Data Source=h", u"", kFreeTds,
     database_error::kBadConnectionString, u"aspas"},
    {"text after a closing quote", u"Password=\"seg\"redo;Data Source=h", u"", kFreeTds,
     database_error::kBadConnectionString, u"aspas"},
    {"a value without a keyword", u"=x;Data Source=h", u"", kFreeTds,
     database_error::kBadConnectionString, u"sem nome"},
    {"a port that is not a number", u"Data Source=h,abc", u"", kFreeTds,
     database_error::kBadConnectionString, u"porta"},
    {"port 0", u"Data Source=h,0", u"", kDriver18, database_error::kBadConnectionString, u"porta"},
    {"port 65536", u"Data Source=h,65536", u"", kFreeTds, database_error::kBadConnectionString,
     u"porta"},
    {"FreeTDS cannot receive \"};\" in a password", u"Data Source=h", u"a};b", kFreeTds,
     database_error::kBadConnectionString, u"A senha"},
    {"FreeTDS: a lone '}' before ';' in a password", u"Data Source=h", u"}a;b", kFreeTds,
     database_error::kBadConnectionString, u"A senha"},
    {"FreeTDS: '}' and ';' anywhere but last", u"Initial Catalog='x}y;z';Data Source=h", u"",
     kFreeTds, database_error::kBadConnectionString, u"O banco de dados"},
    {"a null character", u"Data Source=h", u"a\0b", kDriver18, database_error::kBadConnectionString,
     u"nulo"},
    {"FreeTDS: a named instance without the Browser's port", u"Data Source=h\\INST", u"", kFreeTds,
     database_error::kBadConnectionString, u"\"INST\""},
};

TEST(ConnectionString, RefusesWhatCannotBeTranslated) {
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.what);
        const std::u16string password = refusal.password == std::u16string_view(u"a\0b")
                                            ? std::u16string(u"a\0b", 3)
                                            : std::u16string(refusal.password);
        try {
            TranslateConnectionString(refusal.oleDb, u"sa", password, refusal.driver);
            ADD_FAILURE() << "translated";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number, refusal.number);
            EXPECT_NE(failure.description.find(refusal.descriptionHolds), std::u16string::npos)
                << testing::PrintToString(failure.description);
            EXPECT_EQ(failure.description.find(u"segredo"), std::u16string::npos);
            if (!password.empty()) {
                EXPECT_EQ(failure.description.find(password), std::u16string::npos);
            }
        }
    }
}

TEST(OleDbReader, DoubledEqualsSignsBelongToTheKeyword) {
    const auto attributes = kestrel::ReadOleDbConnectionString(u"a==b = c==d ;;; e=");
    ASSERT_EQ(attributes.size(), 2u);
    EXPECT_EQ(attributes[0].keyword, u"a=b");
    EXPECT_EQ(attributes[0].value, u"c==d");
    EXPECT_EQ(attributes[1].keyword, u"e");
    EXPECT_EQ(attributes[1].value, u"");
}

TEST(DriverChoice, PrefersMicrosoftsNewestThenFreeTdsThenWindowsOwn) {
    using Drivers = std::vector<std::u16string>;
    struct Case {
        Drivers installed;
        std::optional<std::u16string> chosen;
    };
    const Case cases[] = {
        {{u"SQL Server", u"FreeTDS", u"ODBC Driver 17 for SQL Server",
          u"ODBC Driver 18 for SQL Server"},
         u"ODBC Driver 18 for SQL Server"},
        {{u"SQL Server", u"ODBC Driver 17 for SQL Server", u"FreeTDS"},
         u"ODBC Driver 17 for SQL Server"},
        {{u"PostgreSQL Unicode", u"SQL Server", u"freetds"}, u"freetds"},
        {{u"Microsoft Access Driver (*.mdb)", u"SQL Server"}, u"SQL Server"},
        {{u"PostgreSQL Unicode", u"SQL Server Native Client 11.0"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.installed));
        EXPECT_EQ(kestrel::ChooseSqlServerDriver(c.installed), c.chosen);
    }
}

}  // namespace
