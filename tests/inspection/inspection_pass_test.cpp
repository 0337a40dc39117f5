// The inspection pass end to end without a window: the handlers' rules, the real ODBC stack with
// FreeTDS, and the TDS test server on loopback.
#include <gtest/gtest.h>

#include <string>

#include "app/main_window_handlers.h"
#include "connection/data_link_string.h"
#include "support/quintara_settings.h"
#include "support/recording_window_services.h"
#include "support/scenario.h"
#include "support/scripted_prompt.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

using kestrel::MousePointer;
using kestrel::TextBox;

namespace {

constexpr TextBox kPassBoxes[] = {TextBox::txtVersao,
                                  TextBox::txtNivel,
                                  TextBox::txtEdicao,
                                  TextBox::txtBancoDados,
                                  TextBox::txtTamanhoBancoDados,
                                  TextBox::txtLocalBD};

class InspectionPass : public ::testing::Test {
protected:
    // "Ler Quintara..." with settings that point at a new test server, then the timer's pass.
    void ConnectStoredAndInspect(const Scenario& scenario,
                                 const std::string& database = "Quintara") {
        server = std::make_unique<TdsTestServer>(scenario.Json());
        QuintaraSettings settings;
        settings.servidor = "127.0.0.1," + std::to_string(server->port());
        settings.bancoDados = database;
        settings.password = scenario.password;
        settings.StoreIn(registry);
        handlers.cmdQuintara_Click();
        ASSERT_TRUE(services.messages.empty()) << services.messages[0].text.size();
        ExpectPassPending();
        handlers.Timer1_Timer();
    }

    // "Ler Nova Conexão..." with what a user chose in the dialog, then the timer's pass.
    void ConnectPromptAndInspect(const Scenario& scenario, const std::string& database) {
        server = std::make_unique<TdsTestServer>(scenario.Json());
        prompt.answers.push_back(kestrel::BuildDataLinkString(
            {.server = U16("127.0.0.1," + std::to_string(server->port())),
             .userName = u"sa",
             .password = U16(scenario.password),
             .database = U16(database)}));
        handlers.cmdNovaConexao_Click();
        ASSERT_TRUE(services.messages.empty());
        ExpectPassPending();
        handlers.Timer1_Timer();
    }

    // Earlier text in every box, to see which ones a pass overwrites or empties.
    void FillBoxesWithAnEarlierPass() {
        for (TextBox box : kPassBoxes) {
            services.boxes[box] = u"anterior";
        }
    }

    void ExpectPassPending() {
        EXPECT_TRUE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Busy);
    }

    void ExpectPassEnded() {
        EXPECT_FALSE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Default);
    }

    RecordingWindowServices services;
    FakeRegistry registry;
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers{
        services, registry, prompt, {std::chrono::seconds(5), std::chrono::seconds(3)}};
    std::unique_ptr<TdsTestServer> server;
};

TEST_F(InspectionPass, FillsTheSixBoxesFromTheStoredDatabase) {
    Scenario scenario;
    scenario.productLevel = " SP2 ";
    ConnectStoredAndInspect(scenario);

    EXPECT_EQ(services.Text(TextBox::txtVersao),
              u"10.50.4000.0 - SQL Server 2008 R2 Service Pack 2");
    EXPECT_EQ(services.Text(TextBox::txtNivel), u" SP2 ");
    EXPECT_EQ(services.Text(TextBox::txtEdicao), u"Standard Edition (64-bit)");
    EXPECT_EQ(services.Text(TextBox::txtBancoDados), u"Quintara");
    EXPECT_EQ(services.Text(TextBox::txtTamanhoBancoDados), u"150.50 MB");
    EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"D:\\Dados\\São Paulo\\Quintara.mdf");
    EXPECT_EQ(services.boxes.count(TextBox::txtEngineEdition), 0u);
    EXPECT_TRUE(services.messages.empty());
    ExpectPassEnded();
}

TEST_F(InspectionPass, OneLoginAndTwoStatementsPerConnect) {
    ConnectStoredAndInspect(Scenario{});
    EXPECT_EQ(server->count("LOGIN OK"), 1u);
    EXPECT_EQ(server->count("BATCH") + server->count("RPC"), 2u);
}

