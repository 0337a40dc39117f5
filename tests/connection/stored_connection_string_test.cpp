#include "connection/stored_connection_string.h"

#include <gtest/gtest.h>

#include "connection/connection_string_reader.h"
#include "connection/data_link_string.h"

using kestrel::BuildStoredConnectionString;

TEST(BuildStoredConnectionString, PlainValuesGiveTheFourRowsExactly) {
    struct Case {
        const char* row;
        std::u16string_view server;
        bool integrated;
        std::u16string_view expected;
        std::u16string_view userId;
        std::u16string_view password;
    };
    const Case cases[] = {
        {"A", u"srv.empresa.local", true,
         u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Quintara;"
         u"Data Source=srv.empresa.local;Network Library=dbmssocn",
         u"", u""},
        {"B", u"10.0.0.5", false,
         u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Quintara;"
         u"Data Source=10.0.0.5;Network Library=dbmssocn",
         u"sa", u"s3nh@"},
        {"C", u"SERVIDOR\\SQLEXPRESS", true,
         u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Quintara;"
         u"Data Source=SERVIDOR\\SQLEXPRESS",
         u"", u""},
        {"D", u"SERVIDOR", false,
         u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Quintara;"
         u"Data Source=SERVIDOR",
         u"sa", u"s3nh@"},
        {"B with a lone dot", u".", false,
         u"Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=Quintara;"
         u"Data Source=.;Network Library=dbmssocn",
         u"sa", u"s3nh@"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const auto built =
            BuildStoredConnectionString(c.server, u"Quintara", u"sa", u"s3nh@", c.integrated);
        EXPECT_EQ(built.connectionString, c.expected);
        EXPECT_EQ(built.userId, c.userId);
        EXPECT_EQ(built.password, c.password);
        EXPECT_EQ(built.connectionString.find(u"s3nh@"), std::u16string::npos);
    }
}

// A stored value that holds ";", a quote or an edge blank, or begins with "=", reads back as
// itself, and adds no keyword of its own.
TEST(BuildStoredConnectionString, ValuesThatWouldChangeTheStringAreQuoted) {
    const std::u16string_view values[] = {
        u"a;Integrated Security=SSPI",
        u"O'Brien",
        u"diz \"oi\"",
        u" Quintara ",
        u"x;y\"z'w",
        u"=abc",
        u"=eq=",
        u"==",
    };
    for (std::u16string_view value : values) {
        const auto built = BuildStoredConnectionString(value, value, value, u"", false);
        const auto attributes = kestrel::ReadOleDbConnectionString(built.connectionString);
        ASSERT_EQ(attributes.size(), 5u);
        EXPECT_EQ(kestrel::FindOleDbValue(attributes, {u"User ID"}), value);
        EXPECT_EQ(kestrel::FindOleDbValue(attributes, {u"Initial Catalog"}), value);
        EXPECT_EQ(kestrel::FindOleDbValue(attributes, {u"Data Source"}), value);
    }
}

TEST(BuildDataLinkString, CarriesTheCredentialsInTheStringAsTheDialogDid) {
    EXPECT_EQ(kestrel::BuildDataLinkString({.server = u"SRV",
                                            .userName = u"sa",
                                            .password = u"Senha;1}",
                                            .database = u"Quintara"}),
              u"Provider=SQLOLEDB.1;Password=\"Senha;1}\";Persist Security Info=False;User ID=sa;"
              u"Initial Catalog=Quintara;Data Source=SRV");
    EXPECT_EQ(kestrel::BuildDataLinkString(
                  {.server = u"SRV", .integratedSecurity = true, .userName = u"ignored"}),
              u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
              u"Data Source=SRV");
}
