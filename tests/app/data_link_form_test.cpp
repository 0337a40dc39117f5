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
