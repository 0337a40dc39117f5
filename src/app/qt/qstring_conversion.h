#pragma once

#include <QString>
#include <string_view>

// The logic's UTF-16 text as Qt's, without loss.
inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}
