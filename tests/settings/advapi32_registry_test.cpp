// The registry reader over advapi32 as Wine implements it, on values that Wine's "reg add" wrote
// (tests/support/registry_fixtures/add-values.sh, which scripts/test-windows.sh runs before the
// tests), and the Wine registry file backend on the system.reg and user.reg that Wine saved of the
// same values: the two backends must agree, read for read and value for value.
#include "settings/advapi32_registry.h"

#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/registry_value_reader.h"
#include "settings/wine_registry.h"
#include "support/recording_window_services.h"
#include "support/wine.h"
#include "support/written_registry_values.h"

namespace {

using kestrel::RegistryValue;
namespace root_key = kestrel::root_key;

constexpr std::u16string_view kHklm = u"HKEY_LOCAL_MACHINE";
constexpr std::u16string_view kValues = kWrittenValuesKey;
constexpr std::uint32_t kKeyRead = KEY_READ;

struct Outcome {
    RegistryValue value;
    std::vector<std::u16string> messages;
};

struct Query {
    kestrel::RegistryStatus status;
    std::uint32_t type = kestrel::registry_type::kString;
    std::uint32_t size = 0;
    std::string buffer = std::string(255, ' ');
};

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

    static Outcome Read(kestrel::RegistryApi& registry, std::u16string_view root,
                        std::u16string_view subkey, std::u16string_view valueName) {
        RecordingWindowServices services;
        Outcome outcome{
            kestrel::ReadRegistryValue(registry, services, root, subkey, valueName).value, {}};
        for (const auto& message : services.messages) {
            outcome.messages.push_back(message.text);
        }
        return outcome;
    }

    // One query as the reader makes it: a 255-byte buffer of blanks, text asked for.
    static Query QueryValue(kestrel::RegistryApi& registry, kestrel::OpenKeyHandle key,
                            const std::string& name) {
        Query query;
        query.status = registry.QueryValue(key, name, query.type, query.buffer, query.size);
        return query;
    }

    kestrel::Advapi32Registry advapi32;
    std::optional<kestrel::WineRegistry> file;
};

// The value names of a key, in the ANSI code page, as advapi32 lists them.
std::vector<std::string> ValueNames(HKEY root, const char* subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
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

// The handles this process holds, from the system's handle list: Wine counts none with
// GetProcessHandleCount.
std::size_t OpenHandleCount() {
    struct HandleEntry {
        ULONG ownerProcessId;
        BYTE objectType;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct HandleList {
        ULONG count;
        HandleEntry entries[1];
    };
    constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    constexpr auto kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<char> buffer(1 << 20);
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), nullptr)) ==
           kInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    EXPECT_EQ(status, 0);
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    std::size_t count = 0;
    for (ULONG i = 0; i < list->count; ++i) {
        count += list->entries[i].ownerProcessId == GetCurrentProcessId() ? 1 : 0;
    }
    return count;
}

