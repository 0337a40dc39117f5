#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/registry_value_reader.h"
#include "settings/wine_registry.h"
#include "settings/wine_registry_fixture.h"
#include "support/recording_window_services.h"
#include "support/temp_wine_prefix.h"

namespace {

constexpr std::string_view kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
constexpr std::string_view kKeyLine =
    "\n[Software\\\\Norvik\\\\Database] 1796584402\n#time=1dd85b5dc54998e\n";

template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// Quintara's key with `lines` between two intact values.
std::string QuintaraKeyWith(std::string_view lines) {
    return std::string(kHeader) + std::string(kKeyLine) + "\"BancoBados\"=\"Quintara\"\n" +
           std::string(lines) + "\n\"NameUser\"=\"suporte\"\n";
}

// A registry over one system.reg that a test writes, read as the program reads it.
class OneFileRegistry {
public:
    void Write(std::string_view text) const { m_prefix.WriteFile("system.reg", text); }
    std::u16string Read(std::u16string_view valueName) {
        return kestrel::ReadRegistryValue(m_registry, m_services, u"HKEY_LOCAL_MACHINE",
                                          u"Software\\Norvik\\Database", valueName)
            .value.value_or(u"");
    }

private:
    TempWinePrefix m_prefix;
    kestrel::WineRegistry m_registry{m_prefix.path()};
    RecordingWindowServices m_services;
};

// The damaged "Servidor" value reads as missing; the values before and after it read as written.
TEST(WineRegistryDamage, ADamagedValueReadsAsMissing) {
    const struct {
        const char* what;
        std::string line;
    } cases[] = {
        {"truncated text", "\"Servidor\"=\"srv-qu"},
        {"truncated name", "\"Servid"},
        {"unknown escape", "\"Servidor\"=\"srv\\q\""},
        {"\\x without digits", "\"Servidor\"=\"srv\\xg\""},
        {"only an escaped quote", "\"Servidor\"=\"srv\\\""},
        {"raw byte above ASCII", "\"Servidor\"=\"s\xE3o\""},
        {"raw zero", Bytes("\"Servidor\"=\"s\0v\"")},
        {"text after the quote", "\"Servidor\"=\"srv\"x"},
        {"truncated dword", "\"Servidor\"=dword:0000001"},
        {"single hex digit", "\"Servidor\"=hex:4,42"},
        {"hex ending in a comma", "\"Servidor\"=hex:41,"},
        {"text after a continuation mark", "\"Servidor\"=hex:41,\\ 42\n  43"},
        {"unknown data tag", "\"Servidor\"=text:\"srv\""},
        {"binary garbage", Bytes("\xFF\xFE\0\x01[\xC3\x28\"\"=\x80\n@=\x01\n\"Servidor\"")},
    };
    OneFileRegistry registry;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry.Write(QuintaraKeyWith(c.line));

        EXPECT_EQ(registry.Read(u"Servidor"), u"Error");
        EXPECT_EQ(registry.Read(u"BancoBados"), u"Quintara");
        EXPECT_EQ(registry.Read(u"NameUser"), u"suporte");
    }
}

TEST(WineRegistryDamage, ADamagedFileOrKeyLineReadsAsMissing) {
    const std::string server = "\"Servidor\"=\"srv\"\n";
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"no header", std::string(kKeyLine) + server},
        {"misspelt header", "WINE REGISTRY Version 1\n" + std::string(kKeyLine) + server},
        {"binary garbage", Bytes("\x7F"
                                 "ELF\x02\x01\x01\0\0\0\0\xFF\xFE[\"@\n\n\x00\"=")},
        {"key line without bracket",
         std::string(kHeader) + "[Software\\\\Norvik\\\\Database 1\n" + server},
        {"key line with an unknown escape",
         std::string(kHeader) + "[Software\\\\Norvik\\\\Data\\qbase] 1\n" + server},
        {"key line with a damaged time",
         std::string(kHeader) + "[Software\\\\Norvik\\\\Database] 17x\n" + server},
        {"key line with a leading backslash",
         std::string(kHeader) + "[\\\\Software\\\\Norvik\\\\Database]\n" + server},
        // Values under a damaged key line belong to no key, not to the key before it.
        {"values under a damaged key line", std::string(kHeader) + std::string(kKeyLine) +
                                                "[Software\\\\Norvik\\\\Database\n" + server},
        {"continuation at the end of the file",
         std::string(kHeader) + std::string(kKeyLine) + "\"Servidor\"=hex:41,42,\\"},
    };
    OneFileRegistry registry;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry.Write(c.file);

        EXPECT_EQ(registry.Read(u"Servidor"), u"Error");
    }
}

TEST(WineRegistryDamage, ToleratesWhatWineToleratesWhenLoading) {
    const struct {
        const char* what;
        std::string file;
        std::u16string expected;
    } cases[] = {
        {"Windows line ends",
         "WINE REGISTRY Version 2\r\n[Software\\\\Norvik\\\\Database] "
         "1\r\n\"Servidor\"=\"srv\"\r\n",
         u"srv"},
        {"indented lines, blanks around =, no time",
         std::string(kHeader) + "  [Software\\\\Norvik\\\\Database]\n\t\"Servidor\" = \"srv\"",
         u"srv"},
        {"the later of two lines", QuintaraKeyWith("\"Servidor\"=\"old\"\n\"servidor\"=\"new\""),
         u"new"},
        {"a damaged later line leaves the earlier",
         QuintaraKeyWith("\"Servidor\"=\"old\"\n\"Servidor\"=\"new"), u"old"},
        {"the key written twice",
         QuintaraKeyWith("[Software\\\\Other]\n\"Servidor\"=\"other\"\n" + std::string(kKeyLine) +
                         "\"Servidor\"=\"srv\""),
         u"srv"},
        {"hex text over lines",
         QuintaraKeyWith("\"Servidor\"=hex(1):73,00,\\\n  72,00,\\\n  76,00,00,00"), u"srv"},
        {"octal and \\x escapes", QuintaraKeyWith("\"Servidor\"=\"\\163\\x72v\\x00e3\""), u"srvã"},
        {"DEL, which Wine writes as is",
         QuintaraKeyWith("\"Servidor\"=\"a\x7F"
                         "b\""),
         u"a\x7F"
         "b"},
    };
    OneFileRegistry registry;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry.Write(c.file);

        EXPECT_EQ(registry.Read(u"Servidor"), c.expected);
    }
}

// Random damage to the file Wine wrote: every read gives a result, none crashes.
TEST(WineRegistryDamage, RandomDamageNeverCrashes) {
    const std::string original = FixtureFileText("system.reg");
    ASSERT_FALSE(original.empty());
    OneFileRegistry registry;
    std::mt19937 random(20240607);
    for (int round = 0; round < 300; ++round) {
        std::string damaged = original;
        for (int edit = 1 + random() % 8; edit > 0 && !damaged.empty(); --edit) {
            const std::size_t at = random() % damaged.size();
            switch (random() % 3) {
                case 0:
                    damaged[at] = static_cast<char>(random());
                    break;
                case 1:
                    damaged.erase(at, 1 + random() % 16);
                    break;
                default:
                    damaged.resize(at + 1);
                    break;
            }
        }
        registry.Write(damaged);
        for (std::u16string_view name : {u"Servidor", u"UsarSSI", u"Password"}) {
            registry.Read(name);
        }
    }
}

}  // namespace
