#pragma once

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace tessaro {

// Raised where the system starts no more threads, short of memory (or of threads): like
// std::bad_alloc, it can only end the work that needed one. Says what the thread was to do.
class ThreadRefused : public std::exception {
public:
    // `purpose` is a literal, as "writing the output": nothing is allocated for it.
    explicit ThreadRefused(const char* purpose) : purpose(purpose) {}
    const char* what() const noexcept override { return purpose; }

private:
    const char* purpose;
};

// A thread running `work`; raises ThreadRefused naming `purpose` where the system starts none.
template <typename Work>
std::thread StartThread(const char* purpose, Work&& work) {
    try {
        return std::thread(std::forward<Work>(work));
    } catch (const std::system_error&) {
        throw ThreadRefused(purpose);
    }
}

}  // namespace tessaro
