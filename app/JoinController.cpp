#include "app/JoinController.h"

#include <QFileInfo>

#include "app/QueuedHost.h"
#include "io/Threads.h"

namespace tessaro {

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
    m_cancelled = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

bool JoinController::Start(const JoinRequest& joinRequest) {
    if (m_running) {
        return false;
    }
    m_request = joinRequest;
    m_result = MergeResult();
    m_cancelled = false;
    m_percent = -1;
    m_shownPercent = -1;
    m_running = true;
    try {
        m_worker = StartThread("the merge", [this] {
            QueuedHost host([this] { Q_EMIT progressReady(QPrivateSignal()); }, m_percent,
                            m_cancelled);
            m_result = RunMerge(m_request, host);
            Q_EMIT workDone(QPrivateSignal());
        });
    } catch (const ThreadRefused& refused) {
        m_result.error =
            tr("Not enough memory to start a thread for %1").arg(QLatin1String(refused.what()));
        Q_EMIT workDone(QPrivateSignal());
    }
    return true;
}

void JoinController::TakeProgress() {
    if (const int now = m_percent; now > m_shownPercent) {
        m_shownPercent = now;
        Q_EMIT progressed(now);
    }
}

void JoinController::Cancel() {
    if (m_running) {
        m_cancelled = true;
    }
}

void JoinController::Finish() {
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = false;
    for (const QString& line : ResultLines(m_request, m_result)) {
        Q_EMIT logged(line);
    }
    Q_EMIT finished(m_result);
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
    lines << Summary(request, result);
    return lines << tr("merge process has been finished!");
}

QString JoinController::Summary(const JoinRequest& request, const MergeResult& result) {
    if (!result.Succeeded()) {
        return result.error;
    }
    const QString name = QFileInfo(request.output).fileName();
    const QString joined = result.inputsJoined == 1
                               ? tr("Joined 1 file into %1 (%2)").arg(name, Clock(result.seconds))
                               : tr("Joined %1 files into %2 (%3)")
                                     .arg(result.inputsJoined)
                                     .arg(name, Clock(result.seconds));
    QStringList parts{joined};
    if (const int chapters = int(result.chapters.size()); chapters > 0) {
        parts << tr("%n chapters", nullptr, chapters);
    }
    if (const int warnings = int(result.warnings.size()); warnings > 0) {
        parts << (warnings == 1 ? tr("1 warning") : tr("%1 warnings").arg(warnings));
    }
    return parts.join(QStringLiteral(", "));
}

}  // namespace tessaro
