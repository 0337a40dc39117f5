// The reader's rules on a registry of the test's own: what Wine's files cannot hold, access.
#include "settings/registry_value_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_registry.h"
#include "support/recording_window_services.h"

namespace {

constexpr kestrel::RootKeyHandle kHklm = kestrel::root_key::kLocalMachine;
constexpr char kKey[] = "Software\\Norvik\\Database";
constexpr std::u16string_view kKeyText = u"Software\\Norvik\\Database";
constexpr std::uint32_t kRead32 = 0x20219;  // KEY_READ | KEY_WOW64_32KEY
constexpr std::uint32_t kRead64 = 0x20119;  // KEY_READ | KEY_WOW64_64KEY

FakeRegistry Stored() {
    FakeRegistry registry;
    const auto text = [&](const char* name, std::string data) {
        registry.Set(kHklm, kKey, name, {kestrel::registry_type::kString, std::move(data)});
    };
    text("Servidor", std::string("srv\0", 4));
    text("Stored", std::string("Error\0", 6));
    text("Long", std::string(255, 'x') + '\0');
    text("BlanksBeforeZero", std::string("ab  \0zz\0", 8));
    text("???", std::string("unrepresentable\0", 16));
    registry.Set(kHklm, kKey, "NoZero", {kestrel::registry_type::kBinary, std::string(255, 'b')});
    return registry;
}

// A failed read is marked failed; the 32-bit view first; an unusable root asks nothing.
TEST(ReadRegistryValue, FollowsTheFailureTableAndAsksThe32BitViewFirst) {
    constexpr std::u16string_view kLm = u"HKEY_LOCAL_MACHINE";
    const struct {
        std::u16string_view root;
        std::u16string_view subkey;
        std::u16string_view valueName;
        kestrel::RegistryValue expected;
        bool failed;
        bool incorrectFormat;
    } cases[] = {
        {kLm, kKeyText, u"Servidor", u"srv", false, false},
        {kLm, kKeyText, u"Stored", u"Error", false, false},
        {kLm, kKeyText, u"BlanksBeforeZero", u"ab", false, false},
        {kLm, kKeyText, u"NoZero", std::u16string(255, u'b'), false, false},
        {kLm, kKeyText, u"Ελλ", u"unrepresentable", false, false},
        {u"HKEY_LOCAL_MACHINE\\Software\\Other", kKeyText, u"Servidor", u"srv", false, false},
        {kLm, kKeyText, u"Missing", u"Error", true, false},
        {kLm, kKeyText, u"Long", u"Error", true, false},
        {kLm, u"Software\\Missing", u"Servidor", u"Error", true, false},
        {u"HKEY_CURRENT_USER", kKeyText, u"Servidor", u"Error", true, false},
        {u"HKEY_local_machine", kKeyText, u"Servidor", std::nullopt, false, false},
        {u"hkey_local_machine", kKeyText, u"Servidor", std::nullopt, false, true},
        {u"HKEY_LOCAL_MACHINE\\", kKeyText, u"Servidor", std::nullopt, false, true},
        {u"", kKeyText, u"Servidor", std::nullopt, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.root.begin(), c.root.end()) + " " +
                     std::string(c.subkey.begin(), c.subkey.end()) + " " +
                     std::string(c.valueName.begin(), c.valueName.end()));
        FakeRegistry registry = Stored();
        RecordingWindowServices services;

        const kestrel::RegistryRead read =
            kestrel::ReadRegistryValue(registry, services, c.root, c.subkey, c.valueName);

        EXPECT_EQ(read.value, c.expected);
        EXPECT_EQ(read.failed, c.failed);
        if (c.incorrectFormat) {
            ASSERT_EQ(services.messages.size(), 1u);
            EXPECT_EQ(services.messages[0].text, u"Incorrect Format:\n\n" + std::u16string(c.root));
        } else {
            EXPECT_TRUE(services.messages.empty());
        }
        using Masks = std::vector<std::uint32_t>;
        Masks masks;
        for (const auto& call : registry.openCalls) {
            EXPECT_EQ(call.subkey, std::string(c.subkey.begin(), c.subkey.end()));
            masks.push_back(call.accessMask);
        }
        const bool keyThere = c.root.starts_with(kLm) && c.subkey == kKeyText;
        const Masks expected = !c.expected ? Masks{}
                               : keyThere  ? Masks{kRead32}
                                           : Masks{kRead32, kRead64};
        EXPECT_EQ(masks, expected);
        EXPECT_EQ(registry.OpenKeyCount(), 0u);
    }
}

}  // namespace
