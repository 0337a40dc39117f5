#pragma once

#include "settings/registry_api.h"

namespace kestrel {

// The Windows registry itself, through advapi32's ANSI entry points. Windows only.
class Advapi32Registry : public RegistryApi {
public:
    RegistryStatus OpenKey(RootKeyHandle root, const std::string& subkey, std::uint32_t options,
                           std::uint32_t accessMask, OpenKeyHandle& opened) override;
    RegistryStatus QueryValue(OpenKeyHandle key, const std::string& valueName, std::uint32_t& type,
                              std::span<char> buffer, std::uint32_t& dataSize) override;
    RegistryStatus CloseKey(OpenKeyHandle key) override;
};

}  // namespace kestrel
