#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Whether Kestrel builds a connection for a stored database manager type: SQL Server's own and
// MSDE's, compared exactly.
bool IsAcceptedManagerType(std::u16string_view strGerenciador);

// The message shown before the program ends for any other type.
std::u16string UnsupportedManagerTypeMessage(std::u16string_view strGerenciador);

}  // namespace kestrel
