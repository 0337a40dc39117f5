// The inspection pass against the TDS test server on loopback: Kestrel's pass (timer fired to last
// box written) beside the raw ODBC floor on the same driver, and FreeTDS's tsql doing login and
// both statements as a whole process. Prints medians; docs/benchmarks.md has the command.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window_handlers.h"
#include "bench/pass/raw_odbc_pass.h"
#include "connection/odbc/driver_connection_string.h"
#include "connection/ole_db/connection_string.h"
#include "inspection/inspection_pass.h"
#include "support/quintara_settings.h"
#include "support/recording_window_services.h"
#include "support/scenario.h"
#include "support/scripted_prompt.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
    std::ranges::sort(values);
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<double> Time(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(Milliseconds(Clock::now() - start));
    }
    return times;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const Scenario scenario;
    TdsTestServer server(scenario.Json());
    const std::string port = std::to_string(server.port());

    QuintaraSettings settings;
    settings.servidor = "127.0.0.1," + port;
    settings.password = scenario.password;
    RecordingWindowServices services;
    FakeRegistry registry;
    settings.StoreIn(registry);
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers(services, registry, prompt);

    const auto loginStart = Clock::now();
    handlers.cmdQuintara_Click();
    const double loginMs = Milliseconds(Clock::now() - loginStart);
    if (!services.messages.empty() || !services.timerEnabled) {
        std::fprintf(stderr, "the connect failed\n");
        return 1;
    }
    handlers.Timer1_Timer();
    const std::size_t logins = server.count("LOGIN OK");
    const std::size_t statements = server.count("BATCH") + server.count("RPC");
    if (services.Text(kestrel::TextBox::txtLocalBD).empty() || !services.messages.empty()) {
        std::fprintf(stderr, "the pass failed\n");
        return 1;
    }

    // The same ODBC connection string that Kestrel's connect handed to the driver.
    const std::u16string oleDb =
        U16("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Quintara;Data Source=127.0.0.1," +
            port + ";Network Library=dbmssocn");
    RawOdbcPass raw(kestrel::DriverConnectionString(
        kestrel::DescribeConnection(oleDb, u"", U16(scenario.password)), u"FreeTDS"));
    // The timer runs one pass per connect; here the pass runs again and again on one connection.
    kestrel::Connection cnBanco;
    cnBanco.Open(oleDb, u"", U16(scenario.password));
    // Alternating, so that a change in the machine's load falls on both alike.
    std::vector<double> kestrelPass;
    std::vector<double> floorPass;
    for (int i = 0; i < runs; ++i) {
        kestrelPass.push_back(
            Time(1, [&] { kestrel::RunInspectionPass(services, cnBanco, u"Quintara"); })[0]);
        floorPass.push_back(Time(1, [&] { raw.Run(u"Quintara"); })[0]);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    const std::string tsql =
        "printf \"SELECT  SERVERPROPERTY('productversion'), SERVERPROPERTY "
        "('productlevel'), SERVERPROPERTY ('edition')\\ngo\\nsp_helpdb "
        "N'Quintara'\\ngo\\nexit\\n\" | tsql -H 127.0.0.1 -p " +
        port + " -U sa -P '" + scenario.password + "' -D Quintara >/dev/null 2>&1";
    const auto tsqlRuns = Time(std::min(runs, 20), [&] {
        if (std::system(tsql.c_str()) != 0) {
            std::fprintf(stderr, "tsql failed\n");
        }
    });

    const double kestrelMs = Median(kestrelPass);
    const double floorMs = Median(floorPass);
    std::printf("median of %d passes on one connection, test server on loopback\n", runs);
    std::printf("%-40s %10.3f ms\n", "Kestrel pass (timer to last box)", kestrelMs);
    std::printf("%-40s %10.3f ms\n", "raw ODBC, same statements (floor)", floorMs);
    std::printf("%-40s %10.3f ms\n", "tsql process: login + both statements", Median(tsqlRuns));
    std::printf("%-40s %10.3f ms\n", "Kestrel connect (\"Ler Quintara...\")", loginMs);
    std::printf("%-40s %10.1f MB\n", "peak RSS after the passes", usage.ru_maxrss / 1024.0);
    std::printf("pass / floor: %.2f x (target <= 1.2)\n", kestrelMs / floorMs);
    std::printf("per connect: %zu login(s), %zu statement round trip(s) (target: 1 and 2)\n",
                logins, statements);
    return 0;
}
