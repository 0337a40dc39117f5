#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

// Writes $prefix/system.reg as Wine keeps HKEY_LOCAL_MACHINE, holding one key of string values
// (ASCII names and text; backslashes and quotes escaped as Wine escapes them).
inline void WriteWineSystemReg(const std::filesystem::path& prefix, const std::string& key,
                               const std::vector<std::pair<std::string, std::string>>& values) {
    const auto escaped = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            if (c == '\\' || c == '"') {
                out += '\\';
            }
            out += c;
        }
        return out;
    };
    std::ofstream file(prefix / "system.reg", std::ios::binary | std::ios::trunc);
    file << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    file << "[" << escaped(key) << "] 1733500000\n#time=1db4a3c5e9f0a00\n";
    for (const auto& [name, text] : values) {
        file << '"' << escaped(name) << "\"=\"" << escaped(text) << "\"\n";
    }
}
