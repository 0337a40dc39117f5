#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/reg_exe.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"
#include "support/wine.h"

// Tests that write Quintara's settings into HKEY_LOCAL_MACHINE with reg.exe, for a server on port
// 1433 of a loopback address of its own whose SQL Server Browser knows QUINTARA.
class KestrelExeWithSettings : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ThrowawayWinePrefix()) {
            GTEST_SKIP() << "writes Quintara's settings into HKEY_LOCAL_MACHINE: runs only in the "
                            "Wine prefix that scripts/test-windows.sh makes for the run";
        }
    }

    // Quintara's settings as the product writes them, for the named instance, blanks around every
    // text, and `changes` after them; in the 32-bit view, where the 32-bit Quintara writes them on
    // 64-bit Windows.
    void StoreSettings(const std::vector<RegSetting>& changes = {}) {
        std::vector<RegSetting> settings = {
            {L"GerenciadorBancoDados", L"REG_SZ", L"  SQLServer2000  "},
            {L"Servidor", L"REG_SZ", L"  " + Named() + L"  "},
            {L"BancoBados", L"REG_SZ", L"  Quintara  "},
            {L"NameUser", L"REG_SZ", L"  sa  "},
            {L"Password", L"REG_SZ", L"  " + Wide(m_scenario.password) + L"  "},
            {L"UsarSSI", L"REG_DWORD", L"1"},
        };
        settings.insert(settings.end(), changes.begin(), changes.end());
        if (!StoreWithReg(L"HKLM\\Software\\Norvik\\Database", settings, L"/reg:32")) {
            throw std::runtime_error("reg.exe did not write Quintara's settings");
        }
    }

    std::wstring Named() const { return Wide(m_server.address()) + L"\\QUINTARA"; }

    static std::wstring Wide(const std::string& utf8) {
        const std::u16string text = U16(utf8);
        return std::wstring(text.begin(), text.end());
    }

    static Scenario WithBrowser() {
        Scenario scenario;
        scenario.address = "own";
        scenario.port = 1433;
        scenario.browserInstances = {"QUINTARA"};
        scenario.password = "Çenha;São";
        return scenario;
    }

    const Scenario m_scenario = WithBrowser();
    const TdsTestServer m_server{m_scenario.Json()};
};
