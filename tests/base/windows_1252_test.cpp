// The code page that the Wine-file registry converts text with, held to the conversion of Windows
// itself (Wine's, which carries Windows' tables): every code unit and every byte.
#include "base/windows_1252.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kWindows1252 = 1252;

TEST(Windows1252, EncodesEveryCodeUnitAsWindowsDoes) {
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        const wchar_t wide = static_cast<wchar_t>(unit);
        char windows = 0;
        ASSERT_EQ(WideCharToMultiByte(kWindows1252, 0, &wide, 1, &windows, 1, nullptr, nullptr), 1);
        ASSERT_EQ(kestrel::EncodeWindows1252(std::u16string(1, static_cast<char16_t>(unit))),
                  std::string(1, windows))
            << std::hex << "U+" << unit;
    }
}

TEST(Windows1252, DecodesEveryByteAsWindowsDoes) {
    for (unsigned byte = 0; byte <= 0xFF; ++byte) {
        const char narrow = static_cast<char>(byte);
        wchar_t windows = 0;
        ASSERT_EQ(MultiByteToWideChar(kWindows1252, 0, &narrow, 1, &windows, 1), 1);
        EXPECT_EQ(kestrel::DecodeWindows1252(std::string(1, narrow)),
                  std::u16string(1, static_cast<char16_t>(windows)))
            << std::hex << "byte " << byte;
    }
}

}  // namespace
