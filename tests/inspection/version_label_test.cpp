#include "inspection/version_label.h"

#include <gtest/gtest.h>

#include <string>

#include "support/utf16.h"

namespace {

// A build in the list of known builds by its name; any other by the release that its first two
// characters give; else " - Não identificado".
TEST(VersionLabel, NamesAKnownBuildElseFallsBackOnTheMajorVersionThenOnTheDefault) {
    const struct {
        std::u16string_view version;
        std::u16string_view label;
    } cases[] = {
        {u"9.0.1399.06", u" - SQL Server 2005 (RTM)"},
        {u"80.194.0", u" - SQL Server 2000 (RTM)"},
        {u"6.50.479", u" - SQL Server 6.5"},
        {u"7.00.1094", u" - SQL Server 7"},
        {u"8.0.760", u" - SQL Server 2000"},        // a known build with a zero fewer
        {u"9.00.1399.06", u" - SQL Server 2005"},   // only "9.0.1399.06" is known
        {u"10.50.4000.0 ", u" - SQL Server 2008"},  // no trimming
        {u"11.0.9999.0", u" - SQL Server 2012"},
        {u"13.0.1601.5", u" - Provavel > SQL Server 2016"},
        {u".9.0", u" - SQL Server 2005"},
        {u" 10.50.4000.0", u" - Não identificado"},  // " 1", no trimming
        {u"14.0.1000.169", u" - Não identificado"},
        {u"", u" - Não identificado"},
        {u"\u0661\u0660.50.4000.0", u" - Não identificado"},  // Arabic-Indic digits are not digits
        {u"\U0001F600", u" - Não identificado"},              // a surrogate pair is cut, not fatal
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.version));
        EXPECT_EQ(kestrel::VersionLabel(c.version), c.label);
    }
}

}  // namespace
