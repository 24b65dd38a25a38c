#include "io/BackgroundWriter.h"

#include <fcntl.h>

#include <cerrno>
#include <utility>

#include "io/Files.h"
#include "io/Threads.h"

namespace tessaro {

Piece Piece::Own(QByteArray bytes, qint64 at) {
    const auto owned = std::make_shared<const QByteArray>(std::move(bytes));
    return {owned->constData(), owned->size(), at, owned};
}

BackgroundWriter::BackgroundWriter(int fd)
    : fd(fd), thread(StartThread("writing the output", [this] { Run(); })) {}

BackgroundWriter::~BackgroundWriter() {
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return queue.empty(); });
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

bool BackgroundWriter::Hand(Piece piece) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return queue.size() < kQueueDepth; });
    if (error != 0) {
        return false;
    }
    queue.push_back(std::move(piece));
    lock.unlock();
    changed.notify_all();
    return true;
}

bool BackgroundWriter::Drain() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return queue.empty(); });
    return error == 0;
}

int BackgroundWriter::Error() const {
    std::lock_guard<std::mutex> lock(mutex);
    return error;
}

void BackgroundWriter::Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return !queue.empty() || stopping; });
        if (queue.empty()) {
            return;
        }
        // After a failure nothing more is written: the file is given up.
        const bool givenUp = error != 0;
        const Piece& piece = queue.front();
        lock.unlock();
        errno = 0;
        const bool written = givenUp || WriteAllAt(fd, piece.data, piece.length, piece.at);
        // A write that takes nothing and says nothing can only mean a full disk.
        const int failure = written ? 0 : errno != 0 ? errno : ENOSPC;
#ifdef SYNC_FILE_RANGE_WRITE
        // Start writing back what is written so far, so the final sync has little left to wait
        // for.
        unsynced += piece.length;
        if (failure == 0 && unsynced >= (8 << 20)) {
            ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
            unsynced = 0;
        }
#endif
        lock.lock();
        error = error == 0 ? failure : error;
        queue.pop_front();
        changed.notify_all();
    }
}

}  // namespace tessaro