// Every row of the reader's failure table and every value type, read through advapi32 and through
// the saved files; the two must give the same text and the same messages.
TEST_F(Advapi32Registry, ReadsAsTheSavedFilesDo) {
    const struct {
        std::u16string_view root;
        std::u16string_view subkey;
        std::u16string_view valueName;
        RegistryValue expected;
        bool incorrectFormat = false;
    } cases[] = {
        {kHklm, kValues, u"DESCRIÇÃO", u"valor com nome acentuado"},
        {kHklm, u"SOFTWARE\\norvik\\KESTREL VALUES", u"bLANKS", u"Quintara Server"},
        {kHklm, u"Software\\Norvik\\Kestrel Values\\", u"Blanks", u"Quintara Server"},
        {kHklm, u"\\Software\\Norvik\\Kestrel Values", u"Blanks", u"Error"},
        {kHklm, kValues, u"Missing", u"Error"},
        {kHklm, u"Software\\Norvik", u"Blanks", u"Error"},
        {kHklm, u"Software\\Norvik\\Missing", u"Blanks", u"Error"},
        {u"HKEY_CURRENT_USER", u"Software\\Norvik\\Kestrel", u"Tecnico", u"técnico de suporte"},
        {u"HKEY_CURRENT_USER", kValues, u"Blanks", u"Error"},
        {u"HKEY_USERS", kValues, u"Blanks", u"Error"},
        {u"HKEY_LOCAL_MACHINE\\Software\\Other", kValues, u"Blanks", u"Quintara Server"},
        {u"HKEY_local_machine", kValues, u"Blanks", std::nullopt},
        {u"HKEY_", kValues, u"Blanks", std::nullopt},
        {u"hkey_local_machine", kValues, u"Blanks", std::nullopt, true},
        {u"HKEY_LOCAL_MACHINE\\", kValues, u"Blanks", std::nullopt, true},
        {u" HKEY_LOCAL_MACHINE", kValues, u"Blanks", std::nullopt, true},
        {u"", kValues, u"Blanks", std::nullopt, true},
    };
    for (const WrittenRegistryValue& written : kWrittenRegistryValues) {
        SCOPED_TRACE(std::string(written.name.begin(), written.name.end()));
        const Outcome real = Read(advapi32, kHklm, kValues, written.name);
        EXPECT_EQ(real.value, written.expected);
        EXPECT_TRUE(real.messages.empty());
        const Outcome saved = Read(*file, kHklm, kValues, written.name);
        EXPECT_EQ(saved.value, real.value);
        EXPECT_EQ(saved.messages, real.messages);
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.root.begin(), c.root.end()) + " " +
                     std::string(c.subkey.begin(), c.subkey.end()) + " " +
                     std::string(c.valueName.begin(), c.valueName.end()));

        const Outcome real = Read(advapi32, c.root, c.subkey, c.valueName);
        EXPECT_EQ(real.value, c.expected);
        EXPECT_EQ(real.messages.size(), c.incorrectFormat ? 1u : 0u);

        const Outcome saved = Read(*file, c.root, c.subkey, c.valueName);
        EXPECT_EQ(saved.value, real.value);
        EXPECT_EQ(saved.messages, real.messages);
    }
}

// Keys that reg add wrote with /reg:32, /reg:64 or both in this 64-bit prefix: both backends take
// the 32-bit view first, and the 64-bit one when the key is not there.
TEST_F(Advapi32Registry, TakesThe32BitViewFirstAsTheSavedFilesDo) {
    for (const WrittenViewValue& written : kWrittenViewValues) {
        SCOPED_TRACE(std::string(written.subkey.begin(), written.subkey.end()) + " " +
                     std::string(written.name.begin(), written.name.end()));
        const Outcome real = Read(advapi32, kHklm, written.subkey, written.name);
        EXPECT_EQ(real.value, written.expected);
        EXPECT_EQ(Read(*file, kHklm, written.subkey, written.name).value, real.value);
    }
}

// Every value of the keys that add-values.sh writes, queried through both backends: the same
// status, type, size and bytes.
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
        ASSERT_EQ(advapi32.OpenKey(k.rootKey, k.subkey, 0, kKeyRead, realKey), ERROR_SUCCESS);
        ASSERT_EQ(file->OpenKey(k.rootKey, k.subkey, 0, kKeyRead, savedKey), ERROR_SUCCESS);
        for (const std::string& name : names) {
            SCOPED_TRACE(name);
            const Query real = QueryValue(advapi32, realKey, name);
            const Query saved = QueryValue(*file, savedKey, name);
            EXPECT_EQ(saved.status, real.status);
            EXPECT_EQ(saved.type, real.type);
            EXPECT_EQ(saved.size, real.size);
            if (real.status == ERROR_SUCCESS) {
                EXPECT_EQ(saved.buffer, real.buffer);
            }
        }
        EXPECT_EQ(advapi32.CloseKey(realKey), ERROR_SUCCESS);
        EXPECT_EQ(file->CloseKey(savedKey), ERROR_SUCCESS);
    }
}

TEST_F(Advapi32Registry, ManyReadsInARowLeaveNoHandleOpen) {
    // advapi32 opens a root key at its first use and keeps it for the process.
    Read(advapi32, kHklm, kValues, u"Blanks");
    const std::size_t before = OpenHandleCount();
    ASSERT_GT(before, 0u);
    for (int round = 0; round < 250; ++round) {
        for (std::u16string_view name : {u"Blanks", u"Chars255", u"Missing"}) {
            Read(advapi32, kHklm, kValues, name);
        }
        Read(advapi32, kHklm, u"Software\\Norvik\\Missing", u"Blanks");
    }
    EXPECT_EQ(OpenHandleCount(), before);
}

}  // namespace