TEST_F(InspectionPass, NamesTheReleaseOfWhateverVersionTheServerReports) {
    struct Case {
        std::optional<std::string> version;
        std::u16string shown;
    };
    const Case cases[] = {
        {"8.00.760", u"8.00.760 - SQL Server 2000 SP3 2000"},
        {"80.760.0", u"80.760.0 - SQL Server 2000 SP3 2000"},
        {"9.00.1399.06", u"9.00.1399.06 - SQL Server 2005"},
        {"16.0.1000.6", u"16.0.1000.6 - Não identificado"},
        {"", u" - Não identificado"},
        {std::nullopt, u" - Não identificado"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version.value_or("Null"));
        Scenario scenario;
        scenario.productVersion = c.version;
        ConnectStoredAndInspect(scenario);
        EXPECT_EQ(services.Text(TextBox::txtVersao), c.shown);
        EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"D:\\Dados\\São Paulo\\Quintara.mdf");
        EXPECT_TRUE(services.messages.empty());
    }
}

// A server's values reach the boxes within a bound, with the version's release label after it,
// and with what could make a box misleading shown as visible signs.
TEST_F(InspectionPass, HugeOrMisleadingValuesAreShownWithinTheBoundAndHonestly) {
    Scenario scenario;
    scenario.productLevel = std::string("SP2\r\n\0\x1B[2J", 10);
    scenario.edition = "Standard \u202E)tib-46( Edition";
    scenario.databases[0].files[0].filename = "D:\\Dados\\\u202Efdm.exe";
    ConnectStoredAndInspect(scenario);
    EXPECT_EQ(services.Text(TextBox::txtNivel), u"SP2␍␊␀␛[2J");
    EXPECT_EQ(services.Text(TextBox::txtEdicao), u"Standard \uFFFD)tib-46( Edition");
    EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"D:\\Dados\\\uFFFDfdm.exe");

    // Three values of a million characters each, sent as ntext.
    scenario.faults = R"({"value_chars": 1000000})";
    ConnectStoredAndInspect(scenario);
    const std::u16string version = services.Text(TextBox::txtVersao);
    EXPECT_TRUE(version.starts_with(u"10.50.4000.010.50.4000.0"));
    EXPECT_NE(version.find(u" […] (valor cortado: o servidor enviou mais de 4000 caracteres) - "),
              std::u16string::npos);
    EXPECT_TRUE(version.ends_with(u" - SQL Server 2008"));
    // What a Qt or Win32 edit box holds whole.
    EXPECT_LT(version.size(), 30000u);
    EXPECT_LT(services.Text(TextBox::txtEdicao).size(), 30000u);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(InspectionPass, DatabaseNamesThatAreNotPlainIdentifiersWork) {
    for (const char* name : {"Quintara Filial", "quintara-2015", "O'Brien"}) {
        SCOPED_TRACE(name);
        Scenario scenario;
        scenario.databases[0].name = name;
        ConnectStoredAndInspect(scenario, name);
        EXPECT_EQ(services.Text(TextBox::txtBancoDados), U16(name));
        EXPECT_TRUE(services.messages.empty());
    }
}

TEST_F(InspectionPass, AfterAPromptConnectItDescribesThatConnectionsDatabase) {
    Scenario scenario;
    ScenarioDatabase vendas;
    vendas.name = "Filial São João";
    vendas.dbSize = "  12.00 MB";
    vendas.files = {{"E:\\SQL\\Filial.mdf", "12288 KB"}};
    scenario.databases.push_back(vendas);
    // The stored settings of an earlier "Ler Quintara..." name another database.
    ConnectStoredAndInspect(scenario);
    ConnectPromptAndInspect(scenario, "Filial São João");

    EXPECT_EQ(services.Text(TextBox::txtBancoDados), u"Filial São João");
    EXPECT_EQ(services.Text(TextBox::txtTamanhoBancoDados), u"12.00 MB");
    EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"E:\\SQL\\Filial.mdf");
    EXPECT_TRUE(services.messages.empty());
    ExpectPassEnded();
}

