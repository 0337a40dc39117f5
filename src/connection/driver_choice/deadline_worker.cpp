#include "connection/driver_choice/deadline_worker.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>

#include "base/wait_pump.h"

namespace kestrel {

namespace {

// Long enough for a healthy driver to free its handles; short enough not to be felt.
constexpr std::chrono::seconds kEndingGrace{2};

std::atomic<int> g_runningThreads{0};

}  // namespace

struct DeadlineWorker::Queue {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::function<void()>> jobs;
    bool closing = false;
    bool ended = false;

    void Serve() {
        std::unique_lock lock(mutex);
        while (true) {
            changed.wait(lock, [this] { return closing || !jobs.empty(); });
            if (jobs.empty()) {
                break;
            }
            std::function<void()> job = std::move(jobs.front());
            jobs.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
        }
        ended = true;
        changed.notify_all();
    }
};

DeadlineWorker::DeadlineWorker() : m_queue(std::make_shared<Queue>()) {
    ++g_runningThreads;
    m_thread = std::thread([queue = m_queue] {
        queue->Serve();
        --g_runningThreads;
    });
}

DeadlineWorker::~DeadlineWorker() {
    std::unique_lock lock(m_queue->mutex);
    m_queue->closing = true;
    m_queue->changed.notify_all();
    const bool ended = !m_overrun && m_queue->changed.wait_for(lock, kEndingGrace,
                                                               [this] { return m_queue->ended; });
    lock.unlock();
    if (ended) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
}

void DeadlineWorker::Post(std::function<void()> job) {
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->jobs.push_back(std::move(job));
    }
    m_queue->changed.notify_all();
}

bool DeadlineWorker::Run(std::function<void()> job,
                         std::chrono::steady_clock::time_point deadline) {
    auto task = std::make_shared<std::packaged_task<void()>>(std::move(job));
    std::future<void> done = task->get_future();
    Post([task] { (*task)(); });
    const bool ended = WaitPumping(
        [&](std::chrono::milliseconds most) {
            return done.wait_for(most) == std::future_status::ready;
        },
        deadline);
    if (!ended) {
        m_overrun = true;
        return false;
    }
    done.get();
    return true;
}

int DeadlineWorker::RunningThreads() {
    return g_runningThreads;
}

}  // namespace kestrel
