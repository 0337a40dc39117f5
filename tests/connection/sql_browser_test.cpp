// Browser answers the test server never sends (other protocols, damage), and the names listed.
#include "connection/browser/sql_browser.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/failure_of.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

namespace {

// Each instance's name, port and a "tcp" field that names no port.
using Instances = std::vector<
    std::tuple<std::u16string, std::optional<std::uint16_t>, std::optional<std::u16string>>>;

// SVR_RESP: its stated size, by default the data's own.
std::string Answer(const std::string& data, std::optional<std::size_t> stated = std::nullopt) {
    const std::size_t size = stated.value_or(data.size());
    return std::string("\x05", 1) + char(size & 0xFF) + char(size >> 8) + data;
}

TEST(SqlBrowserAnswer, ReadsTheInstancesAndTheirTcpPorts) {
    const std::string yukon =
        "ServerName;ILSUNG1;InstanceName;YUKONSTD;IsClustered;No;Version;9.00.1399.06;tcp;57137;;";
    const struct {
        const char* what;
        std::string datagram;
        std::optional<Instances> instances;
    } cases[] = {
        {"one instance", Answer(yukon), Instances{{u"YUKONSTD", 57137, std::nullopt}}},
        {"a list: named pipes only, then both",
         Answer("ServerName;S;InstanceName;PIPES;IsClustered;No;Version;9.00.1399.06;"
                "np;\\\\S\\pipe\\MSSQL$PIPES\\sql\\query;;"
                "ServerName;S;InstanceName;MSSQLSERVER;IsClustered;No;Version;10.50.4000.0;"
                "np;\\\\S\\pipe\\sql\\query;tcp;1433;;"),
         Instances{{u"PIPES", std::nullopt, std::nullopt}, {u"MSSQLSERVER", 1433, std::nullopt}}},
        {"keywords in any letter case, a name in the ANSI code page",
         Answer("SERVERNAME;S;instancename;CAF\xc9;TCP;1500;;"),
         Instances{{u"CAFÉ", 1500, std::nullopt}}},
        {"ports that are not one",
         Answer("InstanceName;A;tcp;0;;InstanceName;B;tcp;65536;;InstanceName;C;tcp;12a4;;"),
         Instances{{u"A", std::nullopt, u"0"},
                   {u"B", std::nullopt, u"65536"},
                   {u"C", std::nullopt, u"12a4"}}},
        {"bytes past the stated size are not read",
         Answer(yukon + "InstanceName;X;tcp;1;;", yukon.size()),
         Instances{{u"YUKONSTD", 57137, std::nullopt}}},
        {"a size past the datagram's end", Answer(yukon, yukon.size() + 1), std::nullopt},
        {"the last of two tcp fields", Answer("InstanceName;A;tcp;x;tcp;1433;;"),
         Instances{{u"A", 1433, std::nullopt}}},
        {"a last field without its \";\"", std::string("\x05\x03\0abc", 6), std::nullopt},
        {"a key without its value", Answer("InstanceName;"), std::nullopt},
        {"not an answer", std::string("\x04YUKONSTD\0", 10), std::nullopt},
        {"too short to be one", std::string("\x05\x01", 2), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto read = kestrel::ReadSqlBrowserAnswer(c.datagram);
        ASSERT_EQ(read.has_value(), c.instances.has_value());
        if (read) {
            Instances instances;
            for (const kestrel::BrowserInstance& instance : *read) {
                instances.emplace_back(instance.name, instance.tcpPort, instance.unusableTcpPort);
            }
            EXPECT_EQ(instances, *c.instances);
        }
    }
}

// Names reach the message as signs, each cut, the first ten, then how many more.
TEST(SqlBrowser, NamesTheInstancesOfAnUnknownOneAsSignsWithinBounds) {
    Scenario scenario;
    scenario.address = "own";
    scenario.browserInstances = {"OUTRA\r\n\r\nTeste de conexao concluido com exito.\r\n",
                                 std::string("NUL\0FIM", 7)};
    for (int i = 3; i <= 12; ++i) {
        scenario.browserInstances.push_back("I" + std::to_string(i));
    }
    const TdsTestServer server(scenario.Json());
    const kestrel::Failure failure = FailureOf([&] {
        kestrel::AskSqlBrowserForPort(U16(server.address()), u"QUINTARA", std::chrono::seconds(3));
    });
    EXPECT_EQ(failure.description,
              u"O serviço SQL Server Browser do servidor \"" + U16(server.address()) +
                  u"\" respondeu, mas não conhece a instância \"QUINTARA\". Instâncias desse "
                  u"servidor: OUTRA\u240D\u240A\u240D\u240ATeste d…, NUL\u2400FIM, I3, I4, I5, I6, "
                  u"I7, I8, I9, I10 e mais 2. Verifique o nome da instância.");
}

}  // namespace
