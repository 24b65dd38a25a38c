#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

#include "app/CommandTable.h"
#include "app/FrameDialogs.h"
#include "app/LockKeys.h"
#include "app/MergeThread.h"
#include "app/WorkspaceChange.h"
#include "dialogs/CAboutDlg.h"
#include "dialogs/CID3TagEditor.h"
#include "dialogs/CPreferencesSheet.h"
#include "dialogs/Help.h"
#include "io/Files.h"
#include "settings/Preferences.h"
#include "settings/Product.h"
#include "settings/WindowSettings.h"
#include "view/CChildView.h"
#include "view/CTessaroListBox.h"
#include "view/OutputPane.h"
#include "workspace/Exception.h"
#include "workspace/FolderInputs.h"
#include "workspace/NaturalOrder.h"
#include "workspace/WorkSpaceFile.h"

static void InitResources() {
    Q_INIT_RESOURCE(tessaro);
}

namespace {

using tessaro::Quoted;

const QString kPreferencesFolder = QString::fromLatin1(kProductTitle);
const QString kMp3Filter = QStringLiteral("MP3 files(*.mp3)");
const QString kWorkspaceFilter = QStringLiteral("Tessaro Workspace file(*.twk)");
const QString kRecentKey = QStringLiteral("recentWorkspaces");
constexpr int kRecentCount = 8;

// The desktop theme's icon for a tool-bar button where it has one, which its scalable or larger
// pictures keep sharp at any scale; else the program's own, drawn at 16 and 32 pixels: Qt looks
// for the larger one by itself only where the whole screen has twice the density, not where one
// window is moved to such a screen.
QIcon ToolIcon(const QString& name) {
    static const QHash<QString, QString> themed = {
        {QStringLiteral("new"), QStringLiteral("document-new")},
        {QStringLiteral("open"), QStringLiteral("document-open")},
        {QStringLiteral("save"), QStringLiteral("document-save")},
        {QStringLiteral("insert"), QStringLiteral("list-add")},
        {QStringLiteral("remove"), QStringLiteral("list-remove")},
        {QStringLiteral("up"), QStringLiteral("go-up")},
        {QStringLiteral("down"), QStringLiteral("go-down")},
        {QStringLiteral("preferences"), QStringLiteral("preferences-system")},
        {QStringLiteral("help"), QStringLiteral("help-contents")},
    };
    QIcon own;
    own.addFile(QStringLiteral(":/icons/tool-%1.png").arg(name), QSize(16, 16));
    own.addFile(QStringLiteral(":/icons/tool-%1@2x.png").arg(name), QSize(32, 32));
    return themed.contains(name) ? QIcon::fromTheme(themed.value(name), own) : own;
}

}  // namespace

CMainFrame::CMainFrame()
    : m_tracks(new TrackListModel(this)),
      m_wndView(new CChildView(*m_tracks, this)),
      m_workspace(*m_tracks),
      m_progress(new QProgressBar),
      m_cancelButton(new QToolButton),
      m_cancelAction(new QAction(tr("Cancel"), this)),
      m_figures(new QLabel),
      m_wndToolBar(new QToolBar(tr("Tool Bar"), this)),
      m_wndMenuBar(new QMenuBar(this)),
      m_wndStatusBar(new QStatusBar(this)),
      m_wndOutput(new tessaro::OutputPane(this)),
      m_dialogs(std::make_unique<QtFrameDialogs>()),
      m_undoStack(new QUndoStack(this)),
      m_recentMenu(new QMenu(tr("Recent &Workspaces"), this)) {
    m_preferences = tessaro::LoadJoinPreferences(tessaro::GetPreferencesPath(kPreferencesFolder));
    InitResources();
    setCentralWidget(m_wndView);
    CreateStatusBar();
    addDockWidget(Qt::BottomDockWidgetArea, m_wndOutput);
    resizeDocks({m_wndOutput}, {100}, Qt::Vertical);
    CreateCommands();
    CreateMenuBar();
    CreateToolBar();
    ConnectList();
    connect(m_undoStack, &QUndoStack::indexChanged, this, &CMainFrame::UpdateCommandUI);
    UpdateCommandUI();
    setWindowTitle(QString::fromLatin1(kProductTitle));
    setAcceptDrops(true);
    // Within the screen's free area, leaving room for the window's frame, so that the status
    // bar and its progress bar are never off-screen on a small screen.
    const QSize frameAllowance(16, 48);
    resize(QSize(800, 600).boundedTo(screen()->availableGeometry().size() - frameAllowance));
}

