#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tessaro {

// Runs a job for each of `count` items, on as many threads as there are cores (no more than
// there are items), each item on one thread. Stops early when asked to or destroyed: jobs that
// look at Stopping() end soon, the items not begun are left. A job that raises an exception (a
// lack of memory) stops them all too; WaitFor() raises it again.
class Workers {
public:
    // Raises ThreadRefused naming `purpose` ("measuring the loudness") where the threads cannot
    // all be started.
    Workers(int count, std::function<void(int)> job, const char* purpose);
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    // Waits until every item is done (or the workers stopped), at most `timeout`; whether they
    // are. Once they are, raises what a job raised, if one did.
    [[nodiscard]] bool WaitFor(std::chrono::milliseconds timeout);
    void Stop() { stopping = true; }
    bool Stopping() const { return stopping; }

private:
    void Work();
    void End();

    const int count;
    const std::function<void(int)> job;
    std::atomic<int> next{0};
    std::atomic<bool> stopping{false};
    int finished = 0;            // threads, under `lock`
    std::exception_ptr failure;  // the first a job raised, under `lock`
    std::mutex lock;
    std::condition_variable threadFinished;
    std::vector<std::thread> threads;
};

}  // namespace tessaro
