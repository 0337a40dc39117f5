#include "settings/wine_registry_syntax.h"

#include <algorithm>
#include <cstring>

#include "settings/registry_api.h"

namespace kestrel {
namespace {

// Large enough that reading costs few calls, small enough that it costs little memory.
constexpr std::size_t kReadChunk = 64 * 1024;

struct TypedData {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

bool Consume(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Up to `maxDigits` hex digits from the start of `text`, at least one; nullopt when there is none.
std::optional<std::uint32_t> ConsumeHexNumber(std::string_view& text, int maxDigits) {
    std::uint32_t number = 0;
    int digits = 0;
    while (digits < maxDigits && !text.empty() && HexDigitValue(text.front()) >= 0) {
        number = number * 16 + static_cast<std::uint32_t>(HexDigitValue(text.front()));
        text.remove_prefix(1);
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return number;
}

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

char16_t ConsumeOctalEscape(char firstDigit, std::string_view& text) {
    unsigned number = static_cast<unsigned>(firstDigit - '0');
    for (int digits = 1; digits < 3 && !text.empty() && IsOctalDigit(text.front()); ++digits) {
        number = number * 8 + static_cast<unsigned>(text.front() - '0');
        text.remove_prefix(1);
    }
    return static_cast<char16_t>(number);
}

std::optional<char16_t> ControlEscape(char letter) {
    switch (letter) {
        case 'a':
            return u'\a';
        case 'b':
            return u'\b';
        case 'e':
            return u'\x1B';
        case 'f':
            return u'\f';
        case 'n':
            return u'\n';
        case 'r':
            return u'\r';
        case 't':
            return u'\t';
        case 'v':
            return u'\v';
        default:
            return std::nullopt;
    }
}

// Text up to `terminator`, which is consumed, with the escapes Wine writes: "\\", "\"", "\[", "\]",
// C control escapes, octal escapes and "\x" with up to four hex digits for a UTF-16 code unit.
// Anything Wine never writes (a raw control byte or one above ASCII, another escape, a missing
// terminator) makes the text unreadable.
std::optional<std::u16string> ConsumeEscapedText(std::string_view& text, char terminator) {
    std::u16string decoded;
    while (!text.empty()) {
        const char c = text.front();
        text.remove_prefix(1);
        if (c == terminator) {
            return decoded;
        }
        if (c != '\\') {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte > 0x7F) {
                return std::nullopt;
            }
            decoded += static_cast<char16_t>(c);
            continue;
        }
        if (text.empty()) {
            return std::nullopt;
        }
        const char escaped = text.front();
        text.remove_prefix(1);
        if (escaped == '\\' || escaped == '"' || escaped == '[' || escaped == ']') {
            decoded += static_cast<char16_t>(escaped);
        } else if (escaped == 'x') {
            const auto unit = ConsumeHexNumber(text, 4);
            if (!unit) {
                return std::nullopt;
            }
            decoded += static_cast<char16_t>(*unit);
        } else if (IsOctalDigit(escaped)) {
            decoded += ConsumeOctalEscape(escaped, text);
        } else if (const auto control = ControlEscape(escaped)) {
            decoded += *control;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The string's UTF-16LE code units and their terminating zero, as the registry stores text.
std::optional<std::vector<std::uint8_t>> ParseStringData(std::string_view text) {
    const auto decoded = ConsumeEscapedText(text, '"');
    if (!decoded || !SkipLeadingSpaces(text).empty()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data;
    data.reserve((decoded->size() + 1) * 2);
    for (char16_t unit : *decoded + u'\0') {
        data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        data.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return data;
}

// "dword:" is always followed by eight hex digits; the data are their 4 little-endian bytes.
std::optional<std::vector<std::uint8_t>> ParseDwordData(std::string_view text) {
    const std::size_t lengthBefore = text.size();
    const auto number = ConsumeHexNumber(text, 8);
    if (!number || lengthBefore - text.size() != 8 || !SkipLeadingSpaces(text).empty()) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>{static_cast<std::uint8_t>(*number & 0xFF),
                                     static_cast<std::uint8_t>((*number >> 8) & 0xFF),
                                     static_cast<std::uint8_t>((*number >> 16) & 0xFF),
                                     static_cast<std::uint8_t>(*number >> 24)};
}

// Comma-separated two-digit hex bytes; after a comma, a "\" ends the line and the bytes go on
// over the next one.
std::optional<std::vector<std::uint8_t>> ParseHexData(std::string_view text,
                                                      RegistryFileLines& lines) {
    std::vector<std::uint8_t> data;
    text = SkipLeadingSpaces(text);
    if (text.empty()) {
        return data;
    }
    for (;;) {
        if (text.size() < 2 || HexDigitValue(text[0]) < 0 || HexDigitValue(text[1]) < 0) {
            return std::nullopt;
        }
        data.push_back(
            static_cast<std::uint8_t>(HexDigitValue(text[0]) * 16 + HexDigitValue(text[1])));
        text = SkipLeadingSpaces(text.substr(2));
        if (text.empty()) {
            return data;
        }
        if (!Consume(text, ",")) {
            return std::nullopt;
        }
        text = SkipLeadingSpaces(text);
        if (Consume(text, "\\")) {
            if (!SkipLeadingSpaces(text).empty()) {
                return std::nullopt;
            }
            const auto next = lines.Next();
            if (!next) {
                return std::nullopt;
            }
            text = SkipLeadingSpaces(*next);
        }
    }
}

// A type number in "str(N):" or "hex(N):", hex as Wine writes it, and what follows it.
std::optional<std::uint32_t> ConsumeTypeNumber(std::string_view& text, std::string_view after) {
    const auto type = ConsumeHexNumber(text, 8);
    if (!type || !Consume(text, after)) {
        return std::nullopt;
    }
    return type;
}

std::optional<TypedData> ParseData(std::string_view text, RegistryFileLines& lines) {
    std::optional<std::uint32_t> type;
    std::optional<std::vector<std::uint8_t>> data;
    if (Consume(text, "\"") || Consume(text, "str:\"")) {
        type = registry_type::kString;
        data = ParseStringData(text);
    } else if (Consume(text, "str(")) {
        type = ConsumeTypeNumber(text, "):\"");
        data = type ? ParseStringData(text) : std::nullopt;
    } else if (Consume(text, "hex:")) {
        type = registry_type::kBinary;
        data = ParseHexData(text, lines);
    } else if (Consume(text, "hex(")) {
        type = ConsumeTypeNumber(text, "):");
        data = type ? ParseHexData(text, lines) : std::nullopt;
    } else if (Consume(text, "dword:")) {
        type = registry_type::kDword;
        data = ParseDwordData(text);
    }
    if (!type || !data) {
        return std::nullopt;
    }
    return TypedData{*type, std::move(*data)};
}

}  // namespace

std::string_view SkipLeadingSpaces(std::string_view line) {
    const auto first = line.find_first_not_of(" \t\v\f\r");
    return first == std::string_view::npos ? std::string_view() : line.substr(first);
}

void RegistryFileLines::ReadWholeLine() {
    if (!m_read) {
        return;
    }
    std::size_t searched = 0;
    while (m_rest.find('\n', searched) == std::string_view::npos) {
        searched = m_rest.size();
        // The lines already given go: what is left moves to the start, or to a larger buffer.
        const std::size_t kept = m_rest.size();
        if (m_capacity - kept < kReadChunk) {
            const std::size_t capacity = std::max(2 * m_capacity, kept + kReadChunk);
            auto larger = std::make_unique_for_overwrite<char[]>(capacity);
            std::copy_n(m_rest.data(), kept, larger.get());
            m_buffer = std::move(larger);
            m_capacity = capacity;
        } else if (kept > 0 && m_rest.data() != m_buffer.get()) {
            std::memmove(m_buffer.get(), m_rest.data(), kept);
        }
        const std::size_t got = m_read(std::span<char>(m_buffer.get() + kept, m_capacity - kept));
        m_rest = std::string_view(m_buffer.get(), kept + got);
        if (got == 0) {
            m_read = nullptr;
            return;
        }
    }
}

std::optional<std::string_view> RegistryFileLines::Next() {
    if (m_putBack) {
        m_putBack = false;
        return m_last;
    }
    if (m_done) {
        return std::nullopt;
    }
    ReadWholeLine();
    const auto end = m_rest.find('\n');
    std::string_view line = m_rest.substr(0, end);
    if (end == std::string_view::npos) {
        m_done = true;
        m_rest = {};
    } else {
        m_rest.remove_prefix(end + 1);
    }
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    m_last = line;
    return line;
}

std::optional<std::vector<std::u16string>> SplitKeyNames(std::u16string_view path) {
    if (path.starts_with(u'\\')) {
        return std::nullopt;
    }
    std::vector<std::u16string> names;
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find(u'\\', start), path.size());
        if (end > start) {
            names.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return names;
}

std::optional<std::vector<std::u16string>> ParseKeyLine(std::string_view line) {
    if (!Consume(line, "[")) {
        return std::nullopt;
    }
    const auto path = ConsumeEscapedText(line, ']');
    if (!path) {
        return std::nullopt;
    }
    // Wine follows the bracket with the key's modification time in seconds.
    line = SkipLeadingSpaces(line);
    while (!line.empty() && line.front() >= '0' && line.front() <= '9') {
        line.remove_prefix(1);
    }
    if (!SkipLeadingSpaces(line).empty()) {
        return std::nullopt;
    }
    return SplitKeyNames(*path);
}

std::optional<StoredValue> ParseValueLine(std::string_view line, RegistryFileLines& lines) {
    StoredValue value;
    if (Consume(line, "\"")) {
        auto name = ConsumeEscapedText(line, '"');
        if (!name) {
            return std::nullopt;
        }
        value.name = std::move(*name);
    } else if (!Consume(line, "@")) {
        return std::nullopt;
    }
    line = SkipLeadingSpaces(line);
    if (!Consume(line, "=")) {
        return std::nullopt;
    }
    auto data = ParseData(SkipLeadingSpaces(line), lines);
    if (!data) {
        return std::nullopt;
    }
    value.type = data->type;
    value.data = std::move(data->data);
    return value;
}

}  // namespace kestrel
