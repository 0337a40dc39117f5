#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// A failure that reaches a handler's error trap: the number and the description that the user
// is shown. Thrown by the database layer and the connect steps.
struct Failure {
    std::int32_t number = 0;
    std::u16string description;
};

}  // namespace kestrel
