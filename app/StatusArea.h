#pragma once

#include <QObject>

class QLabel;
class QProgressBar;
class QStatusBar;
class QToolButton;

namespace tessaro {

class JoinController;
class TrackListModel;

// The main window's status bar: the message area ("Ready", "Merging…" or a command's prompt),
// the list's figures, the CAP, NUM and SCRL lamps, and, while a merge runs, its progress bar and
// Cancel button in the figures' place; a split's likewise.
class StatusArea : public QObject {
    Q_OBJECT

public:
    StatusArea(QStatusBar& bar, const TrackListModel& tracks, const JoinController& join);

    // The progress bar at 0 and an enabled Cancel while the merge that has started runs.
    void ShowMergeStarted();
    // The figures again once the merge has ended, and `summary`, what became of it, in the message
    // area until the list changes or the next merge starts.
    void ShowMergeEnded(const QString& summary);
    // The same for a split, the message area saying "Splitting…" while it runs.
    void ShowSplitStarted();
    void ShowSplitEnded(const QString& summary);
    // Seconds of silence the merge puts between every two inputs, which the total counts.
    void SetGapSeconds(double seconds);
    // Cancel can be pressed once for each merge.
    void DisableCancel();
    // The number of files in the list and their playing time, beside the lock indicators.
    QString Figures() const;

    QProgressBar& Progress() { return *m_progress; }
    QToolButton& CancelButton() { return *m_cancelButton; }

Q_SIGNALS:
    void cancelClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the message area shows when no prompt does: "Ready", "Merging…", "Splitting…", or how
    // the last merge or split ended.
    QString IdleMessage() const;
    // Shows the list's figures anew; while a merge runs the progress bar stands in their place.
    void UpdateFigures();
    void UpdateLockIndicators();
    // The last merge's result gives way to "Ready" once the list changes.
    void ForgetResult();
    void CreateLockIndicators();
    void CreateMergeProgress();
    // 300 pixels wide, ending 150 pixels before the status bar's right end, 2 pixels inside it,
    // the Cancel button just before it; in a narrow window the gap, then the bar give way.
    void PlaceProgress();

    QStatusBar& m_bar;
    const TrackListModel& m_tracks;
    const JoinController& m_join;
    QLabel* m_figures;
    QLabel* m_indicators[3];  // CAP, NUM, SCRL
    QProgressBar* m_progress;
    QToolButton* m_cancelButton;
    double m_gapSeconds = 0;
    QString m_lastResult;  // of the merge that ended last, until the list changes
    bool m_splitting = false;
};

}  // namespace tessaro
