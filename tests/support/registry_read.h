#pragma once

#include <string>
#include <string_view>

#include "settings/registry_api.h"
#include "settings/registry_value_reader.h"
#include "support/recording_window_services.h"

// One read as the program makes it, its messages left out.
inline kestrel::RegistryValue ReadValue(kestrel::RegistryApi& registry, std::u16string_view root,
                                        std::u16string_view subkey, std::u16string_view valueName) {
    RecordingWindowServices services;
    return kestrel::ReadRegistryValue(registry, services, root, subkey, valueName).value;
}

// One query of an open key as the reader makes it: a 255-byte buffer of blanks, text asked for.
struct RegistryQuery {
    kestrel::RegistryStatus status;
    std::uint32_t type = kestrel::registry_type::kString;
    std::uint32_t size = 0;
    std::string buffer = std::string(255, ' ');
};

inline RegistryQuery QueryValue(kestrel::RegistryApi& registry, kestrel::OpenKeyHandle key,
                                const std::string& name) {
    RegistryQuery query;
    query.status = registry.QueryValue(key, name, query.type, query.buffer, query.size);
    return query;
}
