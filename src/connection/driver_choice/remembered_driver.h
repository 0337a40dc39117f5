#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The driver that last reached a server, kept while the program runs and written nowhere, so that
// the next connection to it goes straight to the driver that works. The server is named as the
// connection string writes it; case and surrounding blanks do not matter.
void RememberDriver(std::u16string_view server, std::u16string_view driver);
std::optional<std::u16string> RememberedDriver(std::u16string_view server);

}  // namespace kestrel
