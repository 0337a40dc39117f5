#include "inspection/box_text.h"

#include "base/text.h"
#include "base/visible_text.h"
#include "connection/database_access.h"

namespace kestrel {

std::u16string BoxText(const std::optional<std::u16string>& value, bool trim) {
    if (!value) {
        return u"";
    }
    std::u16string_view shown = *value;
    const bool cut = shown.size() > kLongestFieldValue;
    if (cut) {
        // Not between the two halves of a surrogate pair.
        const bool pairAtTheCut =
            shown[kLongestFieldValue - 1] >= 0xD800 && shown[kLongestFieldValue - 1] <= 0xDBFF;
        shown = shown.substr(0, kLongestFieldValue - (pairAtTheCut ? 1 : 0));
    }
    std::u16string text = VisibleText(trim ? TrimBlanks(shown) : shown);
    if (cut) {
        text += u" […] (valor cortado: o servidor enviou mais de " +
                DecimalText(static_cast<long long>(kLongestFieldValue)) + u" caracteres)";
    }
    return text;
}

}  // namespace kestrel
