#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// A TDS test server scenario, written as the JSON the server reads. Defaults describe an SQL Server
// 2008 R2 SP2 holding the Quintara database; tests change what they are about.
struct ScenarioFile {
    std::optional<std::string> filename = "D:\\Dados\\São Paulo\\Quintara.mdf";
    std::optional<std::string> size = "153600 KB";
};

struct ScenarioDatabase {
    std::string name = "Quintara";
    std::optional<std::string> dbSize = "     150.50 MB";
    std::vector<ScenarioFile> files = {ScenarioFile{},
                                       {"D:\\Dados\\São Paulo\\Quintara_log.ldf", "20480 KB"}};
};

struct Scenario {
    std::string serverName = "SRVTESTE";
    // "127.0.0.1", or "own" for a loopback address 127.0.0.N of the server's own.
    std::string address = "127.0.0.1";
    int port = 0;  // 0 for a free one
    // The instances an SQL Server Browser on UDP 1434 of the address knows; no Browser when empty.
    std::vector<std::string> browserInstances;
    bool browserSilent = false;
    std::optional<std::string> browserTcp;  // the port as the Browser writes it; the server's own
    bool browserNoiseFirst = false;         // an empty and a damaged datagram before each answer
    double browserDelay = 0;                // seconds before each answer
    std::string user = "sa";
    std::string password = "Senha;1}";
    // Further logins: user and password.
    std::vector<std::pair<std::string, std::string>> moreLogins;
    std::optional<std::string> productVersion = "10.50.4000.0";
    std::optional<std::string> productLevel = "SP2";
    std::optional<std::string> edition = "Standard Edition (64-bit)";
    std::vector<ScenarioDatabase> databases = {ScenarioDatabase{}};
    std::string defaultDatabase = "master";
    std::string faults = "{}";  // the "faults" object, as JSON

    std::string Json() const;
};

// On port 1433 of a loopback address of its own, where its SQL Server Browser knows QUINTARA, with
// a second database, QuintaraTreino.
inline Scenario BrowserWithTwoDatabases() {
    Scenario scenario;
    scenario.address = "own";
    scenario.port = 1433;
    scenario.browserInstances = {"QUINTARA"};
    scenario.databases.push_back({"QuintaraTreino",
                                  "     48.00 MB",
                                  {{"D:\\Dados\\Treinamento\\QuintaraTreino.mdf", "40960 KB"}}});
    return scenario;
}
