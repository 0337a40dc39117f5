#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A value as the registry keeps it: text data in UTF-16LE with their terminating zero.
struct StoredValue {
    std::u16string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// The lines of a registry file, without their line ends.
class RegistryFileLines {
public:
    explicit RegistryFileLines(std::string_view text) : m_rest(text) {}
    std::optional<std::string_view> Next();

private:
    std::string_view m_rest;
    bool m_done = false;
};

// The line without the white space Wine allows before and around its parts.
std::string_view SkipLeadingSpaces(std::string_view line);

// The names along a key path with "\" between them, as Wine resolves it: repeated separators
// count as one, a trailing one is ignored, a leading one makes the path invalid (nullopt).
std::optional<std::vector<std::u16string>> SplitKeyNames(std::u16string_view path);

// The key path of a key line, "[Software\\Norvik] 1700000000" (nullopt when damaged).
std::optional<std::vector<std::u16string>> ParseKeyLine(std::string_view line);

// A value line, `"name"=data` or `@=data`; binary data may go on over the next lines, which it
// then takes from `lines`. Nullopt when the line is damaged.
std::optional<StoredValue> ParseValueLine(std::string_view line, RegistryFileLines& lines);

}  // namespace kestrel
