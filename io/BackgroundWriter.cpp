#include "io/BackgroundWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tessaro {
namespace {

// Writes all of bytes at the descriptor's position; the errno of a failure, else 0.
int WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, size_t(left));
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return done < 0 ? errno : ENOSPC;
        }
        data += done;
        left -= done;
    }
    return 0;
}

}  // namespace

BackgroundWriter::BackgroundWriter(int fd) : fd(fd), thread([this] { Run(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !busy; });
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

bool BackgroundWriter::Hand(QByteArray& bytes) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !busy; });
    if (error != 0) {
        return false;
    }
    std::swap(pending, bytes);
    bytes.resize(0);
    busy = true;
    lock.unlock();
    changed.notify_all();
    return true;
}

bool BackgroundWriter::Drain() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !busy; });
    return error == 0;
}

int BackgroundWriter::Error() const {
    std::lock_guard<std::mutex> lock(mutex);
    return error;
}

void BackgroundWriter::Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return busy || stopping; });
        if (!busy) {
            return;
        }
        // After a failure nothing more is written: the file is given up.
        const bool givenUp = error != 0;
        lock.unlock();
        const int failure = givenUp ? 0 : WriteAll(fd, pending);
#ifdef SYNC_FILE_RANGE_WRITE
        // Start writing back what is written so far, so the final sync has little left to wait
        // for.
        if (failure == 0 && ++writes % 8 == 0) {
            ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        }
#endif
        lock.lock();
        error = error == 0 ? failure : error;
        busy = false;
        changed.notify_all();
    }
}

}  // namespace tessaro
