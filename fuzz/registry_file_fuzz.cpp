// Feeds arbitrary bytes to the Wine registry file reader as system.reg, then reads Quintara's
// settings and a few other keys from it, as the program would.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "settings/registry_value_reader.h"
#include "settings/stored_connection_settings.h"
#include "settings/wine_registry.h"

namespace {

// The reader only shows a message for a malformed root name, which never happens here.
class SilentWindowServices : public kestrel::WindowServices {
public:
    void ShowMessage(const std::u16string&, kestrel::MessageIcon) override {}
    void SetMousePointer(kestrel::MousePointer) override {}
    void EndProgram() override {}
    void SetTimerEnabled(bool) override {}
    void SetText(kestrel::TextBox, const std::u16string&) override {}
    std::u16string Text(kestrel::TextBox) const override { return {}; }
};

// A prefix directory of this process's own, removed when the run ends.
class FuzzPrefix {
public:
    FuzzPrefix()
        : m_path(std::filesystem::temp_directory_path() /
                 ("kestrel-registry-fuzz-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(m_path);
    }
    ~FuzzPrefix() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

const FuzzPrefix kPrefix;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(kPrefix.path() / "system.reg", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kestrel::WineRegistry registry(kPrefix.path());
    SilentWindowServices services;

    kestrel::StoredConnectionSettings settings;
    kestrel::LoadStoredSettings(registry, services, settings);
    kestrel::StoredSettingsUsable(settings);
    // The file's root, an implied parent key, and values of every type in the fixture's keys.
    kestrel::ReadRegistryValue(registry, services, u"HKEY_LOCAL_MACHINE", u"", u"");
    kestrel::ReadRegistryValue(registry, services, u"HKEY_LOCAL_MACHINE", u"Software", u"x");
    for (std::u16string_view name : {u"", u"Multi", u"LongBinary"}) {
        kestrel::ReadRegistryValue(registry, services, u"HKEY_LOCAL_MACHINE",
                                   u"Software\\Norvik\\Kestrel Values", name);
    }
    return 0;
}
