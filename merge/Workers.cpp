#include "merge/Workers.h"

#include <algorithm>

#include "io/Threads.h"

namespace tessaro {

Workers::Workers(int count, std::function<void(int)> job, const char* purpose)
    : count(count), job(std::move(job)) {
    const int threadCount =
        std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(1, count));
    // Room made first: a thread started must never be dropped unjoined.
    threads.reserve(size_t(threadCount));
    try {
        for (int i = 0; i < threadCount; ++i) {
            threads.push_back(StartThread(purpose, [this] { Work(); }));
        }
    } catch (...) {
        End();
        throw;
    }
}

Workers::~Workers() {
    End();
}

void Workers::End() {
    Stop();
    for (std::thread& thread : threads) {
        thread.join();
    }
}

void Workers::Work() {
    try {
        for (int i = next++; i < count && !stopping; i = next++) {
            job(i);
        }
    } catch (...) {
        // Raised again where the items are awaited: a thread that ends by an exception ends the
        // process.
        const std::lock_guard<std::mutex> guard(lock);
        failure = failure ? failure : std::current_exception();
        stopping = true;
    }
    const std::lock_guard<std::mutex> guard(lock);
    ++finished;
    threadFinished.notify_all();
}

bool Workers::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(lock);
    const bool done =
        threadFinished.wait_for(guard, timeout, [this] { return finished == int(threads.size()); });
    if (done && failure) {
        std::rethrow_exception(failure);
    }
    return done;
}

}  // namespace tessaro