TEST_F(InspectionPass, NullValuesAreEmptyBoxesNotFailures) {
    Scenario scenario;
    scenario.productLevel = std::nullopt;
    scenario.edition = std::nullopt;
    scenario.databases[0].dbSize = std::nullopt;
    scenario.databases[0].files[0].filename = std::nullopt;
    FillBoxesWithAnEarlierPass();
    ConnectStoredAndInspect(scenario);

    EXPECT_EQ(services.Text(TextBox::txtVersao),
              u"10.50.4000.0 - SQL Server 2008 R2 Service Pack 2");
    EXPECT_EQ(services.Text(TextBox::txtNivel), u"");
    EXPECT_EQ(services.Text(TextBox::txtEdicao), u"");
    EXPECT_EQ(services.Text(TextBox::txtBancoDados), u"Quintara");
    EXPECT_EQ(services.Text(TextBox::txtTamanhoBancoDados), u"");
    EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"");
    EXPECT_TRUE(services.messages.empty());
    ExpectPassEnded();
}

// A failing pass reports in a message, empties the boxes it had not reached and lets the
// program go on.
TEST_F(InspectionPass, AFailureIsReportedAndLeavesNoEarlierDataBehind) {
    struct Case {
        const char* what;
        std::string faults;
        std::size_t boxesWritten;
        std::u16string messageHolds;
    };
    const Case cases[] = {
        {"server without SERVERPROPERTY", R"({"serverproperty_error": true})", 0,
         u"SERVERPROPERTY"},
        {"property query without rows", R"({"empty_result": "serverproperty"})", 0, u""},
        {"database result without rows", R"({"empty_result": "sp_helpdb"})", 3, u""},
        {"no file list", R"({"no_second_result": true})", 5, u"arquivos"},
        {"file list without rows", R"({"empty_result": "sp_helpdb_files"})", 5, u""},
        {"connection dropped during the property query", R"({"close_on": "serverproperty"})", 0,
         u""},
        {"connection dropped after the database row", R"({"close_on": "sp_helpdb"})", 5, u""},
        {"server slower than the query timeout", R"({"delay_ms": 6000})", 0, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scenario scenario;
        scenario.faults = c.faults;
        services.messages.clear();
        FillBoxesWithAnEarlierPass();
        ConnectStoredAndInspect(scenario);

        ASSERT_EQ(services.messages.size(), 1u);
        const std::u16string& message = services.messages[0].text;
        EXPECT_TRUE(message.starts_with(u"Erro: "));
        EXPECT_GT(message.size(), 6u);
        EXPECT_NE(message.find(c.messageHolds), std::u16string::npos);
        EXPECT_EQ(message.find(U16(scenario.password)), std::u16string::npos);
        EXPECT_EQ(services.messages[0].icon, kestrel::MessageIcon::None);
        for (std::size_t i = 0; i < std::size(kPassBoxes); ++i) {
            SCOPED_TRACE(i);
            if (i < c.boxesWritten) {
                EXPECT_NE(services.Text(kPassBoxes[i]), u"anterior");
            } else {
                EXPECT_EQ(services.Text(kPassBoxes[i]), u"");
            }
        }
        ExpectPassEnded();
    }
}

TEST_F(InspectionPass, ASecondConnectBeforeTheTimerGivesOnePassOnTheSecondConnection) {
    Scenario first;
    TdsTestServer firstServer(first.Json());
    QuintaraSettings settings;
    settings.servidor = "127.0.0.1," + std::to_string(firstServer.port());
    settings.password = first.password;
    settings.StoreIn(registry);
    handlers.cmdQuintara_Click();
    ExpectPassPending();

    Scenario second;
    second.productVersion = "11.0.5058.0";
    ConnectStoredAndInspect(second);

    EXPECT_EQ(services.Text(TextBox::txtVersao), u"11.0.5058.0 - SQL Server 2012 Service Pack 2");
    EXPECT_EQ(firstServer.count("BATCH") + firstServer.count("RPC"), 0u);
    EXPECT_EQ(server->count("BATCH") + server->count("RPC"), 2u);
}

}  // namespace
