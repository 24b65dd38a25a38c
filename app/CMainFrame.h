#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>

#include "app/FrameMessages.h"
#include "merge/MergeJob.h"
#include "settings/JoinPreferences.h"
#include "workspace/TessaroWorkSpace.h"

class CChildView;
namespace tessaro {
class OutputPane;
}
class CTessaroListBox;
class FrameDialogs;
class TrackListModel;
class MergeThread;
class QAction;
struct Command;
class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QStatusBar;
class QToolBar;
class QToolButton;
class QUndoStack;
struct WorkspaceState;

// The one main window: the track list in the middle, the tool bar on top, the output pane
// docked at the bottom and the status bar with the merge progress bar. It owns the workspace
// and runs every command on it.
//
// Errors: what the core reports goes to the output log, a line of its own for each; a message
// box only where the user must answer.
class CMainFrame : public QMainWindow, public FrameMessageTarget {
    Q_OBJECT

public:
    // Reads the preference file.
    CMainFrame();
    // Writes the preference file.
    ~CMainFrame() override;

    // Window geometry and bar layout of the last run, kept by QSettings.
    void RestoreLayout();
    // Tests answer the dialogs from a script.
    void SetDialogs(std::unique_ptr<FrameDialogs> dialogs);
    // The files named on the command line, relative to the working folder: a workspace file
    // (*.twk) named alone is opened as File > Open opens it; any other files are added in order,
    // and folders stand for their files, as dropped ones do.
    void OpenFiles(const QStringList& names);

    // Handles one of the frame's messages on the GUI thread and returns its result.
    LRESULT SendFrameMessage(quint32 message, WPARAM wParam, LPARAM lParam) override;

    // The action of a command id, or null.
    QAction* Action(int commandId) const { return m_commands.value(commandId); }
    bool IsMerging() const { return m_mergeThread != nullptr; }
    bool SaveID3Tag() const { return m_preferences.saveID3Tag; }
    const tessaro::JoinOptions& JoinOptions() const { return m_preferences.options; }
    void SetSaveID3Tag(bool on) { m_preferences.saveID3Tag = on; }

    tessaro::TessaroWorkSpace& Workspace() { return m_workspace; }
    CTessaroListBox& List();
    TrackListModel& Tracks() { return *m_tracks; }
    tessaro::OutputPane& Output() { return *m_wndOutput; }
    QProgressBar& Progress() { return *m_progress; }
    QToolButton& CancelButton() { return *m_cancelButton; }
    // The number of files in the list and their playing time, beside the lock indicators.
    QString StatusFigures() const;
    QStatusBar& StatusBar() { return *m_wndStatusBar; }
    QToolBar& ToolBar() { return *m_wndToolBar; }
    QMenu& RecentMenu() { return *m_recentMenu; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend const std::vector<Command>& CommandTable();

    void CreateCommands();
    void CreateMenuBar();
    void CreateToolBar();
    void CreateStatusBar();
    // The list asks for moves and log lines through its signals; the frame answers them.
    void ConnectList();
    QAction* AddCommand(int id, const QString& text, const QString& prompt,
                        const QString& icon = QString());
    // The action of the output pane's or the tool bar's own toggle; null for other commands.
    QAction* ViewToggle(int id) const;
    // The commands that change the workspace or the preferences, and the recent workspaces, run
    // only while no merge does; Undo and Redo name their step.
    void UpdateCommandUI();
    // 300 pixels wide, ending 150 pixels before the status bar's right end, 2 pixels inside it,
    // the Cancel button just before it; in a narrow window the gap, then the bar give way.
    void PlaceProgress();
    // What the status bar's message area shows when no prompt does: "Ready", or "Merging…".
    QString IdleMessage() const;
    // h:mm:ss.
    static QString Clock(double seconds);
    // Shows the list's figures anew; while a merge runs the progress bar stands in their place.
    void UpdateStatusFigures();
    void UpdateLockIndicators();
    void Log(const QString& text);
    void LogEach(const QStringList& lines);
    // Makes a change of the workspace (its paths or its tag) one step that Undo takes back.
    void Record(const QString& text, const std::function<void()>& change);
    WorkspaceState State();
    // Whether a file chosen or dropped can be added by the name it came with; logs why not.
    bool UsableInput(const QString& path);
    // Appends files inserted, dropped or named on the command line, each folder among them
    // standing for the MPEG audio files under it, or keeps them for the end of the merge that
    // runs; logs what the folders left out and each name that cannot be used. Returns the files
    // it took.
    QStringList AddInputs(const QStringList& paths);
    // Replaces the workspace with the one in the file, or says why it cannot.
    void OpenWorkspace(const QString& path);
    // Puts a workspace file opened or saved first in File > Recent Workspaces, which keeps the
    // last eight in the window's settings.
    void RememberWorkspace(const QString& path);
    void FillRecentMenu(const QStringList& recent);

    void OnNewWorkspace();
    void OnOpenWorkspace();
    void OnSaveWorkspace();
    void OnInsertMp3();
    void OnInsertFolder();
    void OnHelp();
    // Says that no web browser could be started for address.
    void ShowNoBrowser(const QString& caption, const QString& address);
    void OnRemoveMp3();
    void OnMoveEntry(tessaro::TessaroWorkSpace::Direction direction);
    // A drag of the list's: the entries at `rows` go before the one at `target`.
    void OnTracksDropped(const QList<int>& rows, int target);
    void OnUndo();
    void OnRedo();
    void OnSelectAll();
    void OnSortByFileName();
    void OnSortByTrack();
    void OnMoveUp();
    void OnMoveDown();
    void OnExit();
    void OnVisitWebSite();
    void OnAbout();
    void OnID3TagEditor();
    void OnMerge();
    // Asks the running merge to stop; it ends as a failed one does, leaving the target as it was.
    void OnCancelMerge();
    void OnPreferences();

    LRESULT OnMergeProgress(WPARAM position, LPARAM rangeMax);
    LRESULT OnMergeFinished();

    QString m_outputPath;
    // Non-null exactly from the start of a merge until its finish message is handled.
    std::unique_ptr<MergeThread> m_mergeThread;
    // SaveID3Tag, and what the joined file carries beyond the tag.
    tessaro::JoinPreferences m_preferences;
    // Created before the workspace, which binds to them: the rows of the list, and its view.
    TrackListModel* m_tracks;
    CChildView* m_wndView;
    tessaro::TessaroWorkSpace m_workspace;
    QProgressBar* m_progress;
    QToolButton* m_cancelButton;
    // Esc anywhere in the window while a merge runs.
    QAction* m_cancelAction;
    QLabel* m_figures;
    QToolBar* m_wndToolBar;
    QMenuBar* m_wndMenuBar;
    QStatusBar* m_wndStatusBar;
    tessaro::OutputPane* m_wndOutput;
    QLabel* m_indicators[3];  // CAP, NUM, SCRL

    std::unique_ptr<FrameDialogs> m_dialogs;
    QHash<int, QAction*> m_commands;
    QUndoStack* m_undoStack;
    QMenu* m_recentMenu;
    // Files dropped while a merge runs, added once it has finished.
    QStringList m_pendingDrops;
};
