#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The value names of a key of the registry's 64-bit view, in the ANSI code page, as advapi32 lists
// them to a 64-bit or a 32-bit program.
inline std::vector<std::string> ValueNames(HKEY root, const char* subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}
