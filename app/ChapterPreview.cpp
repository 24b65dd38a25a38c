#include "app/ChapterPreview.h"

#include "io/Threads.h"

namespace tessaro {
namespace {

// Long enough that typing or a held arrow key starts one run, short enough to seem at once.
constexpr int kDelayMs = 150;

// Stops the preview once it is stale; its progress is nobody's concern.
class StaleHost : public MergeHost {
public:
    explicit StaleHost(const std::atomic<bool>& stale) : m_stale(stale) {}
    void MergeProgress(qint32, qint32) override {}
    bool MergeCancelled() override { return m_stale; }

private:
    const std::atomic<bool>& m_stale;
};

}  // namespace

ChapterPreview::ChapterPreview(std::function<JoinRequest()> request, QObject* parent)
    : QObject(parent), m_request(std::move(request)) {
    m_delay.setSingleShot(true);
    m_delay.setInterval(kDelayMs);
    connect(&m_delay, &QTimer::timeout, this, &ChapterPreview::Start);
    connect(this, &ChapterPreview::workDone, this, &ChapterPreview::Finish, Qt::QueuedConnection);
}

ChapterPreview::~ChapterPreview() {
    m_stale = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void ChapterPreview::Refresh() {
    m_stale = m_running;
    m_delay.start();
}

void ChapterPreview::Start() {
    if (m_running) {
        return;  // started again when the stale one has stopped
    }
    m_stale = false;
    m_running = true;
    try {
        m_worker = StartThread("the chapters", [this, request = m_request()] {
            StaleHost host(m_stale);
            m_result = PreviewMerge(request, host);
            Q_EMIT workDone(QPrivateSignal());
        });
    } catch (const ThreadRefused& refused) {
        m_result = MergeResult();
        m_result.error =
            tr("Not enough memory to start a thread for %1").arg(QLatin1String(refused.what()));
        Q_EMIT workDone(QPrivateSignal());
    }
}

void ChapterPreview::Finish() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = false;
    if (m_stale) {
        if (m_result.cancelled) {
            Q_EMIT cancelled();
        }
        if (!m_delay.isActive()) {
            Start();
        }
        return;
    }
    Q_EMIT previewed(m_result);
}

}  // namespace tessaro
