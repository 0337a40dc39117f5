#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct OleDbAttribute {
    std::u16string keyword;
    std::u16string value;
};

// The keyword=value pairs of an OLE DB connection string, in order, read as OLE DB reads them:
// pairs end at ";", blanks around keywords and values do not count, a value may be quoted with
// "..." or '...' (the quote doubled inside), and "==" in a keyword stands for "=". Throws Failure
// (kBadConnectionString) for a piece without "=", an empty keyword or an unclosed quote; the
// description never quotes a value, which may be a password.
std::vector<OleDbAttribute> ReadOleDbConnectionString(std::u16string_view text);

// The value of the last pair whose keyword is any of `keywords` (letter case ignored): as in OLE
// DB, a keyword given twice takes its later value.
std::optional<std::u16string> FindOleDbValue(const std::vector<OleDbAttribute>& attributes,
                                             std::initializer_list<std::u16string_view> keywords);

}  // namespace kestrel
