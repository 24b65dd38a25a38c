#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "merge/MergeJob.h"

namespace tessaro {

// Works out the chapters the next merge would write (PreviewMerge) on a thread of its own,
// a moment after the last change asked for it: a run that a change makes stale is cancelled
// and started again, so only the chapters of the list as it stands are reported.
//
// Errors: a preview that fails reports its result all the same, the error in it.
class ChapterPreview : public QObject {
    Q_OBJECT

public:
    // `request` gives the join as it stands, on the GUI thread, whenever a run starts.
    explicit ChapterPreview(std::function<JoinRequest()> request, QObject* parent = nullptr);
    // Cancels a run that still goes and waits for its thread; its end is not reported.
    ~ChapterPreview() override;

    // The join changed: runs anew after a short wait, cancelling a run made stale.
    void Refresh();
    // A run started or waiting to.
    bool IsBusy() const { return m_running || m_delay.isActive(); }

Q_SIGNALS:
    // The chapters of the join as it stands (result.inputs where its inputs are).
    void previewed(const tessaro::MergeResult& result);
    // A run made stale by a change stopped before its end; it runs again.
    void cancelled();
    // From the worker, queued to the GUI thread once it is done with the result.
    void workDone(QPrivateSignal);

private:
    void Start();
    // On the GUI thread once the worker has returned.
    void Finish();

    std::function<JoinRequest()> m_request;
    QTimer m_delay;
    std::thread m_worker;
    MergeResult m_result;
    std::atomic<bool> m_stale{false};
    bool m_running = false;
};

}  // namespace tessaro
