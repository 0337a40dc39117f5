#pragma once

#include <functional>
#include <utility>

#include "base/wait_pump.h"

// A wait pump that runs `onPump` at each pump of a wait, and is installed while it lives.
class CallingPump : public kestrel::WaitPump {
public:
    explicit CallingPump(std::function<void()> onPump) : m_onPump(std::move(onPump)) {
        kestrel::InstallWaitPump(this);
    }
    ~CallingPump() override { kestrel::InstallWaitPump(nullptr); }
    CallingPump(const CallingPump&) = delete;
    CallingPump& operator=(const CallingPump&) = delete;

    void Started() override {}
    void Pump() override { m_onPump(); }
    void Ended() override {}

private:
    std::function<void()> m_onPump;
};
