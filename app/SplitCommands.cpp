#include "app/SplitCommands.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QWidget>

#include "app/SplitController.h"
#include "app/SplitDialog.h"
#include "app/StatusArea.h"
#include "app/WindowDialogs.h"
#include "io/Files.h"

namespace tessaro {

SplitCommands::SplitCommands(QWidget& window, SplitController& split, StatusArea& status)
    : QObject(&window), m_window(window), m_split(split), m_status(status) {
    connect(&m_split, &SplitController::finished, this, &SplitCommands::Finish);
    connect(&m_split, &SplitController::sourceRead, this, &SplitCommands::Open);
    connect(&m_split, &SplitController::progressed, this, [this](int percent) {
        if (m_split.IsSplitting()) {
            m_status.Progress().setValue(percent);
        }
    });
}

void SplitCommands::Split(WindowDialogs& dialogs) {
    const QString path = dialogs.GetOpenFileName(&m_window, Mp3Filter(), QStringLiteral("mp3"));
    if (path.isEmpty()) {
        return;
    }
    m_dialogs = &dialogs;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_split.Read(path);
    Q_EMIT busyChanged();
}

void SplitCommands::Open(const ReadSource& read) {
    QApplication::restoreOverrideCursor();
    Q_EMIT busyChanged();
    if (!read.source) {
        Q_EMIT logged(read.error);
        m_dialogs->ShowMessage(&m_window, WindowDialogs::Icon::Error, tr("Split MP3"), read.error);
        return;
    }
    // Window-modal without a loop of its own, so that the window goes on drawing.
    auto* dialog = new SplitDialog(&m_window, *read.source, m_split, *m_dialogs);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { Start(dialog->Request()); });
    dialog->open();
}

void SplitCommands::Start(const SplitRequest& request) {
    if (!QFileInfo(request.folder).isDir()) {
        if (!QDir().mkpath(request.folder)) {
            SplitResult failed;
            failed.error = tr("Cannot make the folder %1").arg(Quoted(request.folder));
            Q_EMIT logged(failed.error);
            Q_EMIT ended(failed);
            return;
        }
        Q_EMIT logged(tr("Made the folder %1").arg(Quoted(request.folder)));
    }
    m_split.Start(request);
    Q_EMIT logged(tr("Begin to split %1 ...").arg(QFileInfo(request.source).fileName()));
    m_status.ShowSplitStarted();
    Q_EMIT busyChanged();
}

void SplitCommands::Cancel() {
    if (m_split.IsSplitting() && !m_split.IsCancelling()) {
        m_split.Cancel();
        m_status.DisableCancel();
    }
}

QString SplitCommands::Summary(const SplitResult& result) const {
    if (result.cancelled) {
        return tr("The split was cancelled: no part is left half written.");
    }
    if (!result.Succeeded()) {
        return result.error;
    }
    const SplitRequest& request = m_split.Request();
    return tr("Split %1 into %n parts in %2", nullptr, int(result.written.size()))
        .arg(QFileInfo(request.source).fileName(), QDir::toNativeSeparators(request.folder));
}

void SplitCommands::Finish(const SplitResult& result) {
    for (const QString& warning : result.warnings) {
        Q_EMIT logged(warning);
    }
    const QString summary = Summary(result);
    Q_EMIT logged(summary);
    m_status.ShowSplitEnded(summary);
    Q_EMIT ended(result);
}

}  // namespace tessaro
