#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kestrel {

// A status as the registry functions of Windows return it.
using RegistryStatus = std::int32_t;

namespace registry_status {
inline constexpr RegistryStatus kSuccess = 0;
inline constexpr RegistryStatus kFileNotFound = 2;
inline constexpr RegistryStatus kInvalidHandle = 6;
inline constexpr RegistryStatus kBadPathname = 161;
inline constexpr RegistryStatus kMoreData = 234;
}  // namespace registry_status

// The predefined root keys carry fixed handle values on every Windows.
using RootKeyHandle = std::uint32_t;

namespace root_key {
inline constexpr RootKeyHandle kClassesRoot = 0x80000000;
inline constexpr RootKeyHandle kCurrentUser = 0x80000001;
inline constexpr RootKeyHandle kLocalMachine = 0x80000002;
inline constexpr RootKeyHandle kUsers = 0x80000003;
inline constexpr RootKeyHandle kPerformanceData = 0x80000004;
inline constexpr RootKeyHandle kCurrentConfig = 0x80000005;
inline constexpr RootKeyHandle kDynData = 0x80000006;
}  // namespace root_key

// Access rights asked for when a key is opened.
namespace registry_access {
inline constexpr std::uint32_t kRead = 0x20019;
// On 64-bit Windows the registry holds a view for 64-bit programs and one for 32-bit programs;
// these choose one of them, whichever the program is.
inline constexpr std::uint32_t kWow64_64Key = 0x0100;
inline constexpr std::uint32_t kWow64_32Key = 0x0200;
}  // namespace registry_access

// A key opened below a root; pointer-sized, as Windows hands them out.
using OpenKeyHandle = std::uintptr_t;

namespace registry_type {
inline constexpr std::uint32_t kString = 1;
inline constexpr std::uint32_t kExpandString = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiString = 7;
}  // namespace registry_type

// The three registry operations the reader needs, with the contract of advapi32's ANSI entry points
// RegOpenKeyExA, RegQueryValueExA and RegCloseKey: names and text data in the ANSI code page.
class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // Opens `subkey` below `root`; on success `opened` holds a handle for QueryValue and CloseKey.
    virtual RegistryStatus OpenKey(RootKeyHandle root, const std::string& subkey,
                                   std::uint32_t options, std::uint32_t accessMask,
                                   OpenKeyHandle& opened) = 0;
    // Copies the value's data to the start of `buffer` only when they fit (kMoreData otherwise);
    // either way `dataSize` receives their size and `type` their registry type.
    virtual RegistryStatus QueryValue(OpenKeyHandle key, const std::string& valueName,
                                      std::uint32_t& type, std::span<char> buffer,
                                      std::uint32_t& dataSize) = 0;
    virtual RegistryStatus CloseKey(OpenKeyHandle key) = 0;
};

}  // namespace kestrel
