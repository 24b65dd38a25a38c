#include "app/StatusArea.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include "app/JoinController.h"
#include "app/LockKeys.h"
#include "view/TrackListModel.h"

namespace tessaro {

StatusArea::StatusArea(QStatusBar& bar, const TrackListModel& tracks, const JoinController& join)
    : QObject(&bar),
      m_bar(bar),
      m_tracks(tracks),
      m_join(join),
      m_figures(new QLabel),
      m_progress(new QProgressBar),
      m_cancelButton(new QToolButton) {
    m_bar.showMessage(IdleMessage());
    // The message area falls back to "Ready", or "Merging…", whenever a prompt goes away.
    connect(&m_bar, &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) {
            m_bar.showMessage(IdleMessage());
        }
    });
    m_bar.addPermanentWidget(m_figures);
    connect(&m_tracks, &TrackListModel::totalsChanged, this, &StatusArea::UpdateFigures);
    connect(&m_tracks, &TrackListModel::rowsInserted, this, &StatusArea::ForgetResult);
    connect(&m_tracks, &TrackListModel::rowsRemoved, this, &StatusArea::ForgetResult);
    connect(&m_tracks, &TrackListModel::rowsMoved, this, &StatusArea::ForgetResult);
    connect(&m_tracks, &TrackListModel::modelReset, this, &StatusArea::ForgetResult);
    UpdateFigures();
    CreateLockIndicators();
    CreateMergeProgress();
    m_bar.installEventFilter(this);
}

void StatusArea::CreateLockIndicators() {
    const char* names[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_indicators[i] = new QLabel(QString::fromLatin1(names[i]), &m_bar);
        m_indicators[i]->setAlignment(Qt::AlignCenter);
        m_indicators[i]->setMinimumWidth(m_indicators[i]->sizeHint().width() + 8);
        m_indicators[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_bar.addPermanentWidget(m_indicators[i]);
    }
    UpdateLockIndicators();
    qApp->installEventFilter(this);
}

void StatusArea::CreateMergeProgress() {
    // Placed by hand rather than by the bar's layout, so that it keeps its own geometry.
    m_progress->setParent(&m_bar);
    m_progress->setFormat(QStringLiteral("%p%"));
    m_progress->setRange(0, 100);
    m_progress->setAccessibleName(tr("Merge progress"));
    m_progress->hide();
    m_cancelButton->setParent(&m_bar);
    m_cancelButton->setText(tr("Cancel"));
    m_cancelButton->setToolTip(tr("Stop the merge; the output file stays as it was (Esc)"));
    m_cancelButton->hide();
    connect(m_cancelButton, &QToolButton::clicked, this, &StatusArea::cancelClicked);
    connect(&m_join, &JoinController::progressed, m_progress, &QProgressBar::setValue);
}

void StatusArea::ShowMergeStarted() {
    m_lastResult.clear();
    m_progress->setValue(0);
    m_progress->show();
    m_cancelButton->setEnabled(true);
    m_cancelButton->show();
    UpdateFigures();
    m_bar.showMessage(IdleMessage());
}

void StatusArea::ShowMergeEnded(const QString& summary) {
    m_lastResult = summary;
    m_progress->hide();
    m_cancelButton->hide();
    UpdateFigures();
    m_bar.showMessage(IdleMessage());
}

void StatusArea::ShowSplitStarted() {
    m_splitting = true;
    ShowMergeStarted();
}

void StatusArea::ShowSplitEnded(const QString& summary) {
    m_splitting = false;
    ShowMergeEnded(summary);
}

void StatusArea::DisableCancel() {
    m_cancelButton->setEnabled(false);
}

void StatusArea::SetGapSeconds(double seconds) {
    m_gapSeconds = seconds;
    UpdateFigures();
}

void StatusArea::ForgetResult() {
    if (m_lastResult.isEmpty()) {
        return;
    }
    const bool shown = m_bar.currentMessage() == m_lastResult;
    m_lastResult.clear();
    if (shown) {
        m_bar.showMessage(IdleMessage());
    }
}

QString StatusArea::IdleMessage() const {
    if (m_join.IsRunning()) {
        return tr("Merging…");
    }
    if (m_splitting) {
        return tr("Splitting…");
    }
    return m_lastResult.isEmpty() ? tr("Ready") : m_lastResult;
}

void StatusArea::PlaceProgress() {
    const QRect bar = m_bar.rect();
    const int cancelWidth = m_cancelButton->sizeHint().width();
    // Where the bar is too narrow for Cancel, the bar's gap at the right end, then the progress
    // bar itself give way, so Cancel stays whole at any window width.
    const int margin = 2;
    const int shortOf = qMax(0, margin + cancelWidth + 4 + 300 + 150 - bar.width());
    const int gap = 150 - qMin(150, shortOf);
    const int width = qMax(0, 300 - qMax(0, shortOf - 150));
    const int right = bar.right() + 1 - gap;
    m_progress->setGeometry(right - width, bar.top() + 2, width, bar.height() - 4);
    m_progress->update();
    m_cancelButton->setGeometry(qMax(margin, right - width - 4 - cancelWidth), bar.top() + 1,
                                cancelWidth, bar.height() - 2);
}

QString StatusArea::Figures() const {
    const int count = m_tracks.Count();
    const QString files = count == 1 ? tr("1 file") : tr("%1 files").arg(count);
    // As long as the merge makes it: the silence it puts between the inputs included.
    const double seconds = m_tracks.TotalSeconds() + m_gapSeconds * qMax(0, count - 1);
    const QString figures = QStringLiteral("%1, %2").arg(files, Clock(seconds));
    return m_tracks.FiguresPending() ? tr("%1, reading figures…").arg(figures) : figures;
}

void StatusArea::UpdateFigures() {
    m_figures->setText(Figures());
    m_figures->setVisible(!m_join.IsRunning() && !m_splitting);
}

void StatusArea::UpdateLockIndicators() {
    const std::optional<LockKeys> keys = QueryLockKeys();
    const bool on[3] = {keys && keys->capsLock, keys && keys->numLock, keys && keys->scrollLock};
    // Like a lamp: a key that is off, or whose state is unknown, shows greyed.
    for (int i = 0; i < 3; ++i) {
        m_indicators[i]->setEnabled(on[i]);
    }
}

bool StatusArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_bar && event->type() == QEvent::Resize) {
        PlaceProgress();
    } else if (event->type() == QEvent::KeyRelease ||
               (watched == m_bar.window() && event->type() == QEvent::WindowActivate)) {
        UpdateLockIndicators();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tessaro
