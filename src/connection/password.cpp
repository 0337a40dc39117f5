#include "connection/password.h"

#include <ostream>

namespace kestrel {

std::ostream& operator<<(std::ostream& out, const Password&) {
    return out << "****";
}

}  // namespace kestrel
