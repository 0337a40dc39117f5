#include "settings/advapi32_registry.h"

#include <windows.h>

namespace kestrel {
namespace {

// A predefined key is a 32-bit value sign-extended to a pointer: HKEY_LOCAL_MACHINE is
// 0xFFFFFFFF80000002 in a 64-bit process.
HKEY PredefinedKey(RootKeyHandle root) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

HKEY KeyFromHandle(OpenKeyHandle key) {
    return reinterpret_cast<HKEY>(key);
}

}  // namespace

RegistryStatus Advapi32Registry::OpenKey(RootKeyHandle root, const std::string& subkey,
                                         std::uint32_t options, std::uint32_t accessMask,
                                         OpenKeyHandle& opened) {
    HKEY key = nullptr;
    const LONG status =
        RegOpenKeyExA(PredefinedKey(root), subkey.c_str(), options, accessMask, &key);
    opened = reinterpret_cast<OpenKeyHandle>(key);
    return status;
}

RegistryStatus Advapi32Registry::QueryValue(OpenKeyHandle key, const std::string& valueName,
                                            std::uint32_t& type, std::span<char> buffer,
                                            std::uint32_t& dataSize) {
    DWORD valueType = type;
    DWORD size = static_cast<DWORD>(buffer.size());
    const LONG status = RegQueryValueExA(KeyFromHandle(key), valueName.c_str(), nullptr, &valueType,
                                         reinterpret_cast<BYTE*>(buffer.data()), &size);
    type = valueType;
    dataSize = size;
    return status;
}

RegistryStatus Advapi32Registry::CloseKey(OpenKeyHandle key) {
    return RegCloseKey(KeyFromHandle(key));
}

}  // namespace kestrel
