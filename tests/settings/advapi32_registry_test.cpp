// The advapi32 reader (Wine) and the Wine-file reader on the same values, which must agree.
#include "settings/advapi32_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/wine_registry.h"
#include "support/registry_read.h"
#include "support/value_names.h"
#include "support/wine.h"
#include "support/written_registry_values.h"

namespace {

using kestrel::RegistryValue;
namespace root_key = kestrel::root_key;

constexpr std::u16string_view kHklm = u"HKEY_LOCAL_MACHINE";
constexpr std::u16string_view kValues = kWrittenValuesKey;

class Advapi32Registry : public ::testing::Test {
protected:
    void SetUp() override {
        const auto prefix = ThrowawayWinePrefix();
        if (!prefix) {
            GTEST_SKIP() << "runs under Wine, in the prefix where scripts/test-windows.sh wrote "
                            "the values with wine reg add";
        }
        file.emplace(*prefix);
    }

    kestrel::Advapi32Registry advapi32;
    std::optional<kestrel::WineRegistry> file;
};

// Every type, path form and view, through advapi32 and the saved files: the same, expected text.
TEST_F(Advapi32Registry, ReadsAsTheSavedFilesDo) {
    struct Case {
        std::u16string_view root;
        std::u16string_view subkey;
        std::u16string_view valueName;
        RegistryValue expected;
    };
    std::vector<Case> cases = {
        {kHklm, u"SOFTWARE\\norvik\\KESTREL VALUES", u"bLANKS", u"Quintara Server"},
        {kHklm, u"Software\\Norvik\\Kestrel Values\\", u"Blanks", u"Quintara Server"},
        {kHklm, u"\\Software\\Norvik\\Kestrel Values", u"Blanks", u"Error"},
        {kHklm, kValues, u"Missing", u"Error"},
        {kHklm, u"Software\\Norvik", u"Blanks", u"Error"},
        {kHklm, u"Software\\Norvik\\Missing", u"Blanks", u"Error"},
        {u"HKEY_CURRENT_USER", u"Software\\Norvik\\Kestrel", u"Tecnico", u"técnico de suporte"},
        {u"HKEY_CURRENT_USER", kValues, u"Blanks", u"Error"},
        {u"HKEY_USERS", kValues, u"Blanks", u"Error"},
    };
    for (const WrittenRegistryValue& written : kWrittenRegistryValues) {
        cases.push_back({kHklm, kValues, written.name, written.expected});
    }
    for (const WrittenViewValue& written : kWrittenViewValues) {
        cases.push_back({kHklm, written.subkey, written.name, std::u16string(written.expected)});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.root.begin(), c.root.end()) + " " +
                     std::string(c.subkey.begin(), c.subkey.end()) + " " +
                     std::string(c.valueName.begin(), c.valueName.end()));
        const RegistryValue real = ReadValue(advapi32, c.root, c.subkey, c.valueName);
        EXPECT_EQ(real, c.expected);
        EXPECT_EQ(ReadValue(*file, c.root, c.subkey, c.valueName), real);
    }
}

// Every value of add-values.sh's 64-bit keys through both backends: the same status and bytes.
TEST_F(Advapi32Registry, GivesTheSameDataAsTheSavedFiles) {
    const struct {
        HKEY root;
        kestrel::RootKeyHandle rootKey;
        const char* subkey;
    } keys[] = {
        {HKEY_LOCAL_MACHINE, root_key::kLocalMachine, "Software\\Norvik\\Kestrel Values"},
        {HKEY_CURRENT_USER, root_key::kCurrentUser, "Software\\Norvik\\Kestrel"},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.subkey);
        const std::vector<std::string> names = ValueNames(k.root, k.subkey);
        ASSERT_FALSE(names.empty());
        kestrel::OpenKeyHandle realKey = 0;
        kestrel::OpenKeyHandle savedKey = 0;
        const std::uint32_t access = KEY_READ | KEY_WOW64_64KEY;
        ASSERT_EQ(advapi32.OpenKey(k.rootKey, k.subkey, 0, access, realKey), ERROR_SUCCESS);
        ASSERT_EQ(file->OpenKey(k.rootKey, k.subkey, 0, access, savedKey), ERROR_SUCCESS);
        for (const std::string& name : names) {
            SCOPED_TRACE(name);
            const RegistryQuery real = QueryValue(advapi32, realKey, name);
            const RegistryQuery saved = QueryValue(*file, savedKey, name);
            EXPECT_EQ(saved.status, real.status);
            EXPECT_EQ(saved.type, real.type);
            EXPECT_EQ(saved.size, real.size);
            if (real.status == ERROR_SUCCESS) {
                EXPECT_EQ(saved.buffer, real.buffer);
            }
        }
        // A key closed is closed: the handle is no longer good for a second close.
        EXPECT_EQ(advapi32.CloseKey(realKey), ERROR_SUCCESS);
        EXPECT_EQ(advapi32.CloseKey(realKey), ERROR_INVALID_HANDLE);
        EXPECT_EQ(file->CloseKey(savedKey), ERROR_SUCCESS);
    }
}

}  // namespace
