#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace tessaro {

// Items handed from one thread to another, `Depth` at most waiting, so that both run at once
// and the memory stays small. Either end may close it: the one that gives once all is given,
// the one that takes when it fails.
template <typename Item, size_t Depth>
class BoundedQueue {
public:
    // Waits while the queue is full; false once it is closed.
    bool Push(Item item) {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return items.size() < Depth || closed; });
        if (closed) {
            return false;
        }
        items.push_back(std::move(item));
        changed.notify_all();
        return true;
    }
    // The next item, waiting for it; none once the queue is closed and empty.
    std::optional<Item> Pop() {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return !items.empty() || closed; });
        if (items.empty()) {
            return std::nullopt;
        }
        Item item = std::move(items.front());
        items.pop_front();
        changed.notify_all();
        return item;
    }
    void Close() {
        const std::lock_guard<std::mutex> guard(lock);
        closed = true;
        changed.notify_all();
    }
    bool Closed() {
        const std::lock_guard<std::mutex> guard(lock);
        return closed;
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Item> items;
    bool closed = false;
};

}  // namespace tessaro
