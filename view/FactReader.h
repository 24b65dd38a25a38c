#pragma once

// Errors: what cannot be read of a file is told in its facts (TrackFacts::problem), never raised.

#include <QObject>
#include <QSet>
#include <QString>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "mp3/ListFigures.h"

namespace tessaro {

class ThreadRefused;

// What the reader finds in a file: its audio figures, and the disc, track number and title its
// tag tells (0 and "" where it tells none).
struct TrackFacts : mp3::Figures {
    TrackFacts() = default;
    // Figures alone: of an untagged file.
    TrackFacts(const mp3::Figures& figures) : mp3::Figures(figures) {}  // NOLINT: implicit

    int disc = 0;
    int track = 0;
    QString title;
};

// The facts read of one file.
struct FileFacts {
    QString path;
    TrackFacts facts;
};

// Reads files' facts on a thread of its own, one file after another (reading several of one disk
// at once is no faster), and reports on the thread it lives on (the GUI's) through a signal: the
// reader never waits for the list. The thread ends when there is nothing left to read, so that an
// idle window holds no thread (a child process forked then starts cleanly).
class FactReader : public QObject {
    Q_OBJECT

public:
    explicit FactReader(QObject* parent = nullptr);
    // Waits for the file being read; what is read and not yet reported is dropped.
    ~FactReader() override;

    // Has the file read, unless it is being read already.
    void Read(const QString& path);
    // Whether any file asked for has not been reported yet.
    bool Pending() const { return !m_asked.isEmpty(); }

Q_SIGNALS:
    // The files read since the last report, each once; they are no longer pending.
    void factsRead(const std::vector<tessaro::FileFacts>& files);
    // The reader's own, queued from its thread, once for all read until Report runs. Through a
    // connection made on the GUI thread, so that the call is made inside Qt and all that passes
    // is m_read, under the lock ThreadSanitizer sees.
    void readyToReport(QPrivateSignal);

private:
    // The reader thread's loop.
    void Run();
    // On the GUI thread: hands on what the thread has read.
    void Report();
    // Where no thread can be started: every file waiting is reported unreadable, saying why, so
    // that none stays pending for ever and nothing escapes into the event loop.
    void Refuse(const ThreadRefused& refused);

    // Asked for and not yet reported; touched on the GUI thread only.
    QSet<QString> m_asked;
    // What passes between the GUI thread and the reader, under m_lock: the paths to read and the
    // facts read. The hand-over is ours rather than a thread pool's, so that ThreadSanitizer
    // sees every step of it.
    std::mutex m_lock;
    std::deque<QString> m_toRead;
    std::vector<FileFacts> m_read;
    bool m_stopping = false;
    bool m_running = false;
    std::thread m_thread;  // touched on the GUI thread only
};

}  // namespace tessaro
