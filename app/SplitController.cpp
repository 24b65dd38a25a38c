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

void SplitController::Read(const QString& path) {
    if (IsSplitting()) {
        return;
    }
    Stop();
    Run(Work::Read,
        [this, path](MergeHost&) { m_read.source = ReadSplitSource(path, &m_read.error); });
}

void SplitController::FindParts(const CutPoints& cuts, const SplitSource& source) {
    if (IsSplitting()) {
        return;
    }
    Stop();
    Run(Work::Search, [this, cuts, source](MergeHost& host) {
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
    Run(Work::Split, [this](MergeHost& host) { m_result = RunSplit(m_request, host); });
    return true;
}

void SplitController::Run(Work kind, std::function<void(MergeHost&)> work) {
    m_result = SplitResult();
    m_found = FoundParts();
    m_read = ReadSource();
    m_cancelled = false;
    m_percent = -1;
    m_shownPercent = -1;
    m_running = true;
    m_work = kind;
    const int run = ++m_run;
    const char* const names[] = {"reading the file", "the search for cut points", "the split"};
    try {
        m_worker = StartThread(names[int(kind)], [this, run, work = std::move(work)] {
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
        m_read.error = error;
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
    switch (m_work) {
        case Work::Read:
            Q_EMIT sourceRead(m_read);
            break;
        case Work::Search:
            Q_EMIT found(m_found);
            break;
        case Work::Split:
            Q_EMIT finished(m_result);
            break;
    }
}

}  // namespace tessaro
