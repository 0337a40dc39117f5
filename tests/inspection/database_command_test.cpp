#include <gtest/gtest.h>

#include "inspection/inspection_pass.h"

TEST(DatabaseCommand, QuotesTheNameSoThatItCanNeverRunSqlOfItsOwn) {
    struct Case {
        const char* what;
        std::u16string_view name;
        std::u16string_view command;
    };
    const Case cases[] = {
        {"plain", u"Quintara", u"sp_helpdb N'Quintara'"},
        {"blanks", u"Quintara Filial", u"sp_helpdb N'Quintara Filial'"},
        {"hyphen", u"quintara-2015", u"sp_helpdb N'quintara-2015'"},
        {"quote", u"O'Brien", u"sp_helpdb N'O''Brien'"},
        {"injection", u"x'; DROP DATABASE Quintara; --", u"sp_helpdb N'x''; DROP DATABASE Quintara; --'"},
        {"non-ASCII", u"Filial São João", u"sp_helpdb N'Filial São João'"},
        {"brackets", u"[Quintara]", u"sp_helpdb N'[Quintara]'"},
        {"edge blanks kept", u" Quintara ", u"sp_helpdb N' Quintara '"},
        {"empty lists every database", u"", u"sp_helpdb "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(kestrel::DatabaseCommand(c.name), c.command);
    }
}

TEST(ServerPropertyQuery, IsTheTextSupportStaffKnow) {
    EXPECT_EQ(kestrel::kServerPropertyQuery.size(), 101u);
}
