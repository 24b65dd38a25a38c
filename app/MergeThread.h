#pragma once

#include <QThread>
#include <atomic>

#include "app/FrameMessages.h"
#include "merge/MergeJob.h"

namespace tessaro {
class TessaroWorkSpace;
}

// The worker that runs one merge. It reads the workspace and the output path in place (the
// frame keeps both unchanged meanwhile) and reaches the frame only through its messages: the
// progress and the tag question are sent (the worker waits for the answer), the finish
// message is posted.
class MergeThread : public QThread {
    Q_OBJECT

public:
    // `frame` is the target's QObject, on the GUI thread.
    MergeThread(QObject* frame, FrameMessageTarget& target,
                const tessaro::TessaroWorkSpace& workspace, const QString& outputPath,
                const tessaro::JoinOptions& options = {});

    // Starts the job on its thread. Where the system starts no thread, the job fails at once and
    // the finish message comes all the same.
    void Start();
    // Asks the job to stop at its next frame; any thread may.
    void Cancel() { m_cancelled = true; }
    bool IsCancelled() const { return m_cancelled; }

    // What the job reported; read once the finish message has arrived.
    const tessaro::MergeResult& Result() const { return m_result; }

    // On the worker: has the frame handle a message on the GUI thread, waits, and returns the
    // frame's answer.
    LRESULT SendToFrame(quint32 message, WPARAM wParam, LPARAM lParam);

Q_SIGNALS:
    // Emitted on the worker; the frame handles m_call, or the finish message, on the GUI thread.
    void frameCallWaiting();
    void mergeFinished();

protected:
    void run() override;

private:
    // A message in flight. Only the GUI thread touches it between the signal and its return.
    struct FrameCall {
        quint32 message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        LRESULT result = 0;
    };

    FrameMessageTarget& m_target;
    const tessaro::TessaroWorkSpace& m_workspace;
    const QString& m_outputPath;
    const tessaro::JoinOptions m_options;
    FrameCall m_call;
    std::atomic<bool> m_cancelled{false};
    tessaro::MergeResult m_result;
};
