// A system.reg that is damaged, or not written as Wine writes it, read as the program reads it.
#include <gtest/gtest.h>

#include <string>

#include "support/one_file_registry.h"

namespace {

template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

const std::string kHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
const std::string kKeyLine =
    "\n[Software\\\\Norvik\\\\Database] 1796584402\n#time=1dd85b5dc54998e\n";
const std::string kServer = "\"Servidor\"=\"srv\"\n";

// Quintara's key with `lines` between two intact values.
std::string QuintaraKeyWith(std::string_view lines) {
    return kHeader + kKeyLine + "\"BancoBados\"=\"Quintara\"\n" + std::string(lines) +
           "\n\"NameUser\"=\"suporte\"\n";
}

// Damage reads as missing ("Error"), the values around it as written; as Wine tolerates, so do we.
TEST(WineRegistryDamage, DamageReadsAsMissingAndWhatWineToleratesIsRead) {
    const struct {
        const char* what;
        std::string file;
        std::u16string server;
    } cases[] = {
        {"truncated text", QuintaraKeyWith("\"Servidor\"=\"srv-qu"), u"Error"},
        {"unknown escape", QuintaraKeyWith("\"Servidor\"=\"srv\\q\""), u"Error"},
        {"raw byte above ASCII", QuintaraKeyWith("\"Servidor\"=\"s\xE3o\""), u"Error"},
        {"raw zero", QuintaraKeyWith(Bytes("\"Servidor\"=\"s\0v\"")), u"Error"},
        {"text after the quote", QuintaraKeyWith("\"Servidor\"=\"srv\"x"), u"Error"},
        {"truncated dword", QuintaraKeyWith("\"Servidor\"=dword:0000001"), u"Error"},
        {"single hex digit", QuintaraKeyWith("\"Servidor\"=hex:4,42"), u"Error"},
        {"text after a continuation mark", QuintaraKeyWith("\"Servidor\"=hex:41,\\ 42\n  43"),
         u"Error"},
        {"unknown data tag", QuintaraKeyWith("\"Servidor\"=text:\"srv\""), u"Error"},
        {"no header", kKeyLine + kServer, u"Error"},
        {"key line without bracket", kHeader + "[Software\\\\Norvik\\\\Database 1\n" + kServer,
         u"Error"},
        {"key line with a leading backslash",
         kHeader + "[\\\\Software\\\\Norvik\\\\Database]\n" + kServer, u"Error"},
        // Values under a damaged key line belong to no key, not to the key before it.
        {"values under a damaged key line",
         kHeader + kKeyLine + "[Software\\\\Norvik\\\\Database\n" + kServer, u"Error"},
        {"continuation at the end of the file", kHeader + kKeyLine + "\"Servidor\"=hex:41,42,\\",
         u"Error"},
        {"Windows line ends, no time",
         "WINE REGISTRY Version 2\r\n[Software\\\\Norvik\\\\Database]\r\n\"Servidor\"=\"srv\"\r\n",
         u"srv"},
        {"the later of two lines", QuintaraKeyWith("\"Servidor\"=\"old\"\n\"servidor\"=\"new\""),
         u"new"},
        {"a damaged later line leaves the earlier",
         QuintaraKeyWith("\"Servidor\"=\"old\"\n\"Servidor\"=\"new"), u"old"},
        {"hex text over lines",
         QuintaraKeyWith("\"Servidor\"=hex(1):73,00,\\\n  72,00,\\\n  76,00,00,00"), u"srv"},
        {"octal and \\x escapes", QuintaraKeyWith("\"Servidor\"=\"\\163\\x72v\\x00e3\""), u"srvã"},
    };
    OneFileRegistry registry;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry.Write(c.file);

        EXPECT_EQ(registry.Read(u"Servidor"), c.server);
        if (c.file.find("\"NameUser\"") != std::string::npos) {
            EXPECT_EQ(registry.Read(u"BancoBados"), u"Quintara");
            EXPECT_EQ(registry.Read(u"NameUser"), u"suporte");
        }
    }
}

}  // namespace
