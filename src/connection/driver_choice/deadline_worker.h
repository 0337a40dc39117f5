#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace kestrel {

// Makes the driver's calls for one connection on a thread of its own, one job after another, so
// that the caller can stop waiting at a deadline whatever the server does: the drivers' own
// timeouts count per read, and a server that drips its answer a byte at a time defeats them. The
// SQL Server Browser's host is resolved on one too: name servers that never answer hold it.
class DeadlineWorker {
public:
    DeadlineWorker();
    // Lets the thread end once its queued jobs are done, and waits a moment for it, so that a
    // healthy connection is gone with its object. A thread that a job has held past its deadline
    // is not waited for: it ends on its own when the driver lets it go.
    ~DeadlineWorker();
    DeadlineWorker(const DeadlineWorker&) = delete;
    DeadlineWorker& operator=(const DeadlineWorker&) = delete;

    // Queues `job` and returns at once. Whatever the job holds is released on the worker's thread.
    void Post(std::function<void()> job);

    // Runs `job` after the jobs queued before it and waits for it until `deadline`: true when it
    // ended in time (its exception is thrown again here), false when the deadline came first. The
    // job then goes on, and what it holds lives until it ends. The window lives meanwhile
    // (WaitPumping).
    bool Run(std::function<void()> job, std::chrono::steady_clock::time_point deadline);

    // How many workers' threads are running, those left to the driver included.
    static int RunningThreads();

private:
    struct Queue;
    std::shared_ptr<Queue> m_queue;
    std::thread m_thread;
    bool m_overrun = false;
};

}  // namespace kestrel
