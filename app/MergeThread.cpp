#include "app/MergeThread.h"

#include "app/FrameMessages.h"

namespace {

// Carries the job's two synchronous calls to the frame as sent messages.
class FrameHost : public tessaro::MergeHost {
public:
    FrameHost(QObject* frame, FrameMessageTarget& target) : frame(frame), target(target) {}

    void MergeProgress(qint32 position, qint32 rangeMax) override {
        // A message equal to the one just handled changes nothing, and a round trip to the GUI
        // thread costs far more than copying a frame: skip exactly those.
        if (position == lastPosition && rangeMax == lastRange) {
            return;
        }
        lastPosition = position;
        lastRange = rangeMax;
        Send(WM_MERGE_PROGRESS, WPARAM(quint32(position)), LPARAM(rangeMax));
    }
    bool QuerySaveID3Tag() override { return Send(WM_QUERY_SAVE_ID3TAG, 0, 0) != 0; }

private:
    LRESULT Send(quint32 message, WPARAM wParam, LPARAM lParam) {
        LRESULT result = 0;
        QMetaObject::invokeMethod(
            frame, [&] { result = target.SendFrameMessage(message, wParam, lParam); },
            Qt::BlockingQueuedConnection);
        return result;
    }

    QObject* frame;
    FrameMessageTarget& target;
    qint32 lastPosition = -1;
    qint32 lastRange = -1;
};

}  // namespace

MergeThread::MergeThread(QObject* frame, FrameMessageTarget& target,
                         const tessaro::TessaroWorkSpace& workspace, const QString& outputPath)
    : m_frame(frame), m_target(target), m_workspace(workspace), m_outputPath(outputPath) {}

void MergeThread::run() {
    FrameHost host(m_frame, m_target);
    m_result = tessaro::RunMerge(m_workspace, m_outputPath, host);
    FrameMessageTarget* target = &m_target;
    QMetaObject::invokeMethod(
        m_frame, [target] { target->SendFrameMessage(WM_MERGE_FINISHED, 0, 0); },
        Qt::QueuedConnection);
}
