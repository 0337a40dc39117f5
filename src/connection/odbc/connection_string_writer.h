#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct OdbcAttribute {
    std::u16string_view keyword;
    std::u16string value;
    std::u16string_view subject;  // how a message names the value, e.g. u"A senha"
};

enum class OdbcQuoting {
    // Every value in braces with "}" doubled, as ODBC defines it.
    Standard,
    // FreeTDS up to 1.3 reads a braced value up to the first "};" and does not undouble "}}",
    // while the driver manager before it reads the standard way; values are written so that both
    // read the same, or so that at least neither can see a keyword of their own.
    FreeTds,
};

// The ODBC connection string "KEY=value;" for each attribute, in order. No value can end early or
// add a keyword. Throws Failure (kBadConnectionString) for a value that the driver cannot receive:
// one holding a null character, or, for FreeTDS, a "}" together with ";" or a leading "{" anywhere
// but in the last attribute (keep the password last).
std::u16string WriteOdbcConnectionString(const std::vector<OdbcAttribute>& attributes,
                                         OdbcQuoting quoting);

}  // namespace kestrel
