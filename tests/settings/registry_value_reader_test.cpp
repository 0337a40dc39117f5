#include "settings/registry_value_reader.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/fake_registry.h"
#include "support/recording_window_services.h"

namespace {

using kestrel::RegistryValue;
namespace type = kestrel::registry_type;

constexpr kestrel::RootKeyHandle kHklm = kestrel::root_key::kLocalMachine;
constexpr char kKey[] = "Software\\Norvik\\Database";
constexpr std::u16string_view kKeyText = u"Software\\Norvik\\Database";

RegistryValue ReadOne(FakeRegistry& registry, std::u16string_view valueName) {
    RecordingWindowServices services;
    return kestrel::ReadRegistryValue(registry, services, u"HKEY_LOCAL_MACHINE", kKeyText,
                                      valueName)
        .value;
}

template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

TEST(ReadRegistryValue, TakesTheDataAsTextUpToTheFirstZeroWithoutBlanks) {
    const struct {
        const char* what;
        FakeRegistry::Value stored;
        RegistryValue expected;
    } cases[] = {
        {"text", {type::kString, Bytes("SQLServer\0")}, u"SQLServer"},
        {"blanks around", {type::kString, Bytes("  Quintara Server  \0")}, u"Quintara Server"},
        {"blanks only", {type::kString, Bytes("     \0")}, u""},
        {"empty text", {type::kString, Bytes("\0")}, u""},
        {"tabs stay", {type::kString, Bytes("\t tab \t\0")}, u"\t tab \t"},
        {"blanks before the zero", {type::kString, Bytes("ab  \0zz\0")}, u"ab"},
        {"254 characters fit",
         {type::kString, std::string(254, 'x') + '\0'},
         std::u16string(254, u'x')},
        {"255 characters do not", {type::kString, std::string(255, 'x') + '\0'}, u"Error"},
        {"255 bytes without a zero",
         {type::kBinary, std::string(255, 'b')},
         std::u16string(255, u'b')},
        {"multi-string: its first text",
         {type::kMultiString, Bytes("first\0second\0\0")},
         u"first"},
        {"number 1: the character 1", {type::kDword, Bytes("\x01\0\0\0")}, u"\x01"},
        {"from the ANSI code page", {type::kString, Bytes("S\xE3o Jo\xE3o \x80\0")}, u"São João €"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry registry;
        registry.Set(kHklm, kKey, "Value", c.stored);

        EXPECT_EQ(ReadOne(registry, u"Value"), c.expected);
        EXPECT_EQ(registry.OpenKeyCount(), 0u);
    }
}

TEST(ReadRegistryValue, AsksForNamesInTheAnsiCodePage) {
    FakeRegistry registry;
    registry.Set(kHklm, kKey, "Descri\xE7\xE3o", {type::kString, Bytes("accented\0")});
    registry.Set(kHklm, kKey, "???", {type::kString, Bytes("unrepresentable\0")});

    EXPECT_EQ(ReadOne(registry, u"Descrição"), u"accented");
    EXPECT_EQ(ReadOne(registry, u"Ελλ"), u"unrepresentable");
}

// A failed read is marked as failed, so that its "Error" is never taken for a stored "Error".
TEST(ReadRegistryValue, FollowsTheFailureTable) {
    const struct {
        std::u16string_view root;
        std::u16string_view subkey;
        std::u16string_view valueName;
        RegistryValue expected;
        bool failed;
        bool incorrectFormat;
    } cases[] = {
        {u"HKEY_LOCAL_MACHINE", kKeyText, u"Servidor", u"srv", false, false},
        {u"HKEY_LOCAL_MACHINE", kKeyText, u"Stored", u"Error", false, false},
        {u"HKEY_LOCAL_MACHINE\\Software\\Other", kKeyText, u"Servidor", u"srv", false, false},
        {u"HKEY_LOCAL_MACHINE", kKeyText, u"Missing", u"Error", true, false},
        {u"HKEY_LOCAL_MACHINE", kKeyText, u"Long", u"Error", true, false},
        {u"HKEY_LOCAL_MACHINE", u"Software\\Norvik\\Missing", u"Servidor", u"Error", true, false},
        {u"HKEY_CURRENT_USER", kKeyText, u"Servidor", u"Error", true, false},
        {u"HKEY_local_machine", kKeyText, u"Servidor", std::nullopt, false, false},
        {u"HKEY_", kKeyText, u"Servidor", std::nullopt, false, false},
        {u"hkey_local_machine", kKeyText, u"Servidor", std::nullopt, false, true},
        {u"HKEY_LOCAL_MACHINE\\", kKeyText, u"Servidor", std::nullopt, false, true},
        {u" HKEY_LOCAL_MACHINE", kKeyText, u"Servidor", std::nullopt, false, true},
        {u"", kKeyText, u"Servidor", std::nullopt, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.root.begin(), c.root.end()) + " " +
                     std::string(c.subkey.begin(), c.subkey.end()));
        FakeRegistry registry;
        registry.Set(kHklm, kKey, "Servidor", {type::kString, Bytes("srv\0")});
        registry.Set(kHklm, kKey, "Stored", {type::kString, Bytes("Error\0")});
        registry.Set(kHklm, kKey, "Long", {type::kString, std::string(255, 'x') + '\0'});
        RecordingWindowServices services;

        const kestrel::RegistryRead read =
            kestrel::ReadRegistryValue(registry, services, c.root, c.subkey, c.valueName);
        EXPECT_EQ(read.value, c.expected);
        EXPECT_EQ(read.failed, c.failed);

        if (c.incorrectFormat) {
            ASSERT_EQ(services.messages.size(), 1u);
            EXPECT_EQ(services.messages[0].text, u"Incorrect Format:\n\n" + std::u16string(c.root));
            EXPECT_EQ(services.messages[0].icon, kestrel::MessageIcon::None);
        } else {
            EXPECT_TRUE(services.messages.empty());
        }
        // An unusable root asks the registry nothing; any other opens the subkey below it, in
        // the 32-bit view first (KEY_READ | KEY_WOW64_32KEY), and only when the key is not
        // there in the 64-bit view (KEY_READ | KEY_WOW64_64KEY).
        std::vector<std::uint32_t> accessMasks;
        for (const auto& call : registry.openCalls) {
            EXPECT_EQ(call.subkey, std::string(c.subkey.begin(), c.subkey.end()));
            accessMasks.push_back(call.accessMask);
        }
        using Masks = std::vector<std::uint32_t>;
        const bool keyThere = c.root.starts_with(u"HKEY_LOCAL_MACHINE") && c.subkey == kKeyText;
        const Masks expectedMasks = !c.expected ? Masks{}
                                    : keyThere  ? Masks{0x20219}
                                                : Masks{0x20219, 0x20119};
        EXPECT_EQ(accessMasks, expectedMasks);
        EXPECT_EQ(registry.OpenKeyCount(), 0u);
    }
}

TEST(ReadRegistryValue, ManyFailedReadsLeaveNoKeyOpen) {
    FakeRegistry registry;
    registry.Set(kHklm, kKey, "Servidor", {});
    for (int read = 0; read < 500; ++read) {
        ASSERT_EQ(ReadOne(registry, u"Missing"), u"Error");
    }
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

// A failure of the platform inside the query reaches the caller, and the key is closed all the
// same.
TEST(ReadRegistryValue, ClosesTheKeyWhenTheQueryThrows) {
    class FailingQuery : public FakeRegistry {
        kestrel::RegistryStatus QueryValue(kestrel::OpenKeyHandle, const std::string&,
                                           std::uint32_t&, std::span<char>,
                                           std::uint32_t&) override {
            throw std::runtime_error("registry not available");
        }
    };
    FailingQuery registry;
    registry.Set(kHklm, kKey, "Servidor", {});

    EXPECT_THROW(ReadOne(registry, u"Servidor"), std::runtime_error);
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

TEST(RootKeyFromName, MapsExactNamesOnly) {
    const std::u16string_view names[] = {
        u"HKEY_CLASSES_ROOT",     u"HKEY_CURRENT_USER",   u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
        u"HKEY_PERFORMANCE_DATA", u"HKEY_CURRENT_CONFIG", u"HKEY_DYN_DATA"};
    for (kestrel::RootKeyHandle handle = 0x80000000; const auto name : names) {
        EXPECT_EQ(kestrel::RootKeyFromName(name), handle++);
    }
    for (const auto name : {u"hkey_local_machine", u"HKEY_LOCAL_MACHINE ", u"HKLM", u""}) {
        EXPECT_EQ(kestrel::RootKeyFromName(name), 0u);
    }
}

TEST(SplitRootKey, SplitsAtTheFirstBackslash) {
    const struct {
        std::u16string_view keyPath;
        kestrel::RootKeyHandle root;
        std::u16string_view remainder;
        bool incorrectFormat;
    } cases[] = {
        {u"HKEY_LOCAL_MACHINE", 0x80000002, u"", false},
        {u"HKEY_CURRENT_USER\\Software\\Norvik", 0x80000001, u"Software\\Norvik", false},
        {u"HKEY_USERS\\\\x", 0x80000003, u"\\x", false},
        {u"HKEY_OTHER\\Software", 0, u"Software", false},
        {u"HKEY_LOCAL_MACHINE\\Software\\", 0, u"HKEY_LOCAL_MACHINE\\Software\\", true},
        {u"HKEY", 0, u"HKEY", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.keyPath.begin(), c.keyPath.end()));
        RecordingWindowServices services;

        const kestrel::SplitKeyPath split = kestrel::SplitRootKey(services, c.keyPath);

        EXPECT_EQ(split.rootKey, c.root);
        EXPECT_EQ(split.remainder, c.remainder);
        EXPECT_EQ(services.messages.size(), c.incorrectFormat ? 1u : 0u);
    }
}

}  // namespace
