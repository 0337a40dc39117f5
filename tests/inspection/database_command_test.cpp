#include <gtest/gtest.h>

#include "inspection/inspection_pass.h"

TEST(DatabaseCommand, QuotesTheNameSoThatItCanNeverRunSqlOfItsOwn) {
    const struct {
        const char* what;
        std::u16string_view name;
        std::u16string_view command;
    } cases[] = {
        {"injection", u"x'; DROP DATABASE Quintara; --",
         u"sp_helpdb N'x''; DROP DATABASE Quintara; --'"},
        {"edge blanks kept", u" Quintara São ", u"sp_helpdb N' Quintara São '"},
        {"empty lists every database", u"", u"sp_helpdb "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(kestrel::DatabaseCommand(c.name), c.command);
    }
}
