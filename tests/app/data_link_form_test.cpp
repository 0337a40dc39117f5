#include "app/data_link_form.h"

#include <gtest/gtest.h>

using kestrel::DataLinkFields;

// What the log-on choice lets the user type, and what of it reaches the connection string.
TEST(DataLinkForm, TheLogOnChoiceDecidesWhichFieldsCountAndTakeInput) {
    const struct {
        const char* what;
        bool integratedSecurity;
        bool blankPassword;
        bool userNameEnabled, passwordEnabled, blankPasswordEnabled;
        std::u16string expected;
    } cases[] = {
        {"a user and password", false, false, true, true, true,
         u"Provider=SQLOLEDB.1;Password=s3nha;Persist Security Info=False;User ID=sa;"
         u"Initial Catalog=Quintara;Data Source=SRV"},
        {"a blank password drops what was typed", false, true, true, false, true,
         u"Provider=SQLOLEDB.1;Password=;Persist Security Info=False;User ID=sa;"
         u"Initial Catalog=Quintara;Data Source=SRV"},
        {"integrated security drops both", true, false, false, false, false,
         u"Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
         u"Initial Catalog=Quintara;Data Source=SRV"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DataLinkFields fields{.server = u"SRV",
                                    .integratedSecurity = c.integratedSecurity,
                                    .userName = u"sa",
                                    .password = u"s3nha",
                                    .blankPassword = c.blankPassword,
                                    .database = u"Quintara"};
        const kestrel::LogOnFieldsEnabled enabled = kestrel::EnabledLogOnFields(fields);
        EXPECT_EQ(enabled.userName, c.userNameEnabled);
        EXPECT_EQ(enabled.password, c.passwordEnabled);
        EXPECT_EQ(enabled.blankPassword, c.blankPasswordEnabled);
        EXPECT_EQ(kestrel::ConnectionStringOf(fields), c.expected);
    }
}

// The list shows each name on one line, controls as signs, no two alike; the pick is sent as is.
TEST(DataLinkForm, TheDatabaseListShowsSignsAndGivesBackTheServersName) {
    const std::vector<std::u16string> names = {
        u"Quintara", u"\u202EanirtniuQ", u"Linha\r\nDois", u"X\u2066", u"X\uFFFD", u"X\u202E",
    };
    const std::vector<std::u16string> shown = {
        u"Quintara",    u"\uFFFDanirtniuQ", u"Linha\u240D\u240ADois",
        u"X\uFFFD (2)", u"X\uFFFD",         u"X\uFFFD (3)",
    };
    const std::vector<kestrel::ListedDatabase> listed = kestrel::ShownDatabases(names);
    ASSERT_EQ(listed.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(listed[i].shown, shown[i]);
        EXPECT_EQ(
            kestrel::ChoicesOf(DataLinkFields{.database = shown[i], .listedDatabases = listed})
                .database,
            names[i]);
    }
    EXPECT_EQ(kestrel::ChoicesOf(DataLinkFields{.database = u"Outra", .listedDatabases = listed})
                  .database,
              u"Outra");
}
