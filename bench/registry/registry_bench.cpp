// "Ler Quintara..." on the registry of a Wine prefix: from the click to the connection open, with
// Quintara's settings read from the prefix's system.reg (see run.sh, which makes the prefix with
// Wine and starts the test server the settings point at). Prints the file's size, the first click,
// the median of RUNS later ones, the six reads alone on a fresh registry (median of RUNS), and the
// peak RSS. With RUNS 0, the first click only: an earlier build may take minutes a click.
//   registry_bench PREFIX [RUNS]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/main_window_handlers.h"
#include "settings/stored_connection_settings.h"
#include "settings/wine_registry.h"
#include "support/recording_window_services.h"
#include "support/scripted_prompt.h"

namespace {

using Clock = std::chrono::steady_clock;

double TimeMs(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::ranges::sort(values);
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PREFIX [RUNS]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path prefix = argv[1];
    const int runs = argc > 2 ? std::max(0, std::atoi(argv[2])) : 5;

    kestrel::WineRegistry registry(prefix);
    RecordingWindowServices services;
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers(services, registry, prompt);
    const auto click = [&] {
        services = {};
        handlers.cmdQuintara_Click();
        if (!services.messages.empty() || !services.timerEnabled || prompt.calls != 0) {
            std::fprintf(stderr, "\"Ler Quintara...\" did not connect\n");
            std::exit(1);
        }
    };
    const double firstClick = TimeMs(click);
    std::vector<double> laterClicks;
    std::vector<double> freshReads;
    for (int run = 0; run < runs; ++run) {
        laterClicks.push_back(TimeMs(click));
        // A registry of its own each time: nothing kept from an earlier read.
        kestrel::WineRegistry fresh(prefix);
        kestrel::StoredConnectionSettings settings;
        freshReads.push_back(
            TimeMs([&] { kestrel::LoadStoredSettings(fresh, services, settings); }));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    const double megabytes = std::filesystem::file_size(prefix / "system.reg") / 1048576.0;
    const double none = std::nan("");
    std::printf("%9.1f MB %12.1f ms %12.1f ms %12.1f ms %10.1f MB\n", megabytes, firstClick,
                runs > 0 ? Median(laterClicks) : none, runs > 0 ? Median(freshReads) : none,
                usage.ru_maxrss / 1024.0);
    return 0;
}
