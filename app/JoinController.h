#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <thread>

#include "merge/MergeJob.h"

namespace tessaro {

// A playing time as h:mm:ss, the hours as many as there are.
QString Clock(double seconds);

// Runs one join at a time on a thread of its own and reports on the thread it lives on (the
// GUI's) through queued signals: the worker never waits for the window.
class JoinController : public QObject {
    Q_OBJECT

public:
    explicit JoinController(QObject* parent = nullptr);
    // Cancels a join that still runs and waits for its thread; its end is not reported.
    ~JoinController() override;

    // Starts the join; false, starting nothing, while one runs. Where no thread can be started
    // the join fails at once, and its end is reported all the same.
    bool Start(const JoinRequest& request);
    // Asks the running join to stop at its next frame; it ends as a failed one does, the target
    // as it was.
    void Cancel();
    bool IsRunning() const { return m_running; }
    bool IsCancelling() const { return m_running && m_cancelled; }
    // The join started last.
    const JoinRequest& Request() const { return m_request; }

    // The log lines that tell how a join ended: its warnings, then one line with the reason it
    // failed, that it was cancelled, or what it made and how many warnings it gave.
    static QStringList ResultLines(const JoinRequest& request, const MergeResult& result);
    // The one of those lines that says what became of the join: what it made, or why it failed.
    static QString Summary(const JoinRequest& request, const MergeResult& result);

Q_SIGNALS:
    // Percent of the join done, each new one told once (several may pass between two).
    void progressed(int percent);
    // A line for the log.
    void logged(const QString& line);
    // After the lines of its end; the thread has been joined.
    void finished(const tessaro::MergeResult& result);
    // The controller's own, queued from the worker to the GUI thread: Qt makes the queued call
    // inside itself, and all it carries is ours to hand over where ThreadSanitizer sees it: the
    // percent through an atomic, the result once the thread is joined.
    void progressReady(QPrivateSignal);
    void workDone(QPrivateSignal);

private:
    // On the GUI thread, for progressReady.
    void TakeProgress();
    // On the GUI thread once the worker has returned, for workDone.
    void Finish();

    JoinRequest m_request;
    MergeResult m_result;
    std::thread m_worker;
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_percent{-1};
    int m_shownPercent = -1;
    bool m_running = false;
};

}  // namespace tessaro