CMainFrame::~CMainFrame() {
    // Closing is refused while a merge runs; should the frame go anyway, the worker must not
    // be left waiting for an answer from it.
    while (m_mergeThread && !m_mergeThread->wait(10)) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
    // The window is gone by now: there is no one left to tell of a failure.
    static_cast<void>(tessaro::WriteSaveID3Tag(tessaro::GetPreferencesPath(kPreferencesFolder),
                                               m_preferences.saveID3Tag));
    // The stack clears itself as it goes, when the actions it would update are gone.
    disconnect(m_undoStack, nullptr, this, nullptr);
}

CTessaroListBox& CMainFrame::List() {
    return m_wndView->List();
}

void CMainFrame::SetDialogs(std::unique_ptr<FrameDialogs> dialogs) {
    m_dialogs = std::move(dialogs);
}

QAction* CMainFrame::AddCommand(int id, const QString& text, const QString& prompt,
                                const QString& icon) {
    auto* action = new QAction(text, this);
    // The part before "\n" is the status-bar prompt, the part after it the tool tip.
    action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
    if (prompt.contains(QLatin1Char('\n'))) {
        action->setToolTip(prompt.section(QLatin1Char('\n'), 1));
    }
    if (!icon.isEmpty()) {
        action->setIcon(ToolIcon(icon));
    }
    action->setData(id);
    m_commands.insert(id, action);
    return action;
}

void CMainFrame::CreateCommands() {
    for (const Command& command : CommandTable()) {
        const QString text = tr(command.text);
        const QString prompt = command.prompt ? tr(command.prompt) : QString();
        QAction* action = ViewToggle(command.id);
        if (action) {
            // The pane's and the bar's own toggles keep their check marks in step with them.
            action->setText(text);
            action->setStatusTip(prompt);
            action->setData(command.id);
            m_commands.insert(command.id, action);
        } else {
            action = AddCommand(command.id, text, prompt,
                                command.icon ? QString::fromLatin1(command.icon) : QString());
        }
        // The menu shows these keys, so users expect them to work.
        action->setShortcut(command.shortcut);
        if (command.handler) {
            connect(action, &QAction::triggered, this, command.handler);
        }
    }
    QAction* statusBar = Action(ID_VIEW_STATUS_BAR);
    statusBar->setCheckable(true);
    statusBar->setChecked(true);
    connect(statusBar, &QAction::toggled, m_wndStatusBar, &QWidget::setVisible);
}

QAction* CMainFrame::ViewToggle(int id) const {
    return id == ID_VIEW_OUTPUT_WINDOW ? m_wndOutput->toggleViewAction()
           : id == ID_VIEW_TOOL_BAR    ? m_wndToolBar->toggleViewAction()
                                       : nullptr;
}

void CMainFrame::CreateMenuBar() {
    setMenuBar(m_wndMenuBar);
    const std::pair<CommandMenu, QString> menus[] = {{CommandMenu::File, tr("&File")},
                                                     {CommandMenu::Edit, tr("&Edit")},
                                                     {CommandMenu::View, tr("&View")},
                                                     {CommandMenu::Help, tr("&Help")}};
    for (const auto& [which, title] : menus) {
        QMenu* menu = m_wndMenuBar->addMenu(title);
        for (const Command& command : CommandTable()) {
            if (command.menu == which) {
                if (command.menuSeparator) {
                    menu->addSeparator();
                }
                menu->addAction(Action(command.id));
                if (command.id == ID_FILE_SAVE_WORKSPACE) {
                    menu->addMenu(m_recentMenu);
                }
            }
        }
    }
    FillRecentMenu(tessaro::WindowSettings().value(kRecentKey).toStringList());
}

void CMainFrame::FillRecentMenu(const QStringList& recent) {
    m_recentMenu->clear();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction* open = m_recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        connect(open, &QAction::triggered, this, [this, path] { OpenWorkspace(path); });
    }
    m_recentMenu->setEnabled(!recent.isEmpty() && !m_mergeThread);
}

