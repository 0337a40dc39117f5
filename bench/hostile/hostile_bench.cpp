// Kestrel against hostile servers, the TDS test server's fault modes on loopback, with the real
// timeouts: how long each wait lasts, what a flood of server messages and two huge values cost, and
// whether file descriptors and memory stay steady over many connects. Every memory figure comes
// from a process of its own (the bench starts itself again), so that its peak is its own.
//
//     hostile_bench              all of it (about three minutes, most of it the waits)
//     hostile_bench waits | flood N | huge N | connects N
#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "base/failure.h"
#include "connection/database_access.h"
#include "connection/database_error.h"
#include "connection/driver_choice/deadline_worker.h"
#include "inspection/inspection_pass.h"
#include "support/recording_window_services.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// A figure of /proc/self/status (VmRSS, VmHWM) in MB.
double StatusMegabytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(field + ":")) {
            return std::atof(line.c_str() + field.size() + 1) / 1024;
        }
    }
    return 0;
}

int OpenFileDescriptors() {
    int count = 0;
    if (DIR* fds = opendir("/proc/self/fd")) {
        while (readdir(fds)) {
            ++count;
        }
        closedir(fds);
    }
    return count - 3;  // ".", ".." and the directory's own
}

std::u16string OleDbString(const TdsTestServer& server) {
    return U16("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Quintara;Data Source=127.0.0.1," +
               std::to_string(server.port()));
}

Scenario WithFaults(const std::string& faults) {
    Scenario scenario;
    scenario.faults = faults;
    return scenario;
}

void Waits() {
    struct Case {
        const char* what;
        std::string faults;
    };
    const Case cases[] = {
        {"log-on never answered", R"({"stall": true})"},
        {"log-on answer dripping 1 byte/s", R"({"drip_on": "login"})"},
        {"silent after the log-on", R"({"stall_after_login": true})"},
        {"half an answer", R"({"half_answer_on": "serverproperty"})"},
        {"sql_variant with a false length", R"({"false_variant_length": true})"},
        {"query answer dripping 1 byte/s", R"({"drip_on": "serverproperty"})"},
    };
    std::printf("Waits, with the real timeouts (log-on 15 s, each command 30 s)\n");
    for (const Case& c : cases) {
        const Scenario scenario = WithFaults(c.faults);
        TdsTestServer server(scenario.Json());
        kestrel::Connection connection;
        const auto start = Clock::now();
        std::int32_t number = 0;
        try {
            connection.Open(OleDbString(server), u"sa", U16(scenario.password));
            kestrel::Recordset properties;
            properties.Open(kestrel::kServerPropertyQuery, connection);
        } catch (const kestrel::Failure& failure) {
            number = failure.number;
        }
        std::printf("  %-36s %5.1f s  %s\n", c.what, Seconds(Clock::now() - start),
                    number == kestrel::database_error::kTimeout ? "timeout message" : "OTHER");
        std::fflush(stdout);
    }
}

void Flood(int records) {
    const Scenario scenario = WithFaults(R"({"error_records": )" + std::to_string(records) + "}");
    TdsTestServer server(scenario.Json());
    double before = 0;
    double waited = 0;
    auto start = Clock::now();
    {
        kestrel::Connection connection;
        connection.Open(OleDbString(server), u"sa", U16(scenario.password));
        before = StatusMegabytes("VmRSS");
        start = Clock::now();
        try {
            kestrel::Recordset properties;
            properties.Open(kestrel::kServerPropertyQuery, connection);
        } catch (const kestrel::Failure&) {
        }
        waited = Seconds(Clock::now() - start);
    }
    // A call given up at its timeout goes on in the driver: how long it keeps its thread busy.
    while (kestrel::DeadlineWorker::RunningThreads() > 0 && Seconds(Clock::now() - start) < 600) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::printf(
        "  %7d error records   waited %8.1f ms   driver done after %4.0f s   peak %6.1f MB "
        "(%5.1f MB over the connected program)\n",
        records, waited * 1000, Seconds(Clock::now() - start), StatusMegabytes("VmHWM"),
        StatusMegabytes("VmHWM") - before);
}

void Huge(int chars) {
    const Scenario scenario = WithFaults(R"({"value_chars": )" + std::to_string(chars) + "}");
    TdsTestServer server(scenario.Json());
    kestrel::Connection connection;
    connection.Open(OleDbString(server), u"sa", U16(scenario.password));
    RecordingWindowServices services;
    const double before = StatusMegabytes("VmRSS");
    const auto start = Clock::now();
    kestrel::RunInspectionPass(services, connection, u"Quintara");
    std::printf(
        "  3 values of %9d characters   pass %8.1f ms   peak %6.1f MB (%6.1f MB over "
        "the connected program)   version box %zu characters\n",
        chars, Seconds(Clock::now() - start) * 1000, StatusMegabytes("VmHWM"),
        StatusMegabytes("VmHWM") - before, services.Text(kestrel::TextBox::txtVersao).size());
}

void Connects(int count) {
    const Scenario scenario;
    TdsTestServer server(scenario.Json());
    RecordingWindowServices services;
    std::printf("  connects   open fds   RSS (MB)   driver threads\n");
    for (int i = 1; i <= count; ++i) {
        {
            kestrel::Connection connection;
            connection.Open(OleDbString(server), u"sa", U16(scenario.password));
            kestrel::RunInspectionPass(services, connection, u"Quintara");
        }
        if (i == 1 || i == 10 || i == 100 || i % 1000 == 0) {
            std::printf("  %8d   %8d   %8.1f   %14d\n", i, OpenFileDescriptors(),
                        StatusMegabytes("VmRSS"), kestrel::DeadlineWorker::RunningThreads());
        }
    }
}

// Runs this bench again with `arguments`, so that the figures are of a process of its own.
void Again(const std::string& arguments) {
    std::fflush(stdout);
    if (std::system(("/proc/self/exe " + arguments).c_str()) != 0) {
        std::printf("  (%s failed)\n", arguments.c_str());
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string what = argc > 1 ? argv[1] : "all";
    const int n = argc > 2 ? std::atoi(argv[2]) : 0;
    if (what == "waits") {
        Waits();
    } else if (what == "flood") {
        Flood(n);
    } else if (what == "huge") {
        Huge(n);
    } else if (what == "connects") {
        Connects(n);
    } else if (what == "all") {
        std::printf("A flood of server messages: the SERVERPROPERTY query answered with errors\n");
        for (const char* records : {"10000", "20000", "50000", "100000"}) {
            Again(std::string("flood ") + records);
        }
        std::printf("Huge values: SERVERPROPERTY's three values of that many characters\n");
        for (const char* chars : {"1000000", "10000000", "100000000"}) {
            Again(std::string("huge ") + chars);
        }
        std::printf("Connects, each with its pass, on one healthy server\n");
        Again("connects 1000");
        Waits();
    } else {
        std::fprintf(stderr, "usage: %s [waits | flood N | huge N | connects N]\n", argv[0]);
        return 2;
    }
    return 0;
}
