#pragma once

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace tessaro {

// `length` bytes at `data` to be written at offset `at`; `keeper` keeps them until written.
struct Piece {
    static Piece Own(QByteArray bytes, qint64 at);

    const char* data = nullptr;
    qint64 length = 0;
    qint64 at = 0;
    std::shared_ptr<const void> keeper;
};

// Writes pieces into a file on a thread of its own: the system's copy into the file goes on
// while the caller finds the next frames. Frames go out from the buffer they were read into,
// without a copy of our own. A few pieces wait at most, so memory stays bounded whatever the
// size of the inputs.
class BackgroundWriter {
public:
    // Raises ThreadRefused where its thread cannot be started.
    explicit BackgroundWriter(int fd);
    // Waits for the pieces handed over.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Hands `piece` over to be written; waits while the queue is full. False once a write has
    // failed; Error() then says why.
    [[nodiscard]] bool Hand(Piece piece);
    // Waits until everything handed over is written; false once a write has failed.
    [[nodiscard]] bool Drain();
    // The errno of the first failed write; 0 while none failed.
    [[nodiscard]] int Error() const;

private:
    static constexpr size_t kQueueDepth = 4;

    void Run();

    const int fd;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<Piece> queue;  // the front one is the writer's while busy
    bool stopping = false;
    int error = 0;
    qint64 unsynced = 0;  // bytes written since the system was last asked to write them back
    std::thread thread;   // last: starts once the rest is set up
};

}  // namespace tessaro
