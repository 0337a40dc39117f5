#pragma once

// The ODBC API. Windows' headers need <windows.h> first; there SQLWCHAR is wchar_t, under unixODBC
// unsigned short: 16 bits either way, so UTF-16 text is passed as it is.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>

namespace kestrel {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide text must be UTF-16");

// ODBC takes input text through non-const pointers but does not write to it.
inline SQLWCHAR* OdbcText(std::u16string_view text) {
    return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(text.data()));
}

inline std::u16string FromOdbcText(const SQLWCHAR* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace kestrel
