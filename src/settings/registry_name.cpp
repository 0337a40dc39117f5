#include "settings/registry_name.h"

#include <algorithm>

namespace kestrel {
namespace {

char16_t UpperCase(char16_t unit) {
    if ((unit >= u'a' && unit <= u'z') ||
        (unit >= u'\u00E0' && unit <= u'\u00FE' && unit != u'\u00F7')) {
        return static_cast<char16_t>(unit - 0x20);
    }
    switch (unit) {
        case u'\u00FF':
            return u'\u0178';
        case u'\u0153':
            return u'\u0152';
        case u'\u0161':
            return u'\u0160';
        case u'\u017E':
            return u'\u017D';
        case u'\u0192':
            return u'\u0191';
        default:
            return unit;
    }
}

}  // namespace

bool SameRegistryName(std::u16string_view left, std::u16string_view right) {
    return std::ranges::equal(left, right,
                              [](char16_t a, char16_t b) { return UpperCase(a) == UpperCase(b); });
}

std::u16string FoldedRegistryName(std::u16string_view name) {
    std::u16string folded(name);
    std::ranges::transform(folded, folded.begin(), UpperCase);
    return folded;
}

}  // namespace kestrel
