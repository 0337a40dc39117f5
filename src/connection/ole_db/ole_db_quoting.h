#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// A value as it may stand in an OLE DB connection string. Plain values are returned unchanged; a
// value holding ";" or a quote, beginning with "=", or with a blank at either end, is put in double
// quotes (inner double quotes doubled), so that it is read back whole and can never end early or
// add a keyword.
std::u16string QuoteOleDbValue(std::u16string_view value);

}  // namespace kestrel
