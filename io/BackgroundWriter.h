#pragma once

#include <QByteArray>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tessaro {

// Writes buffers into a file on a thread of its own, in the order they are handed over: the
// system's copy into the file goes on while the caller fills the next buffer. One buffer is
// written while the other fills, so memory stays at two buffers.
class BackgroundWriter {
public:
    explicit BackgroundWriter(int fd);
    // Waits for the buffer being written, if any.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Hands `bytes` over to be written at offset `at` and gives back an empty buffer of the same
    // capacity. False once a write has failed; Error() then says why.
    bool Hand(QByteArray& bytes, qint64 at);
    // Waits until everything handed over is written; false once a write has failed.
    bool Drain();
    // The errno of the first failed write; 0 while none failed.
    int Error() const;

private:
    void Run();

    const int fd;
    mutable std::mutex mutex;
    std::condition_variable changed;
    QByteArray pending;  // the writer's alone while busy, with where it goes
    qint64 pendingAt = 0;
    bool busy = false;
    bool stopping = false;
    int error = 0;
    int writes = 0;
    std::thread thread;  // last: starts once the rest is set up
};

}  // namespace tessaro