void CMainFrame::RememberWorkspace(const QString& path) {
    QSettings settings = tessaro::WindowSettings();
    QStringList recent = settings.value(kRecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    recent = recent.mid(0, kRecentCount);
    settings.setValue(kRecentKey, recent);
    FillRecentMenu(recent);
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar->setObjectName(QStringLiteral("ToolBar"));  // for the saved window layout
    m_wndToolBar->setIconSize(QSize(16, 16));
    for (const Command& command : CommandTable()) {
        if (command.icon) {
            if (command.toolBarSeparator) {
                m_wndToolBar->addSeparator();
            }
            m_wndToolBar->addAction(Action(command.id));
        }
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
}

void CMainFrame::CreateStatusBar() {
    setStatusBar(m_wndStatusBar);
    m_wndStatusBar->showMessage(IdleMessage());
    // The message area falls back to "Ready", or "Merging…", whenever a prompt goes away.
    connect(m_wndStatusBar, &QStatusBar::messageChanged, m_wndStatusBar,
            [this](const QString& message) {
                if (message.isEmpty()) {
                    m_wndStatusBar->showMessage(IdleMessage());
                }
            });
    m_wndStatusBar->addPermanentWidget(m_figures);
    // Rows come and go, and their figures arrive once read.
    connect(m_tracks, &QAbstractItemModel::rowsInserted, this, &CMainFrame::UpdateStatusFigures);
    connect(m_tracks, &QAbstractItemModel::rowsRemoved, this, &CMainFrame::UpdateStatusFigures);
    connect(m_tracks, &QAbstractItemModel::dataChanged, this, &CMainFrame::UpdateStatusFigures);
    UpdateStatusFigures();
    const char* names[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_indicators[i] = new QLabel(QString::fromLatin1(names[i]), m_wndStatusBar);
        m_indicators[i]->setAlignment(Qt::AlignCenter);
        m_indicators[i]->setMinimumWidth(m_indicators[i]->sizeHint().width() + 8);
        m_indicators[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_wndStatusBar->addPermanentWidget(m_indicators[i]);
    }
    UpdateLockIndicators();
    qApp->installEventFilter(this);

    // Placed by hand rather than by the bar's layout, so that it keeps its own geometry.
    m_progress->setParent(m_wndStatusBar);
    m_progress->setFormat(QStringLiteral("%p%"));
    m_progress->hide();
    m_cancelButton->setParent(m_wndStatusBar);
    m_cancelButton->setText(tr("Cancel"));
    m_cancelButton->setToolTip(tr("Stop the merge; the output file stays as it was (Esc)"));
    m_cancelButton->hide();
    connect(m_cancelButton, &QToolButton::clicked, this, &CMainFrame::OnCancelMerge);
    // A window-wide shortcut, so that Esc stops the merge wherever the focus is.
    m_cancelAction->setShortcut(Qt::Key_Escape);
    m_cancelAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_cancelAction);
    connect(m_cancelAction, &QAction::triggered, this, &CMainFrame::OnCancelMerge);
    m_wndStatusBar->installEventFilter(this);
}

void CMainFrame::ConnectList() {
    CTessaroListBox& list = List();
    list.SetMergingQuery([this] { return SendFrameMessage(WM_QUERY_MERGING, 0, 0) != 0; });
    connect(&list, &CTessaroListBox::moveUpRequested, this,
            [this] { SendFrameMessage(WM_TRACK_MOVE_UP, 0, 0); });
    connect(&list, &CTessaroListBox::moveDownRequested, this,
            [this] { SendFrameMessage(WM_TRACK_MOVE_DOWN, 0, 0); });
    connect(&list, &CTessaroListBox::tracksMoveRequested, this, &CMainFrame::OnTracksDropped);
    connect(&list, &CTessaroListBox::logText, this, &CMainFrame::Log);
}

void CMainFrame::UpdateCommandUI() {
    for (const Command& command : CommandTable()) {
        if (command.idleOnly) {
            Action(command.id)->setEnabled(!m_mergeThread);
        }
    }
    m_cancelAction->setEnabled(m_mergeThread != nullptr);
    m_recentMenu->setEnabled(!m_recentMenu->isEmpty() && !m_mergeThread);
    // Undo and Redo name the step they take, and there must be one.
    const auto name = [](const QString& command, const QString& step) {
        return step.isEmpty() ? command : command + QLatin1Char(' ') + step;
    };
    Action(ID_EDIT_UNDO)->setText(name(tr("&Undo"), m_undoStack->undoText()));
    Action(ID_EDIT_REDO)->setText(name(tr("&Redo"), m_undoStack->redoText()));
    Action(ID_EDIT_UNDO)->setEnabled(!m_mergeThread && m_undoStack->canUndo());
    Action(ID_EDIT_REDO)->setEnabled(!m_mergeThread && m_undoStack->canRedo());
}

WorkspaceState CMainFrame::State() {
    return {m_workspace.Paths(), m_workspace.Tag(), List().SelectedRows()};
}

void CMainFrame::Record(const QString& text, const std::function<void()>& change) {
    WorkspaceState before = State();
    change();
    WorkspaceState after = State();
    // A change that changed nothing (a drop where the files stood) is no step to undo.
    if (after.paths != before.paths || !(after.tag == before.tag)) {
        m_undoStack->push(
            new WorkspaceChange(text, m_workspace, *m_tracks, std::move(before), std::move(after)));
    }
}

void CMainFrame::OnUndo() {
    if (m_undoStack->canUndo()) {
        Log(tr("Undo: %1").arg(m_undoStack->undoText()));
        m_undoStack->undo();
    }
}

void CMainFrame::OnRedo() {
    if (m_undoStack->canRedo()) {
        Log(tr("Redo: %1").arg(m_undoStack->redoText()));
        m_undoStack->redo();
    }
}

void CMainFrame::OnSelectAll() {
    List().selectAll();
}

void CMainFrame::OnSortByFileName() {
    Record(tr("Sort by File Name"),
           [this] { m_workspace.SetPaths(tessaro::SortedByFileName(m_workspace.Paths())); });
    Log(tr("MP3 files sorted by file name."));
}

void CMainFrame::OnSortByTrack() {
    Record(tr("Sort by Track Number"),
           [this] { m_workspace.SetPaths(tessaro::SortedByTrack(m_workspace.Paths())); });
    Log(tr("MP3 files sorted by track number."));
}

QString CMainFrame::IdleMessage() const {
    return m_mergeThread ? tr("Merging…") : tr("Ready");
}

void CMainFrame::PlaceProgress() {
    const QRect bar = m_wndStatusBar->rect();
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

QString CMainFrame::Clock(double seconds) {
    const qint64 whole = qint64(seconds);
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QString CMainFrame::StatusFigures() const {
    const int count = m_tracks->GetTrackCount();
    double seconds = 0;
    for (int i = 0; i < count; ++i) {
        seconds += m_tracks->Track(i).duration;
    }
    const QString files = count == 1 ? tr("1 file") : tr("%1 files").arg(count);
    return QStringLiteral("%1, %2").arg(files, Clock(seconds));
}

void CMainFrame::UpdateStatusFigures() {
    m_figures->setText(StatusFigures());
    m_figures->setVisible(!m_mergeThread);
}

void CMainFrame::UpdateLockIndicators() {
    const std::optional<LockKeys> keys = QueryLockKeys();
    const bool on[3] = {keys && keys->capsLock, keys && keys->numLock, keys && keys->scrollLock};
    // Like a lamp: a key that is off, or whose state is unknown, shows greyed.
    for (int i = 0; i < 3; ++i) {
        m_indicators[i]->setEnabled(on[i]);
    }
}

void CMainFrame::Log(const QString& text) {
    m_wndOutput->AppendLogLine(text);
}

void CMainFrame::LogEach(const QStringList& lines) {
    for (const QString& line : lines) {
        Log(line);
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_wndStatusBar && event->type() == QEvent::Resize) {
        PlaceProgress();
    } else if (event->type() == QEvent::KeyRelease ||
               (watched == this && event->type() == QEvent::WindowActivate)) {
        UpdateLockIndicators();
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::focusInEvent(QFocusEvent* event) {
    QMainWindow::focusInEvent(event);
    m_wndView->setFocus();
}

void CMainFrame::RestoreLayout() {
    QSettings settings = tessaro::WindowSettings();
    restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("windowState")).toByteArray());
    Action(ID_VIEW_STATUS_BAR)
        ->setChecked(settings.value(QStringLiteral("statusBar"), true).toBool());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_mergeThread) {
        Log(tr("You can not exit the application while merge thread is running ..."));
        m_dialogs->ShowMessage(this, FrameDialogs::Icon::Error, tr("Error"),
                               tr("Please wait until the merge thread finish!"));
        event->ignore();
        return;
    }
    QSettings settings = tessaro::WindowSettings();
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
    settings.setValue(QStringLiteral("windowState"), saveState());
    settings.setValue(QStringLiteral("statusBar"), m_wndStatusBar->isVisibleTo(this));
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    Record(tr("Drop"), [&] { AddInputs(paths); });
    event->acceptProposedAction();
}

QStringList CMainFrame::AddInputs(const QStringList& paths) {
    const tessaro::FolderInputs inputs = tessaro::ExpandFolders(paths);
    LogEach(inputs.notes);
    QStringList added;
    for (const QString& path : inputs.files) {
        if (!UsableInput(path)) {
            continue;
        }
        // The merge reads the workspace in place: files dropped meanwhile wait for its end.
        if (m_mergeThread) {
            m_pendingDrops << path;
        } else {
            m_workspace.AddPath(path);
        }
        added << path;
    }
    return added;
}

void CMainFrame::OpenFiles(const QStringList& names) {
    // Kept as absolute paths, as dropped files are, so that a saved workspace still finds them.
    QStringList paths;
    for (const QString& name : names) {
        paths << QDir::current().absoluteFilePath(name);
    }
    if (paths.size() == 1 && paths[0].endsWith(QStringLiteral(".twk"), Qt::CaseInsensitive)) {
        OpenWorkspace(paths[0]);
        return;
    }
    Record(tr("Insert"), [&] { AddInputs(paths); });
}

void CMainFrame::OnNewWorkspace() {
    Record(tr("New"), [this] { m_workspace.Reset(); });
    Log(tr("Create new workspace."));
}

void CMainFrame::OnOpenWorkspace() {
    const QString path = m_dialogs->GetOpenFileName(this, kWorkspaceFilter, QStringLiteral("twk"));
    if (!path.isEmpty()) {
        OpenWorkspace(path);
    }
}

void CMainFrame::OpenWorkspace(const QString& path) {
    QString problem = tessaro::UnusableName(path);
    try {
        if (problem.isEmpty()) {
            tessaro::FolderInputs folders;
            Record(tr("Open"), [&] { folders = m_workspace.LoadFromFile(path); });
            Log(tr("Workspace has been opened."));
            LogEach(folders.notes);
            RememberWorkspace(path);
            return;
        }
    } catch (const tessaro::BadTessaroWorkSpaceIden&) {
        problem = tr("it is not a Tessaro workspace file, or it cannot be read.");
    } catch (const tessaro::BadTessaroWorkSpaceFile& damaged) {
        problem = tr("the file is damaged: %1.").arg(damaged.reason);
    }
    m_dialogs->ShowMessage(this, FrameDialogs::Icon::Error, tr("Open workspace"),
                           tr("Cannot open %1: %2").arg(Quoted(path), problem));
}

void CMainFrame::OnSaveWorkspace() {
    const QString path = m_dialogs->GetSaveFileName(this, kWorkspaceFilter, QStringLiteral("twk"));
    if (path.isEmpty()) {
        return;
    }
    try {
        m_workspace.SaveToFile(path);
        Log(tr("Workspace has been saved."));
        RememberWorkspace(path);
    } catch (const tessaro::TessaroWorkSpaceNotSaved& failure) {
        m_dialogs->ShowMessage(
            this, FrameDialogs::Icon::Error, tr("Save workspace"),
            tr("Cannot save the workspace to %1: %2").arg(Quoted(path), failure.reason));
    }
}

void CMainFrame::OnInsertMp3() {
    // Picked together, numbered files go in as people count them, whatever the dialog's order.
    const QStringList paths = tessaro::SortedByFileName(
        m_dialogs->GetOpenFileNames(this, kMp3Filter, QStringLiteral("mp3")));
    Record(tr("Insert"), [&] {
        for (const QString& path : AddInputs(paths)) {
            Log(tr("MP3 file \"%1\" has been inserted!").arg(path));
        }
    });
}

void CMainFrame::OnInsertFolder() {
    const QString folder = m_dialogs->GetExistingFolder(this);
    if (folder.isEmpty()) {
        return;
    }
    Record(tr("Insert Folder"), [&] {
        if (const QStringList added = AddInputs({folder}); !added.isEmpty()) {
            Log(tr("Folder \"%1\" has been inserted with %2 MP3 files!")
                    .arg(folder)
                    .arg(added.size()));
        }
    });
}

bool CMainFrame::UsableInput(const QString& path) {
    const QString problem = tessaro::UnusableName(path);
    if (!problem.isEmpty()) {
        Log(tr("MP3 file %1 has not been added: %2.").arg(Quoted(path), problem));
    }
    return problem.isEmpty();
}

void CMainFrame::OnRemoveMp3() {
    const QList<int> selection = List().SelectedRows();
    if (selection.isEmpty()) {
        return;
    }
    Log(selection.size() == 1
            ? tr("MP3 file has been removed from workspace.")
            : tr("%n MP3 files have been removed from workspace.", nullptr, int(selection.size())));
    Record(tr("Remove"), [&] { m_workspace.RemoveRows(selection); });
}

void CMainFrame::OnHelp() {
    const QString help = tessaro::HelpFilePath(QCoreApplication::applicationFilePath());
    const bool present = QFileInfo(help).isFile();
    if (present && tessaro::HasHelpViewer() && tessaro::OpenHelp()) {
        return;
    }
    // Handed over without a viewer, the file would open nowhere and nothing would be said.
    const QString why =
        present ? tr("No program for compiled HTML help is installed to open the help file %1. "
                     "Install xchm or kchmviewer, for example with: sudo apt-get install xchm")
                      .arg(Quoted(help))
                : tr("The help file %1 is missing.").arg(Quoted(help));
    const QString guide = tessaro::HtmlGuidePath(QCoreApplication::applicationFilePath());
    if (guide.isEmpty()) {
        m_dialogs->ShowMessage(this, FrameDialogs::Icon::Error, tr("Help"), why);
    } else if (!tessaro::HasWebBrowser()) {
        m_dialogs->ShowMessage(this, FrameDialogs::Icon::Error, tr("Help"),
                               why + QStringLiteral("\n\n") +
                                   tr("No web browser was found either to read the same guide, "
                                      "%1. Install one, for example with: sudo apt-get install "
                                      "firefox-esr")
                                       .arg(Quoted(guide)));
    } else if (m_dialogs->Confirm(this, tr("Help"),
                                  why + QStringLiteral("\n\n") +
                                      tr("The same guide can be read in your web browser."),
                                  tr("Open in Browser")) &&
               !tessaro::OpenHtmlGuide(guide)) {
        ShowNoBrowser(tr("Help"), guide);
    }
}

void CMainFrame::ShowNoBrowser(const QString& caption, const QString& address) {
    m_dialogs->ShowMessage(this, FrameDialogs::Icon::Error, caption,
                           tr("Cannot start a web browser for %1.").arg(Quoted(address)));
}

void CMainFrame::OnMoveEntry(tessaro::TessaroWorkSpace::Direction direction) {
    const QList<int> selection = List().SelectedRows();
    if (selection.isEmpty()) {
        return;
    }
    const bool up = direction == tessaro::TessaroWorkSpace::Up;
    const int count = int(selection.size());
    try {
        Record(up ? tr("Move Up") : tr("Move Down"),
               [&] { m_workspace.MoveEntries(selection, direction); });
        Log(count == 1 ? (up ? tr("MP3 file moved up.") : tr("MP3 file moved down."))
                       : (up ? tr("%n MP3 files moved up.", nullptr, count)
                             : tr("%n MP3 files moved down.", nullptr, count)));
    } catch (const x::Exception&) {
        // The first entry cannot move up, nor the last one down: nothing to do or say.
    }
}

void CMainFrame::OnTracksDropped(const QList<int>& rows, int target) {
    Record(tr("Move"), [&] { m_workspace.MoveRows(rows, target); });
}

void CMainFrame::OnID3TagEditor() {
    // It shows the workspace's tag, which is replaced only on OK.
    CID3TagEditor editor(this, m_workspace.Tag(), m_preferences.saveID3Tag);
    if (editor.exec() == QDialog::Accepted) {
        Record(tr("Tag"), [&] { m_workspace.SetTag(editor.Tag()); });
    }
}

void CMainFrame::OnPreferences() {
    CPreferencesSheet sheet(this);
    sheet.StandardPage().SetPreferences(m_preferences);
    if (sheet.exec() == QDialog::Accepted) {
        m_preferences = sheet.StandardPage().Preferences();
        // The options are kept at once; the preference file is written as the window closes.
        tessaro::SaveJoinOptions(m_preferences.options);
    }
}

void CMainFrame::OnMoveUp() {
    OnMoveEntry(tessaro::TessaroWorkSpace::Direction::Up);
}

void CMainFrame::OnMoveDown() {
    OnMoveEntry(tessaro::TessaroWorkSpace::Direction::Down);
}

void CMainFrame::OnExit() {
    close();
}

void CMainFrame::OnVisitWebSite() {
    if (!tessaro::VisitMakerWebSite()) {
        ShowNoBrowser(tr("Visit Veskaro Technology"), tessaro::kMakerWebSite.toString());
    }
}

void CMainFrame::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::OnMerge() {
    const QString path = m_dialogs->GetSaveFileName(this, kMp3Filter, QStringLiteral("mp3"));
    if (path.isEmpty()) {
        return;
    }
    m_outputPath = path;
    m_progress->show();
    m_cancelButton->setEnabled(true);
    m_cancelButton->show();
    m_mergeThread = std::make_unique<MergeThread>(this, *this, m_workspace, m_outputPath,
                                                  m_preferences.options);
    m_mergeThread->Start();
    Log(tr("Begin to merge mp3 files ..."));
    UpdateCommandUI();
    UpdateStatusFigures();
    m_progress->setValue(0);
    m_wndStatusBar->showMessage(IdleMessage());
}

void CMainFrame::OnCancelMerge() {
    if (m_mergeThread && !m_mergeThread->IsCancelled()) {
        m_mergeThread->Cancel();
        m_cancelButton->setEnabled(false);
    }
}

LRESULT CMainFrame::SendFrameMessage(quint32 message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MERGE_PROGRESS:
            return OnMergeProgress(wParam, lParam);
        case WM_MERGE_FINISHED:
            return OnMergeFinished();
        case WM_TRACK_MOVE_UP:
            OnMoveEntry(tessaro::TessaroWorkSpace::Up);
            return 0;
        case WM_TRACK_MOVE_DOWN:
            OnMoveEntry(tessaro::TessaroWorkSpace::Down);
            return 0;
        case WM_CANCEL_MERGE:
            OnCancelMerge();
            return 0;
        case WM_QUERY_MERGING:
            return m_mergeThread ? 1 : 0;
        case WM_QUERY_SAVE_ID3TAG:
            return m_preferences.saveID3Tag ? 1 : 0;
        default:
            return 0;
    }
}

LRESULT CMainFrame::OnMergeProgress(WPARAM position, LPARAM rangeMax) {
    if (position != 0) {
        m_progress->setValue(int(position));
    }
    if (rangeMax != 0) {
        m_progress->setRange(0, int(rangeMax));
    }
    return 0;
}

LRESULT CMainFrame::OnMergeFinished() {
    if (!m_mergeThread) {
        return 0;
    }
    m_mergeThread->wait();
    const tessaro::MergeResult result = m_mergeThread->Result();
    m_mergeThread.reset();
    m_progress->hide();
    m_cancelButton->hide();
    UpdateStatusFigures();
    m_wndStatusBar->showMessage(IdleMessage());
    LogEach(result.warnings);
    // The line that says how it went: the reason it failed (a cancel among them), or what it
    // made.
    if (!result.Succeeded()) {
        Log(result.error);
    } else {
        if (!m_workspace.Tag().IsEmpty() && !m_preferences.saveID3Tag) {
            Log(
                tr("The ID3 tag was not written, as \"Save ID3 tag\" is off: turn it on in File "
                   "> Preferences."));
        }
        const QString name = QFileInfo(m_outputPath).fileName();
        Log(result.inputsJoined == 1
                ? tr("Joined 1 file into %1 (%2)").arg(name, Clock(result.seconds))
                : tr("Joined %1 files into %2 (%3)")
                      .arg(result.inputsJoined)
                      .arg(name, Clock(result.seconds)));
    }
    Log(tr("merge process has been finished!"));
    UpdateCommandUI();

    if (!m_pendingDrops.isEmpty()) {
        Record(tr("Drop"), [this] {
            for (const QString& path : std::as_const(m_pendingDrops)) {
                m_workspace.AddPath(path);
            }
        });
        Log(tr("%n file(s) dropped during the merge have been added.", nullptr,
               int(m_pendingDrops.size())));
        m_pendingDrops.clear();
    }
    // A cancelled merge did what was asked: the log says so, no box is needed.
    if (!result.Succeeded() && !result.cancelled) {
        m_dialogs->ShowMessage(this, FrameDialogs::Icon::Error, tr("Merge failed"), result.error);
    }
    return 0;
}
