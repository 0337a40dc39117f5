#pragma once

#include <string>
#include <string_view>

#include "connection/password.h"

namespace kestrel {

// `text`, as a driver or a server wrote it, with the value of every PWD= or Password= attribute
// that it echoes from a connection string replaced by "****", whatever the value's length. Nothing
// else is touched. `password`, the password in effect, tells where a value that holds ";" ends.
std::u16string MaskPasswordAttributes(std::u16string_view text, const Password& password);

}  // namespace kestrel
