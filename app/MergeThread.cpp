#include "app/MergeThread.h"

#if defined(__SANITIZE_THREAD__)
#define TESSARO_THREAD_SANITIZER
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TESSARO_THREAD_SANITIZER
#endif
#endif
#ifdef TESSARO_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// The blocking call waits on a semaphore inside Qt, which ThreadSanitizer cannot see as Qt is
// not built with it. These tell it that what one thread did before handing a call over happens
// before what the other does with it; in other builds they do nothing.
void HandOver([[maybe_unused]] void* call) {
#ifdef TESSARO_THREAD_SANITIZER
    __tsan_release(call);
#endif
}
void TakeOver([[maybe_unused]] void* call) {
#ifdef TESSARO_THREAD_SANITIZER
    __tsan_acquire(call);
#endif
}

// Carries the job's two synchronous calls to the frame as sent messages.
class FrameHost : public tessaro::MergeHost {
public:
    explicit FrameHost(MergeThread& thread) : thread(thread) {}

    void MergeProgress(qint32 position, qint32 rangeMax) override {
        // A message equal to the one just handled changes nothing, and a round trip to the GUI
        // thread costs far more than copying a frame: skip exactly those.
        if (position == lastPosition && rangeMax == lastRange) {
            return;
        }
        lastPosition = position;
        lastRange = rangeMax;
        thread.SendToFrame(WM_MERGE_PROGRESS, WPARAM(quint32(position)), LPARAM(rangeMax));
    }
    bool QuerySaveID3Tag() override { return thread.SendToFrame(WM_QUERY_SAVE_ID3TAG, 0, 0) != 0; }
    bool MergeCancelled() override { return thread.IsCancelled(); }

private:
    MergeThread& thread;
    qint32 lastPosition = -1;
    qint32 lastRange = -1;
};

}  // namespace

// Connected here, on the GUI thread: the worker only emits argumentless signals, so that all it
// hands over is m_call.
MergeThread::MergeThread(QObject* frame, FrameMessageTarget& target,
                         const tessaro::TessaroWorkSpace& workspace, const QString& outputPath,
                         const tessaro::JoinOptions& options)
    : m_target(target), m_workspace(workspace), m_outputPath(outputPath), m_options(options) {
    connect(
        this, &MergeThread::frameCallWaiting, frame,
        [this] {
            TakeOver(&m_call);
            m_call.result = m_target.SendFrameMessage(m_call.message, m_call.wParam, m_call.lParam);
            HandOver(&m_call);
        },
        Qt::BlockingQueuedConnection);
    connect(
        this, &MergeThread::mergeFinished, frame,
        [this] { m_target.SendFrameMessage(WM_MERGE_FINISHED, 0, 0); }, Qt::QueuedConnection);
}

LRESULT MergeThread::SendToFrame(quint32 message, WPARAM wParam, LPARAM lParam) {
    m_call = {message, wParam, lParam, 0};
    HandOver(&m_call);
    Q_EMIT frameCallWaiting();
    TakeOver(&m_call);
    return m_call.result;
}

void MergeThread::Start() {
    start();
    // Neither running nor finished: Qt could not start the thread, and has said so on the
    // console only.
    if (!isRunning() && !isFinished()) {
        m_result.error = tr("Not enough memory to start a thread for the merge");
        Q_EMIT mergeFinished();
    }
}

void MergeThread::run() {
    FrameHost host(*this);
    m_result = tessaro::RunMerge(m_workspace, m_outputPath, host, m_options);
    Q_EMIT mergeFinished();
}
