#include "inspection/box_text.h"

#include <gtest/gtest.h>

#include "connection/database_access.h"

using kestrel::kLongestFieldValue;

namespace {

const std::u16string kCutNote = u" […] (valor cortado: o servidor enviou mais de 4000 caracteres)";

// What a server sends can neither hide nor reorder what a box shows, and a cut value says so.
TEST(BoxText, ShowsTheServersValueHonestly) {
    struct Case {
        const char* what;
        std::optional<std::u16string> value;
        bool trim;
        std::u16string shown;
    };
    const std::u16string atTheBound(kLongestFieldValue, u'9');
    const std::u16string pairAtTheBound = std::u16string(kLongestFieldValue - 1, u'9') + u"😀x";
    const Case cases[] = {
        {"Null is an empty box", std::nullopt, false, u""},
        {"plain text as it is, blanks kept", u" SP2 ", false, u" SP2 "},
        {"blanks trimmed when asked, a tab kept and shown", u"  \t150 MB ", true, u"␉150 MB"},
        {"line breaks, NUL, escape and DEL become their pictures",
         std::u16string(u"a\r\nb\0c\x1B[2J\x7F", 11), false, u"a␍␊b␀c␛[2J␡"},
        {"direction overrides, marks and isolates become U+FFFD",
         u"\u202Egnp.exe\u200F\u2066x\u2069\u2028", false,
         u"\uFFFDgnp.exe\uFFFD\uFFFDx\uFFFD\uFFFD"},
        {"C1 controls become U+FFFD", u"a\u0085b\u009Bc", false, u"a\uFFFDb\uFFFDc"},
        {"a surrogate pair is kept, a broken half is not", u"São 😀 \xD800x\xDC00", false,
         u"São 😀 \uFFFDx\uFFFD"},
        {"a value of the bound is whole", atTheBound, false, atTheBound},
        {"a longer value is cut and says so", atTheBound + u"0", false, atTheBound + kCutNote},
        {"the cut does not split a surrogate pair", pairAtTheBound, false,
         std::u16string(kLongestFieldValue - 1, u'9') + kCutNote},
        {"a cut value with blanks at the cut is still cut",
         std::u16string(kLongestFieldValue - 2, u'9') + u"   ", true,
         std::u16string(kLongestFieldValue - 2, u'9') + kCutNote},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(kestrel::BoxText(c.value, c.trim), c.shown);
    }
}

}  // namespace
