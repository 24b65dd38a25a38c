#pragma once

#include <QHash>
#include <QMainWindow>
#include <memory>

#include "app/CommandTable.h"
#include "app/WindowDialogs.h"
#include "merge/MergeJob.h"
#include "settings/JoinPreferences.h"
#include "split/Split.h"

class QMenu;
class QToolBar;

namespace tessaro {

class ChapterCommands;
class ChapterListModel;
class ChapterPane;
class ChapterPreview;
class JoinController;
class ListCommands;
class Listening;
class SoundOutput;
class MergeCommands;
class SplitCommands;
class SplitController;
class NoticeBar;
class OutputPane;
class RecentWorkspaces;
class SingleInstance;
class StatusArea;
class TrackListModel;
class TrackInsertion;
class TrackListView;
class WorkspaceDocument;

// The one main window: the track list in the middle, the tool bar on top, the output pane docked
// at the bottom and the status bar with the merge progress. It owns the workspace (the list's
// entries, the typed tag, the file they are kept in) and changes it only through undoable
// commands; joins run on the join controller.
//
// Errors: what the core reports goes to the output log, a line of its own for each; a message
// box only where the user must answer or a command failed as a whole.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Reads the preference file.
    MainWindow();
    // Writes the preference file.
    ~MainWindow() override;

    // Window geometry and bar layout of the last run, kept by QSettings.
    void RestoreLayout();
    // Tests answer the dialogs from a script.
    void SetDialogs(std::unique_ptr<WindowDialogs> dialogs);
    // Files named on the command line or by a second launch, relative to the working folder: a
    // workspace file (*.twk) named alone is opened as File > Open opens it; other files are
    // added at the end, and folders stand for their files.
    void OpenFiles(const QStringList& names);
    // Later starts' files, as `instance` receives them: opened as OpenFiles opens them, the
    // window brought to the front.
    void TakeHandOvers(SingleInstance& instance);

    // Tests record what would be played.
    void SetSoundOutput(std::unique_ptr<SoundOutput> output);
    // The command's action, by its name in the command table; null for none.
    QAction* Action(const QString& name) const { return m_actions.value(name); }
    bool IsMerging() const;
    // Whether a split, or the reading of a file to split, runs.
    bool IsSplitting() const;
    // Runs the merges; its signals tell their progress and end.
    const JoinController& Join() const { return *m_join; }
    // Runs File > Split MP3's searches and splits.
    const SplitController& Split() const { return *m_splitter; }
    bool SaveID3Tag() const { return m_preferences.saveID3Tag; }
    void SetSaveID3Tag(bool on) { m_preferences.saveID3Tag = on; }
    const JoinOptions& Options() const { return m_preferences.options; }
    // The joined-file options, as Preferences sets them; the chapters are worked out anew.
    void SetOptions(const JoinOptions& options);
    // Whether the next merge writes chapters: by the inputs or from a chapter file.
    bool ChaptersOn() const;
    WorkspaceDocument& Document() { return *m_document; }
    TrackListView& View() { return *m_view; }
    OutputPane& Output() { return *m_output; }
    StatusArea& Status() { return *m_status; }
    NoticeBar& Notice() { return *m_notice; }
    ChapterPane& Chapters() { return *m_chapterPane; }
    const ChapterPreview& Preview() const { return *m_preview; }
    QToolBar& ToolBar() { return *m_toolBar; }
    QMenu& RecentMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    // A new palette (a light or dark style) may leave the theme's icons unreadable on the bar.
    void changeEvent(QEvent* event) override;

private:
    // Every command, in the order of the menus and of the tool bar, each bound to its handler.
    std::vector<Command> Commands();
    void CreateCentralArea();
    void CreateCommands();
    void CreateMenuBar();
    void CreateToolBar();
    // Gives the commands that have one their tool-bar icon, readable on the bar as it is now.
    void ShowToolIcons();
    // The action's button on the tool bar, named for screen readers by what it does.
    void AddToolButton(QAction* action);
    void CreateStatusBar();
    void ConnectJoin();
    void ConnectList();
    // The Chapters pane, docked at the right, and the preview that fills it.
    void CreateChapterPane();
    // Works the chapters out anew, or shows that there are none; the pane shows itself as they
    // are turned on.
    void RefreshChapters();
    void ShowChapters(const MergeResult& preview);
    // The action of the output pane's or the tool bar's own toggle; null for other commands.
    QAction* ViewToggle(const QString& name) const;
    // Enables each command while it can be given; Undo and Redo name their step.
    void UpdateCommandUI();
    // "NAME[*] — Zovi Tessaro 1.2", marked while there are unsaved changes.
    void UpdateTitle();
    void Log(const QString& text);

    // Files dropped from outside before `row`: a workspace file alone is opened, the rest added.
    void OnFilesDropped(const QStringList& paths, int row);
    // Opens the workspace file once no merge runs and unsaved work has been saved or given up.
    void AskThenOpen(const QString& path);
    // Tells of `unlike` inputs that differ in format from the first, unless re-encoding is
    // chosen: as the list stands, or as a merge found.
    void ShowFormatNotice(int unlike);
    // Whether the window may close while a merge runs: asks to cancel it, and true when it has
    // ended meanwhile; the window closes once a merge cancelled for it has ended.
    bool MayCloseWhileMerging();

    void OnNewWorkspace();
    void OnOpenWorkspace();
    void OnInsertMp3();
    void OnInsertFolder();
    void OnAbout();
    void OnID3TagEditor();
    void OnPreferences();
    // Space: plays the selected entry, or stops what plays.
    void OnPlayEntry();
    void OnListenToJoin();
    // The selected entry's row, the current one of several; -1 for none.
    int SelectedEntry() const;
    // The merge's end, once the status bar shows the list's figures again.
    void OnMergeFinished(const MergeResult& result);
    void OnSplitFinished(const SplitResult& result);

    // SaveID3Tag, and what the joined file carries beyond the tag.
    JoinPreferences m_preferences;
    WorkspaceDocument* m_document;
    // The chapters the next merge writes, as last worked out.
    ChapterListModel* m_chapterList;
    TrackListView* m_view;
    JoinController* m_join;
    SplitController* m_splitter;
    NoticeBar* m_notice;
    StatusArea* m_status;
    // Esc anywhere in the window while a merge runs.
    QAction* m_cancelAction;
    QToolBar* m_toolBar;
    OutputPane* m_output;
    ChapterPane* m_chapterPane = nullptr;
    ChapterPreview* m_preview = nullptr;
    // Whether chapters were on when they were last worked out.
    bool m_chaptersWereOn = false;
    std::unique_ptr<WindowDialogs> m_dialogs;
    std::vector<Command> m_commands;
    QHash<QString, QAction*> m_actions;
    RecentWorkspaces* m_recent;
    ChapterCommands* m_chapters;
    TrackInsertion* m_insertion;
    ListCommands* m_list;
    MergeCommands* m_merge;
    SplitCommands* m_split;
    Listening* m_listening;
    // The window closes once the merge it cancelled has ended.
    bool m_closeAfterMerge = false;
    // Whether it is asked, while a merge runs, to cancel it for the window to close.
    bool m_askingToClose = false;
};

}  // namespace tessaro
