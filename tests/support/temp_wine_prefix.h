#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

// A Wine prefix directory of the test's own, removed with everything in it at the end.
class TempWinePrefix {
public:
    TempWinePrefix() {
        std::random_device random;
        do {
            m_path = std::filesystem::temp_directory_path() /
                     ("kestrel-wine-prefix-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(m_path));
    }
    ~TempWinePrefix() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempWinePrefix(const TempWinePrefix&) = delete;
    TempWinePrefix& operator=(const TempWinePrefix&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    void WriteFile(const std::string& name, std::string_view text) const {
        std::ofstream file(m_path / name, std::ios::binary | std::ios::trunc);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

private:
    std::filesystem::path m_path;
};
