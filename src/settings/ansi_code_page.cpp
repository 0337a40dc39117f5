#include "settings/ansi_code_page.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "base/windows_1252.h"
#endif

namespace kestrel {

#ifdef _WIN32

std::string ToAnsiCodePage(std::u16string_view text) {
    if (text.empty()) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int wideLength = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, wideLength, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::u16string FromAnsiCodePage(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int byteCount = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), byteCount, nullptr, 0);
    std::u16string text(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), byteCount, reinterpret_cast<wchar_t*>(text.data()),
                        length);
    return text;
}

#else

std::string ToAnsiCodePage(std::u16string_view text) {
    return EncodeWindows1252(text);
}

std::u16string FromAnsiCodePage(std::string_view bytes) {
    return DecodeWindows1252(bytes);
}

#endif

}  // namespace kestrel
