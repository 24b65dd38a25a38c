#include "app/JoinController.h"

#include <QFileInfo>
#include <functional>

#include "io/Threads.h"

namespace tessaro {
namespace {

// Hands the job's progress to the controller's thread, each percent once: a queued call costs
// far more than copying a frame.
class QueuedHost : public MergeHost {
public:
    QueuedHost(std::function<void()> announce, std::atomic<int>& percent,
               const std::atomic<bool>& cancelled)
        : announce(std::move(announce)), percent(percent), cancelled(cancelled) {}

    void MergeProgress(qint32 position, qint32 rangeMax) override {
        if (rangeMax != 0) {
            range = rangeMax;
        }
        const int percent = int(qBound(qint64(0), qint64(position) * 100 / range, qint64(100)));
        if (position == 0 || percent == shown) {
            return;
        }
        shown = percent;
        this->percent = percent;
        announce();
    }
    bool MergeCancelled() override { return cancelled; }

private:
    const std::function<void()> announce;
    std::atomic<int>& percent;
    const std::atomic<bool>& cancelled;
    qint32 range = 100;
    int shown = -1;
};

}  // namespace

QString Clock(double seconds) {
    const qint64 whole = qint64(seconds);
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

JoinController::JoinController(QObject* parent) : QObject(parent) {
    connect(this, &JoinController::progressReady, this, &JoinController::TakeProgress,
            Qt::QueuedConnection);
    connect(this, &JoinController::workDone, this, &JoinController::Finish, Qt::QueuedConnection);
}

JoinController::~JoinController() {
    cancelled = true;
    if (worker.joinable()) {
        worker.join();
    }
}

bool JoinController::Start(const JoinRequest& joinRequest) {
    if (running) {
        return false;
    }
    request = joinRequest;
    result = MergeResult();
    cancelled = false;
    percent = -1;
    shownPercent = -1;
    running = true;
    try {
        worker = StartThread("the merge", [this] {
            QueuedHost host([this] { Q_EMIT progressReady(QPrivateSignal()); }, percent, cancelled);
            result = RunMerge(request, host);
            Q_EMIT workDone(QPrivateSignal());
        });
    } catch (const ThreadRefused& refused) {
        result.error =
            tr("Not enough memory to start a thread for %1").arg(QLatin1String(refused.what()));
        Q_EMIT workDone(QPrivateSignal());
    }
    return true;
}

void JoinController::TakeProgress() {
    if (const int now = percent; now > shownPercent) {
        shownPercent = now;
        Q_EMIT progressed(now);
    }
}

void JoinController::Cancel() {
    if (running) {
        cancelled = true;
    }
}

void JoinController::Finish() {
    if (worker.joinable()) {
        worker.join();
    }
    running = false;
    for (const QString& line : ResultLines(request, result)) {
        Q_EMIT logged(line);
    }
    Q_EMIT finished(result);
}

QStringList JoinController::ResultLines(const JoinRequest& request, const MergeResult& result) {
    QStringList lines = result.warnings;
    if (result.cancelled) {
        // Its own line, as nothing was merged.
        return lines << result.error;
    }
    if (!result.Succeeded()) {
        return lines << result.error << tr("merge process has been finished!");
    }
    if (!request.tag.IsEmpty() && !request.writeTag) {
        lines << tr(
            "The ID3 tag was not written, as \"Save ID3 tag\" is off: turn it on in File "
            "> Preferences.");
    }
    const QString name = QFileInfo(request.output).fileName();
    const QString joined = result.inputsJoined == 1
                               ? tr("Joined 1 file into %1 (%2)").arg(name, Clock(result.seconds))
                               : tr("Joined %1 files into %2 (%3)")
                                     .arg(result.inputsJoined)
                                     .arg(name, Clock(result.seconds));
    const int warnings = int(result.warnings.size());
    const QString counted = warnings == 1 ? tr("1 warning") : tr("%1 warnings").arg(warnings);
    lines << (warnings == 0 ? joined : joined + QStringLiteral(", ") + counted);
    return lines << tr("merge process has been finished!");
}

}  // namespace tessaro
