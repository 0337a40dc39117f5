#pragma once

#include <chrono>
#include <functional>

namespace kestrel {

// While the window's thread waits for something outside the program (a server's answer, the SQL
// Server Browser's), the front end keeps the window alive: it repaints, shows the busy pointer,
// takes no clicks, and a request to close it ends the program at once, abandoning the wait.
class WaitPump {
public:
    virtual ~WaitPump() = default;

    // A wait has gone on long enough to be seen.
    virtual void Started() = 0;
    // Handles the window's pending events, without waiting for more.
    virtual void Pump() = 0;
    // The wait is over.
    virtual void Ended() = 0;
};

// Installs `pump` (nullptr: none) for the calling thread, the window's; waits on any other thread
// simply block, as do all waits without a pump.
void InstallWaitPump(WaitPump* pump);

// Waits until `waitFor`, which blocks at most the time it is given, says that what it awaits has
// come (true), or until `deadline` (false), letting the pump handle the window's events meanwhile.
bool WaitPumping(const std::function<bool(std::chrono::milliseconds)>& waitFor,
                 std::chrono::steady_clock::time_point deadline);

// Whether a wait of the window's thread is under way: the window's rules then run no command but
// the one that ends the program, so that handlers run one at a time.
bool WaitUnderWay();

}  // namespace kestrel
