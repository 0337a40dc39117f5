#include "settings/stored_connection_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/wine_registry.h"
#include "settings/wine_registry_fixture.h"
#include "support/fake_registry.h"
#include "support/recording_window_services.h"

namespace {

using kestrel::RegistryValue;
using kestrel::StoredConnectionSettings;

constexpr kestrel::RootKeyHandle kHklm = kestrel::root_key::kLocalMachine;
constexpr char kKey[] = "Software\\Norvik\\Database";

struct StoredText {
    const char* name;
    const char* text;  // nullptr: the value is absent
};

// Quintara's settings, all text, with `changes` applied.
FakeRegistry QuintaraRegistry(const std::vector<StoredText>& changes) {
    FakeRegistry registry;
    std::map<std::string, const char*> values = {{"GerenciadorBancoDados", "SQLServer2000"},
                                                 {"Servidor", "srv.norvik.local"},
                                                 {"BancoBados", "Quintara"},
                                                 {"NameUser", "suporte"},
                                                 {"Password", "fixture-only"},
                                                 {"UsarSSI", "1"}};
    for (const StoredText& change : changes) {
        values[change.name] = change.text;
    }
    for (const auto& [name, text] : values) {
        if (text != nullptr) {
            registry.Set(kHklm, kKey, name,
                         {kestrel::registry_type::kString, text + std::string(1, '\0')});
        }
    }
    return registry;
}

// Compares the password without printing it, even when the test fails.
void ExpectSettings(const StoredConnectionSettings& actual,
                    const StoredConnectionSettings& expected) {
    EXPECT_EQ(actual.strGerenciador, expected.strGerenciador);
    EXPECT_EQ(actual.strServidor, expected.strServidor);
    EXPECT_EQ(actual.strBancoDados, expected.strBancoDados);
    EXPECT_EQ(actual.strUsuario, expected.strUsuario);
    EXPECT_TRUE(actual.strSenha == expected.strSenha) << "strSenha differs";
}

const StoredConnectionSettings kComplete = {u"SQLServer2000", u"srv.norvik.local", u"Quintara",
                                            u"suporte", u"fixture-only"};

StoredConnectionSettings CompleteWith(std::u16string StoredConnectionSettings::*field,
                                      std::u16string_view text) {
    StoredConnectionSettings settings = kComplete;
    settings.*field = text;
    return settings;
}

// A value that could not be read holds "Error" and, when it would be sent to a server, makes the
// settings unusable, as an empty one does; a manager type that could not be read does not, so that
// "Error" is refused with its message.
TEST(LoadStoredSettings, FillsTheFieldsForEachRegistryState) {
    using S = StoredConnectionSettings;
    const std::string chars255(255, 'x');
    const struct {
        const char* what;
        std::vector<StoredText> changes;
        StoredConnectionSettings expected;
        RegistryValue varUsarSSI;
        bool usable;
    } cases[] = {
        {"all present", {}, kComplete, u"1", true},
        {"manager type absent",
         {{"GerenciadorBancoDados", nullptr}},
         CompleteWith(&S::strGerenciador, u"Error"),
         u"1",
         true},
        {"manager type and server absent",
         {{"GerenciadorBancoDados", nullptr}, {"Servidor", nullptr}},
         {u"Error", u"Error", u"Quintara", u"suporte", u"fixture-only"},
         u"1",
         true},
        {"server absent",
         {{"Servidor", nullptr}},
         CompleteWith(&S::strServidor, u"Error"),
         u"1",
         false},
        {"server of 255 characters",
         {{"Servidor", chars255.c_str()}},
         CompleteWith(&S::strServidor, u"Error"),
         u"1",
         false},
        {"server stored as the text Error",
         {{"Servidor", "Error"}},
         CompleteWith(&S::strServidor, u"Error"),
         u"1",
         true},
        {"only the usual spelling",
         {{"BancoBados", nullptr}, {"BancoDados", "Quintara"}},
         CompleteWith(&S::strBancoDados, u"Error"),
         u"1",
         false},
        {"login name absent, integrated security",
         {{"NameUser", nullptr}},
         CompleteWith(&S::strUsuario, u"Error"),
         u"1",
         true},
        {"login name absent, server login",
         {{"NameUser", nullptr}, {"UsarSSI", "0"}},
         CompleteWith(&S::strUsuario, u"Error"),
         u"0",
         false},
        {"password absent, server login",
         {{"Password", nullptr}, {"UsarSSI", nullptr}},
         CompleteWith(&S::strSenha, u"Error"),
         u"Error",
         false},
        {"UsarSSI absent", {{"UsarSSI", nullptr}}, kComplete, u"Error", true},
        {"UsarSSI 0", {{"UsarSSI", "0"}}, kComplete, u"0", true},
        {"server empty", {{"Servidor", ""}}, CompleteWith(&S::strServidor, u""), u"1", false},
        {"server of blanks", {{"Servidor", "  "}}, CompleteWith(&S::strServidor, u""), u"1", false},
        {"manager type empty",
         {{"GerenciadorBancoDados", ""}},
         CompleteWith(&S::strGerenciador, u""),
         u"1",
         false},
        {"database name empty",
         {{"BancoBados", ""}},
         CompleteWith(&S::strBancoDados, u""),
         u"1",
         false},
        {"login name empty", {{"NameUser", ""}}, CompleteWith(&S::strUsuario, u""), u"1", true},
        {"password empty", {{"Password", ""}}, CompleteWith(&S::strSenha, u""), u"1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry registry = QuintaraRegistry(c.changes);
        RecordingWindowServices services;
        StoredConnectionSettings settings{u"old", u"old", u"old", u"old", u"old"};

        const kestrel::StoredSettingsReads reads =
            kestrel::LoadStoredSettings(registry, services, settings);

        ExpectSettings(settings, c.expected);
        EXPECT_EQ(reads.varUsarSSI, c.varUsarSSI);
        EXPECT_EQ(kestrel::StoredSettingsUsable(settings, reads), c.usable);
    }
}

// The manager type could not be read either: the settings count as usable, and the manager type
// "Error" is refused later, before anything is sent.
TEST(LoadStoredSettings, WithoutTheKeyEveryFieldReadsError) {
    FakeRegistry registry;
    RecordingWindowServices services;
    StoredConnectionSettings settings;

    const kestrel::StoredSettingsReads reads =
        kestrel::LoadStoredSettings(registry, services, settings);

    ExpectSettings(settings, {u"Error", u"Error", u"Error", u"Error", u"Error"});
    EXPECT_EQ(reads.varUsarSSI, u"Error");
    EXPECT_TRUE(kestrel::StoredSettingsUsable(settings, reads));
}

TEST(LoadStoredSettings, ReadsEachValueAfreshInQuintarasOrder) {
    FakeRegistry registry = QuintaraRegistry({});
    RecordingWindowServices services;
    StoredConnectionSettings settings;

    kestrel::LoadStoredSettings(registry, services, settings);
    registry.Set(kHklm, kKey, "Servidor", {kestrel::registry_type::kString, std::string(1, '\0')});
    kestrel::LoadStoredSettings(registry, services, settings);

    const std::vector<std::string> order = {
        "GerenciadorBancoDados", "Servidor", "BancoBados", "NameUser", "Password", "UsarSSI"};
    EXPECT_EQ(std::vector(registry.queriedNames.begin(), registry.queriedNames.begin() + 6), order);
    EXPECT_EQ(std::vector(registry.queriedNames.begin() + 6, registry.queriedNames.end()), order);
    EXPECT_EQ(registry.openCalls.size(), 12u);
    EXPECT_EQ(settings.strServidor, u"");
}

TEST(LoadStoredSettings, ReadsTheSettingsWineWrote) {
    kestrel::WineRegistry registry(FixturePrefix());
    RecordingWindowServices services;
    StoredConnectionSettings settings;

    const kestrel::StoredSettingsReads reads =
        kestrel::LoadStoredSettings(registry, services, settings);

    ExpectSettings(settings, {u"SQLServer2000", u"srv-quintara.norvik.local", u"Quintara",
                              u"suporte", u"fixture-only"});
    // Stored as the number 1, not as the text "1".
    EXPECT_EQ(reads.varUsarSSI, u"\x01");
    EXPECT_TRUE(kestrel::StoredSettingsUsable(settings, reads));
}

}  // namespace
