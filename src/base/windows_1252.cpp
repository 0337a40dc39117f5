#include "base/windows_1252.h"

#include <algorithm>
#include <array>

#include "base/windows_1252_best_fit.h"

namespace kestrel {
namespace {

// Bytes 0x80 to 0x9F; the rest of the code page maps each byte to the code unit of equal value.
// The five bytes the code page leaves undefined map to the C1 controls, as Windows maps them.
constexpr std::array<char16_t, 32> kHighControlRange = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

bool InHighControlRange(unsigned value) {
    return value >= 0x80 && value <= 0x9F;
}

char EncodeUnit(char16_t unit) {
    if (unit <= 0xFF && !InHighControlRange(unit)) {
        return static_cast<char>(unit);
    }
    const auto found = std::ranges::find(kHighControlRange, unit);
    if (found == kHighControlRange.end()) {
        return BestFitWindows1252(unit).value_or('?');
    }
    return static_cast<char>(0x80 + (found - kHighControlRange.begin()));
}

}  // namespace

std::string EncodeWindows1252(std::u16string_view text) {
    std::string bytes(text.size(), '\0');
    std::ranges::transform(text, bytes.begin(), EncodeUnit);
    return bytes;
}

std::u16string DecodeWindows1252(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    std::ranges::transform(bytes, text.begin(), [](char byte) {
        const auto value = static_cast<unsigned char>(byte);
        return InHighControlRange(value) ? kHighControlRange[value - 0x80]
                                         : static_cast<char16_t>(value);
    });
    return text;
}

}  // namespace kestrel
