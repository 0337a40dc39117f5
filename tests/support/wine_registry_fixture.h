#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The registry files that Wine wrote for these tests (make-fixtures.sh beside them); their folder
// serves as a Wine prefix.
inline std::filesystem::path FixturePrefix() {
    return KESTREL_REGISTRY_FIXTURES;
}

inline std::string FixtureFileText(const std::string& name) {
    std::ifstream file(FixturePrefix() / name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return std::move(text).str();
}
