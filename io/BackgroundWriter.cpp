#include "io/BackgroundWriter.h"

#include <fcntl.h>

#include <cerrno>
#include <utility>

#include "io/Files.h"

namespace tessaro {

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

bool BackgroundWriter::Hand(QByteArray& bytes, qint64 at) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !busy; });
    if (error != 0) {
        return false;
    }
    std::swap(pending, bytes);
    pendingAt = at;
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
        errno = 0;
        const bool written =
            givenUp || WriteAllAt(fd, pending.constData(), pending.size(), pendingAt);
        // A write that takes nothing and says nothing can only mean a full disk.
        const int failure = written ? 0 : errno != 0 ? errno : ENOSPC;
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
