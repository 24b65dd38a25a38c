#include "app/SplitController.h"

#include "app/QueuedHost.h"
#include "io/Threads.h"

namespace tessaro {

SplitController::SplitController(QObject* parent) : QObject(parent) {
    connect(this, &SplitController::progressReady, this, &SplitController::TakeProgress,
            Qt::QueuedConnection);
    connect(this, &SplitController::workDone, this, &SplitController::Finish, Qt::QueuedConnection);
}

SplitController::~SplitController() {
    Stop();
}

void SplitController::Stop() {
    m_cancelled = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = false;
}

void SplitController::FindParts(const CutPoints& cuts, const SplitSource& source) {
    if (IsSplitting()) {
        return;
    }
    Stop();
    Run(false, [this, cuts, source](MergeHost& host) {
        std::variant<QString, std::vector<SplitPart>> parts =
            PartsAt(cuts, source, host, &m_found.usage);
        if (QString* why = std::get_if<QString>(&parts)) {
            m_found.error = std::move(*why);
        } else {
            m_found.parts = std::move(std::get<std::vector<SplitPart>>(parts));
        }
    });
}

bool SplitController::Start(const SplitRequest& request) {
    if (IsSplitting()) {
        return false;
    }
    Stop();
    m_request = request;
    Run(true, [this](MergeHost& host) { m_result = RunSplit(m_request, host); });
    return true;
}

void SplitController::Run(bool split, std::function<void(MergeHost&)> work) {
    m_result = SplitResult();
    m_found = FoundParts();
    m_cancelled = false;
    m_percent = -1;
    m_shownPercent = -1;
    m_running = true;
    m_splitting = split;
    const int run = ++m_run;
    try {
        m_worker = StartThread(
            split ? "the split" : "the search for cut points", [this, run, work = std::move(work)] {
                QueuedHost host([this] { Q_EMIT progressReady(QPrivateSignal()); }, m_percent,
                                m_cancelled);
                work(host);
                Q_EMIT workDone(run, QPrivateSignal());
            });
    } catch (const ThreadRefused& refused) {
        const QString error =
            tr("Not enough memory to start a thread for %1").arg(QLatin1String(refused.what()));
        m_result.error = error;
        m_found.error = error;
        Q_EMIT workDone(run, QPrivateSignal());
    }
}

void SplitController::TakeProgress() {
    if (const int now = m_percent; m_running && now > m_shownPercent) {
        m_shownPercent = now;
        Q_EMIT progressed(now);
    }
}

void SplitController::Cancel() {
    if (m_running) {
        m_cancelled = true;
    }
}

void SplitController::Finish(int run) {
    // A search given up for another, already waited for.
    if (run != m_run || !m_running) {
        return;
    }
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = false;
    if (m_splitting) {
        Q_EMIT finished(m_result);
    } else {
        Q_EMIT found(m_found);
    }
}

}  // namespace tessaro
