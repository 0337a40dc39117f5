#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A value as the registry keeps it: text data in UTF-16LE with their terminating zero.
struct StoredValue {
    std::u16string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;

    bool operator==(const StoredValue&) const = default;
};

// The lines of a registry file, without their line ends: from a text in memory, or read piece by
// piece, so that a large file is never held whole.
class RegistryFileLines {
public:
    // Fills the start of a buffer with the next bytes of the file; 0 at its end.
    using ReadSome = std::function<std::size_t(std::span<char>)>;

    explicit RegistryFileLines(std::string_view text) : m_rest(text) {}
    explicit RegistryFileLines(ReadSome read) : m_read(std::move(read)) {}

    // The next line, valid until the next call; nullopt after the last.
    std::optional<std::string_view> Next();
    // Makes the next call give the line that the last one gave.
    void PutBack() { m_putBack = true; }

private:
    // Makes m_rest a whole line or the end of the file, reading on while it holds no line end.
    void ReadWholeLine();

    ReadSome m_read;
    // What has been read and not yet given as lines; filled by m_read, never cleared first.
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::string_view m_rest;
    std::optional<std::string_view> m_last;
    bool m_done = false;
    bool m_putBack = false;
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
