#pragma once

#include <QThread>

#include "merge/MergeJob.h"

class FrameMessageTarget;

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
                const tessaro::TessaroWorkSpace& workspace, const QString& outputPath);

    // What the job reported; read once the finish message has arrived.
    const tessaro::MergeResult& Result() const { return m_result; }

protected:
    void run() override;

private:
    QObject* m_frame;
    FrameMessageTarget& m_target;
    const tessaro::TessaroWorkSpace& m_workspace;
    const QString& m_outputPath;
    tessaro::MergeResult m_result;
};
