#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <thread>

#include "split/CutPoints.h"
#include "split/Split.h"

namespace tessaro {

class MergeHost;

// The parts the cut points make of a source, or why there are none.
struct FoundParts {
    std::vector<SplitPart> parts;
    QString error;  // empty when there are parts
    // Whether the reason lies in how they were asked for: the file's own chapters, where it has
    // none, for one.
    bool usage = false;
};

// The source of a split as read, or why it cannot be split.
struct ReadSource {
    std::optional<SplitSource> source;
    QString error;  // empty when there is a source
};

// Runs one reading of a source, one search for the parts of a split or one split at a time on a
// thread of its own, and reports on the thread it lives on (the GUI's) through signals, as the
// join controller does: reading a source goes through all its frames, a silence search decodes
// the whole file, a split copies it.
class SplitController : public QObject {
    Q_OBJECT

public:
    explicit SplitController(QObject* parent = nullptr);
    // Cancels what still runs and waits for its thread; its end is not reported.
    ~SplitController() override;

    // Reads the source's frames; nothing while a split runs.
    void Read(const QString& path);
    // Looks for the parts at `cuts`, giving up a search that still runs, whose end is then not
    // reported; nothing while a split runs.
    void FindParts(const CutPoints& cuts, const SplitSource& source);
    // Starts the split; false, starting nothing, while one runs. A search that runs is given up.
    bool Start(const SplitRequest& request);
    // Asks the running search or split to stop; a split ends with no part half written.
    void Cancel();
    bool IsReading() const { return m_running && m_work == Work::Read; }
    bool IsSearching() const { return m_running && m_work == Work::Search; }
    bool IsSplitting() const { return m_running && m_work == Work::Split; }
    bool IsCancelling() const { return m_running && m_cancelled; }
    // The split started last.
    const SplitRequest& Request() const { return m_request; }

Q_SIGNALS:
    // Percent of the search or split done, each new one told once.
    void progressed(int percent);
    void sourceRead(const tessaro::ReadSource& read);
    void found(const tessaro::FoundParts& parts);
    // The thread has been joined.
    void finished(const tessaro::SplitResult& result);
    // Queued from the worker to the GUI thread; `run` tells a search given up from the one
    // that followed it.
    void progressReady(QPrivateSignal);
    void workDone(int run, QPrivateSignal);

private:
    enum class Work { Read, Search, Split };
    // Cancels what runs and waits for it.
    void Stop();
    void Run(Work kind, std::function<void(MergeHost&)> work);
    void TakeProgress();
    void Finish(int run);

    SplitRequest m_request;
    SplitResult m_result;
    FoundParts m_found;
    ReadSource m_read;
    std::thread m_worker;
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_percent{-1};
    int m_shownPercent = -1;
    int m_run = 0;
    bool m_running = false;
    Work m_work = Work::Search;
};

}  // namespace tessaro
