#include "settings/wine_registry.h"

#include <gtest/gtest.h>

#include <string>

#include "support/registry_read.h"
#include "support/temp_wine_prefix.h"
#include "support/wine_registry_fixture.h"
#include "support/written_registry_values.h"

namespace {

namespace status = kestrel::registry_status;
namespace root_key = kestrel::root_key;

constexpr std::u16string_view kHklm = u"HKEY_LOCAL_MACHINE";
constexpr std::u16string_view kValues = kWrittenValuesKey;

// Values that Wine's "reg add" wrote (make-fixtures.sh), read back as on Windows.
TEST(WineRegistry, ReadsWhatWineWrote) {
    const struct {
        std::u16string_view root;
        std::u16string_view subkey;
        std::u16string_view valueName;
        std::u16string expected;
    } cases[] = {
        {kHklm, kValues, u"bLANKS", u"Quintara Server"},
        {kHklm, kValues, u"DESCRIÇÃO", u"valor com nome acentuado"},
        {kHklm, u"SOFTWARE\\norvik\\KESTREL VALUES", u"Blanks", u"Quintara Server"},
        {kHklm, kValues, u"Missing", u"Error"},
        {kHklm, u"Software\\Norvik\\Database", u"Servidor", u"srv-quintara.norvik.local"},
        {kHklm, u"Software\\Norvik\\Database\\", u"Servidor", u"srv-quintara.norvik.local"},
        {kHklm, u"\\Software\\Norvik\\Database", u"Servidor", u"Error"},
        {kHklm, u"Software\\Norvik", u"Servidor", u"Error"},
        {kHklm, u"Software\\Norvik\\Missing", u"Servidor", u"Error"},
        {u"HKEY_CURRENT_USER", u"Software\\Norvik\\Kestrel", u"Tecnico", u"técnico de suporte"},
        {u"HKEY_CURRENT_USER", u"Software\\Norvik\\Database", u"Servidor", u"Error"},
        {u"HKEY_USERS", u"Software\\Norvik\\Database", u"Servidor", u"Error"},
    };
    kestrel::WineRegistry registry(FixturePrefix());
    for (const WrittenRegistryValue& written : kWrittenRegistryValues) {
        SCOPED_TRACE(std::string(written.name.begin(), written.name.end()));
        EXPECT_EQ(ReadValue(registry, kHklm, kValues, written.name), written.expected);
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.valueName.begin(), c.valueName.end()));
        EXPECT_EQ(ReadValue(registry, c.root, c.subkey, c.valueName), c.expected);
    }
}

TEST(WineRegistry, GivesDataAsTheAnsiEntryPointsDo) {
    const struct {
        const char* name;
        kestrel::RegistryStatus status;
        std::uint32_t type;
        std::string data;
    } cases[] = {
        {"Accented", status::kSuccess, 1, std::string("S\xE3o Jo\xE3o, caf\xE9, a\xE7\xE3o\0", 21)},
        {"Multi", status::kSuccess, 7, std::string("primeiro\0segundo\0\0", 18)},
        {"Dword1", status::kSuccess, 4, std::string("\x01\0\0\0", 4)},
        {"Qword", status::kSuccess, 0xB, "HGFEDCBA"},
        {"Chars255", status::kMoreData, 1, std::string(256, '?')},
    };
    kestrel::WineRegistry registry(FixturePrefix());
    kestrel::OpenKeyHandle key = 0;
    ASSERT_EQ(registry.OpenKey(root_key::kLocalMachine, "Software\\Norvik\\Kestrel Values", 0,
                               0x20019, key),
              status::kSuccess);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RegistryQuery query = QueryValue(registry, key, c.name);
        ASSERT_EQ(query.status, c.status);
        EXPECT_EQ(query.type, c.type);
        EXPECT_EQ(query.size, c.data.size());
        // Data are copied only when they fit, and nothing past them is touched.
        const std::string copied = c.status == status::kSuccess ? c.data : "";
        EXPECT_EQ(query.buffer, copied + std::string(255 - copied.size(), ' '));
    }
    EXPECT_EQ(registry.CloseKey(key), status::kSuccess);
    EXPECT_EQ(registry.CloseKey(key), status::kInvalidHandle);
}

// The file is looked up once while it stays the same; any edit or new file shows at the next read.
TEST(WineRegistry, AnEditShowsAtTheNextRead) {
    const TempWinePrefix prefix;
    const std::string original = FixtureFileText("system.reg");
    const auto withServer = [&original](const std::string& server) {
        const std::string stored = "srv-quintara.norvik.local";
        return std::string(original).replace(original.find(stored), stored.size(), server);
    };
    kestrel::WineRegistry registry(prefix.path());
    const std::u16string_view key = u"Software\\Norvik\\Database";

    EXPECT_EQ(ReadValue(registry, kHklm, key, u"Servidor"), u"Error");
    prefix.WriteFile("system.reg", original);
    EXPECT_EQ(ReadValue(registry, kHklm, key, u"Servidor"), u"srv-quintara.norvik.local");
    prefix.WriteFile("system.reg", withServer("srv-quintara.norvik.outro"));
    EXPECT_EQ(ReadValue(registry, kHklm, key, u"Servidor"), u"srv-quintara.norvik.outro");
    prefix.WriteFile("system.reg.new", withServer("srv-quintara.norvik.terco"));
    std::filesystem::rename(prefix.path() / "system.reg.new", prefix.path() / "system.reg");
    EXPECT_EQ(ReadValue(registry, kHklm, key, u"Servidor"), u"srv-quintara.norvik.terco");
    std::filesystem::remove(prefix.path() / "system.reg");
    EXPECT_EQ(ReadValue(registry, kHklm, key, u"Servidor"), u"Error");
}

// A 64-bit prefix keeps the 32-bit view in Wow6432Node; in a 32-bit prefix that is a plain key.
TEST(WineRegistry, ReadsThe32BitViewFirstInA64BitPrefixOnly) {
    kestrel::WineRegistry win64(FixturePrefix());
    for (const WrittenViewValue& written : kWrittenViewValues) {
        SCOPED_TRACE(std::string(written.subkey.begin(), written.subkey.end()));
        EXPECT_EQ(ReadValue(win64, kHklm, written.subkey, written.name), written.expected);
    }

    const TempWinePrefix prefix;
    std::string win32File = FixtureFileText("system.reg");
    win32File.replace(win32File.find("#arch=win64"), 11, "#arch=win32");
    prefix.WriteFile("system.reg", win32File);
    kestrel::WineRegistry win32(prefix.path());
    const struct {
        std::u16string_view subkey;
        std::u16string_view expected;
    } cases[] = {
        {u"Software\\Norvik\\Kestrel Views\\Both", u"64 bits"},
        {u"Software\\Norvik\\Kestrel Views\\Only32", u"Error"},
        {u"Software\\Norvik\\Kestrel Views\\Only64", u"64 bits"},
        {u"Software\\Wow6432Node\\Norvik\\Kestrel Views\\Only32", u"32 bits"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.subkey.begin(), c.subkey.end()));
        EXPECT_EQ(ReadValue(win32, kHklm, c.subkey, u"Vista"), c.expected);
    }
}

}  // namespace
