#include "merge/Workers.h"

#include <algorithm>

namespace tessaro {

Workers::Workers(int count, std::function<void(int)> job) : count(count), job(std::move(job)) {
    const int threadCount =
        std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(1, count));
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([this] { Work(); });
    }
}

Workers::~Workers() {
    Stop();
    for (std::thread& thread : threads) {
        thread.join();
    }
}

void Workers::Work() {
    for (int i = next++; i < count && !stopping; i = next++) {
        job(i);
    }
    const std::lock_guard<std::mutex> guard(lock);
    ++finished;
    threadFinished.notify_all();
}

bool Workers::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(lock);
    return threadFinished.wait_for(guard, timeout,
                                   [this] { return finished == int(threads.size()); });
}

}  // namespace tessaro
