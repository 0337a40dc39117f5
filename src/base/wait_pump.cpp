#include "base/wait_pump.h"

#include <algorithm>
#include <thread>

namespace kestrel {

namespace {

using namespace std::chrono_literals;

// A quick answer (most are below a millisecond) is taken without touching the window; past this
// the window gets its events every slice, well within what a user sees as a live window.
constexpr auto kUnseen = 100ms;
constexpr auto kSlice = 20ms;

WaitPump* g_pump = nullptr;
std::thread::id g_pumpThread;
bool g_waiting = false;

}  // namespace

void InstallWaitPump(WaitPump* pump) {
    g_pump = pump;
    g_pumpThread = std::this_thread::get_id();
}

bool WaitPumping(const std::function<bool(std::chrono::milliseconds)>& waitFor,
                 std::chrono::steady_clock::time_point deadline) {
    using Clock = std::chrono::steady_clock;
    const auto left = [&] {
        return std::max(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()), 0ms);
    };
    // Only the window's thread has a window to keep alive, and a wait started by the pump's own
    // events (none should) does not pump again.
    WaitPump* const pump =
        g_pump != nullptr && !g_waiting && std::this_thread::get_id() == g_pumpThread ? g_pump
                                                                                      : nullptr;
    if (pump == nullptr) {
        return waitFor(left());
    }
    if (waitFor(std::min<std::chrono::milliseconds>(left(), kUnseen))) {
        return true;
    }
    g_waiting = true;
    pump->Started();
    bool came = false;
    while (!came && Clock::now() < deadline) {
        pump->Pump();
        came = waitFor(std::min<std::chrono::milliseconds>(left(), kSlice));
    }
    pump->Ended();
    g_waiting = false;
    return came;
}

bool WaitUnderWay() {
    return g_waiting;
}

}  // namespace kestrel
