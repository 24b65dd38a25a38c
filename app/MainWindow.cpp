#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>

#include "app/CommandTable.h"
#include "app/JoinController.h"
#include "app/LockKeys.h"
#include "app/MergeTarget.h"
#include "app/SingleInstance.h"
#include "app/WorkspaceCommands.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/Help.h"
#include "dialogs/PreferencesDialog.h"
#include "dialogs/TagEditorDialog.h"
#include "io/AtomicWrite.h"
#include "io/Files.h"
#include "settings/Preferences.h"
#include "settings/Product.h"
#include "settings/WindowSettings.h"
#include "view/OutputPane.h"
#include "view/TrackListModel.h"
#include "view/TrackListView.h"
#include "workspace/Exception.h"
#include "workspace/FolderInputs.h"
#include "workspace/NaturalOrder.h"
#include "workspace/TessaroWorkSpace.h"
#include "workspace/WorkSpaceLoad.h"

// Outside any namespace, as Qt's resource initialiser must be.
static void InitResources() {
    Q_INIT_RESOURCE(tessaro);
}

namespace tessaro {
namespace {

const QString kPreferencesFolder = QString::fromLatin1(kProductTitle);
const char* const kMp3Filter =
    QT_TRANSLATE_NOOP("tessaro::MainWindow", "MPEG audio (*.mp3 *.mp2 *.mpa)");
const char* const kWorkspaceFilter =
    QT_TRANSLATE_NOOP("tessaro::MainWindow", "Tessaro Workspace file(*.twk)");
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

// The platform's keys for the command, then its own, each once.
QList<QKeySequence> Keys(const Command& command) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(command.standardKeys);
    if (!command.keys.isEmpty() && !keys.contains(command.keys)) {
        keys << command.keys;
    }
    return keys;
}

// A workspace file named alone is opened rather than added.
bool IsLoneWorkspace(const QStringList& paths) {
    return paths.size() == 1 && paths[0].endsWith(QStringLiteral(".twk"), Qt::CaseInsensitive);
}

}  // namespace

MainWindow::MainWindow()
    : m_tracks(new TrackListModel(this)),
      m_view(new TrackListView(*m_tracks)),
      m_join(new JoinController(this)),
      m_undoStack(new QUndoStack(this)),
      m_notice(new QLabel),
      m_progress(new QProgressBar),
      m_cancelButton(new QToolButton),
      m_cancelAction(new QAction(tr("&Cancel Merge"), this)),
      m_figures(new QLabel),
      m_toolBar(new QToolBar(tr("Tool Bar"), this)),
      m_output(new OutputPane(this)),
      m_dialogs(std::make_unique<QtWindowDialogs>()),
      m_recentMenu(new QMenu(tr("Recent &Workspaces"), this)) {
    m_preferences = LoadJoinPreferences(GetPreferencesPath(kPreferencesFolder));
    InitResources();
    CreateCentralArea();
    CreateStatusBar();
    addDockWidget(Qt::BottomDockWidgetArea, m_output);
    resizeDocks({m_output}, {100}, Qt::Vertical);
    CreateCommands();
    CreateMenuBar();
    CreateToolBar();
    ConnectList();
    ConnectJoin();
    connect(m_undoStack, &QUndoStack::indexChanged, this, &MainWindow::UpdateCommandUI);
    connect(m_undoStack, &QUndoStack::cleanChanged, this, &MainWindow::UpdateTitle);
    UpdateCommandUI();
    UpdateTitle();
    // Within the screen's free area, leaving room for the window's frame, so that the status
    // bar and its progress bar are never off-screen on a small screen.
    const QSize frameAllowance(16, 48);
    resize(QSize(800, 600).boundedTo(screen()->availableGeometry().size() - frameAllowance));
}

MainWindow::~MainWindow() {
    // The window is gone by now: there is no one left to tell of a failure.
    static_cast<void>(
        WriteSaveID3Tag(GetPreferencesPath(kPreferencesFolder), m_preferences.saveID3Tag));
    // The stack clears itself as it goes, when the actions it would update are gone.
    disconnect(m_undoStack, nullptr, this, nullptr);
}

void MainWindow::SetDialogs(std::unique_ptr<WindowDialogs> dialogs) {
    m_dialogs = std::move(dialogs);
}

bool MainWindow::IsMerging() const {
    return m_join->IsRunning();
}

TessaroWorkSpace MainWindow::Workspace() const {
    TessaroWorkSpace workspace;
    workspace.SetPaths(m_tracks->Paths());
    workspace.SetTag(m_tag);
    return workspace;
}

WorkspaceParts MainWindow::Parts() {
    return {*m_tracks, *m_view, m_tag, m_file, m_cover, m_chapterFile};
}

void MainWindow::CreateCentralArea() {
    // A bar above the list for what the user must know after a merge, closed by its button.
    auto* noticeBar = new QFrame;
    noticeBar->setFrameShape(QFrame::StyledPanel);
    noticeBar->setAutoFillBackground(true);
    noticeBar->setBackgroundRole(QPalette::ToolTipBase);
    noticeBar->setForegroundRole(QPalette::ToolTipText);
    m_notice->setWordWrap(true);
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = new QToolButton;
    close->setAutoRaise(true);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setToolTip(tr("Close this message"));
    connect(close, &QToolButton::clicked, noticeBar, &QWidget::hide);
    auto* noticeLayout = new QHBoxLayout(noticeBar);
    noticeLayout->addWidget(m_notice, 1);
    noticeLayout->addWidget(close, 0, Qt::AlignTop);
    noticeBar->hide();

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(noticeBar);
    layout->addWidget(m_view, 1);
    setCentralWidget(central);
    setFocusProxy(m_view);
}

void MainWindow::ShowNotice(const QString& text) {
    m_notice->setText(text);
    m_notice->parentWidget()->setVisible(!text.isEmpty());
}

int MainWindow::FormatsToConform() const {
    // LAME writes Layer III alone.
    const bool layer3 =
        m_tracks->Count() > 0 && m_tracks->Track(0).format.layer == mp3::FrameHeader::Layer3;
    return layer3 ? m_tracks->FormatsUnlikeFirst() : 0;
}

void MainWindow::ShowFormatNotice(int unlike) {
    if (unlike == 0 || m_preferences.options.conform) {
        ShowNotice(QString());
        return;
    }
    const QString inputs = unlike == 1
                               ? tr("1 input differs in format from the first")
                               : tr("%1 inputs differ in format from the first").arg(unlike);
    ShowNotice(inputs + tr(", and many players play the joined file wrongly. Turn on \"Re-encode "
                           "inputs of another format to match the first\" in File > Preferences "
                           "to keep one format throughout."));
}

void MainWindow::CreateCommands() {
    for (const Command& command : CommandTable()) {
        const QString name = QLatin1String(command.name);
        const QString prompt = command.prompt ? tr(command.prompt) : QString();
        QAction* action = ViewToggle(name);
        if (!action) {
            action = new QAction(this);
            if (command.icon) {
                action->setIcon(ToolIcon(QLatin1String(command.icon)));
            }
        }
        action->setObjectName(name);
        action->setText(tr(command.text));
        // The part before "\n" is the status-bar prompt, the part after it the tool tip.
        action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
        if (prompt.contains(QLatin1Char('\n'))) {
            action->setToolTip(prompt.section(QLatin1Char('\n'), 1));
        }
        // Window-wide, so that the keys the menus show work wherever the focus is.
        action->setShortcuts(Keys(command));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        if (command.handler) {
            connect(action, &QAction::triggered, this, command.handler);
        }
        if (command.onList) {
            m_view->addAction(action);
        }
        m_actions.insert(name, action);
    }
    QAction* statusBar = Action(QStringLiteral("statusBar"));
    statusBar->setCheckable(true);
    statusBar->setChecked(true);
    connect(statusBar, &QAction::toggled, this->statusBar(), &QWidget::setVisible);
}

QAction* MainWindow::ViewToggle(const QString& name) const {
    return name == QLatin1String("outputWindow") ? m_output->toggleViewAction()
           : name == QLatin1String("toolBar")    ? m_toolBar->toggleViewAction()
                                                 : nullptr;
}

void MainWindow::CreateMenuBar() {
    const std::pair<CommandMenu, QString> menus[] = {{CommandMenu::File, tr("&File")},
                                                     {CommandMenu::Edit, tr("&Edit")},
                                                     {CommandMenu::View, tr("&View")},
                                                     {CommandMenu::Help, tr("&Help")}};
    for (const auto& [which, title] : menus) {
        QMenu* menu = menuBar()->addMenu(title);
        for (const Command& command : CommandTable()) {
            if (command.menu != which) {
                continue;
            }
            if (command.menuSeparator) {
                menu->addSeparator();
            }
            menu->addAction(Action(QLatin1String(command.name)));
            if (qstrcmp(command.name, "saveWorkspaceAs") == 0) {
                menu->addMenu(m_recentMenu);
            }
        }
    }
    FillRecentMenu(WindowSettings().value(kRecentKey).toStringList());
}

void MainWindow::FillRecentMenu(const QStringList& recent) {
    m_recentMenu->clear();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction* open = m_recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        connect(open, &QAction::triggered, this, [this, path] { AskThenOpen(path); });
    }
    m_recentMenu->setEnabled(!recent.isEmpty() && !IsMerging());
}

void MainWindow::RememberWorkspace(const QString& path) {
    QSettings settings = WindowSettings();
    QStringList recent = settings.value(kRecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    recent = recent.mid(0, kRecentCount);
    settings.setValue(kRecentKey, recent);
    FillRecentMenu(recent);
}

void MainWindow::CreateToolBar() {
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));  // for the saved window layout
    m_toolBar->setIconSize(QSize(16, 16));
    for (const Command& command : CommandTable()) {
        if (command.icon) {
            if (command.toolBarSeparator) {
                m_toolBar->addSeparator();
            }
            m_toolBar->addAction(Action(QLatin1String(command.name)));
        }
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void MainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->showMessage(IdleMessage());
    // The message area falls back to "Ready", or "Merging…", whenever a prompt goes away.
    connect(bar, &QStatusBar::messageChanged, bar, [this, bar](const QString& message) {
        if (message.isEmpty()) {
            bar->showMessage(IdleMessage());
        }
    });
    bar->addPermanentWidget(m_figures);
    connect(m_tracks, &TrackListModel::totalsChanged, this, &MainWindow::UpdateStatusFigures);
    UpdateStatusFigures();
    const char* names[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_indicators[i] = new QLabel(QString::fromLatin1(names[i]), bar);
        m_indicators[i]->setAlignment(Qt::AlignCenter);
        m_indicators[i]->setMinimumWidth(m_indicators[i]->sizeHint().width() + 8);
        m_indicators[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(m_indicators[i]);
    }
    UpdateLockIndicators();
    qApp->installEventFilter(this);

    // Placed by hand rather than by the bar's layout, so that it keeps its own geometry.
    m_progress->setParent(bar);
    m_progress->setFormat(QStringLiteral("%p%"));
    m_progress->setRange(0, 100);
    m_progress->hide();
    m_cancelButton->setParent(bar);
    m_cancelButton->setText(tr("Cancel"));
    m_cancelButton->setToolTip(tr("Stop the merge; the output file stays as it was (Esc)"));
    m_cancelButton->hide();
    connect(m_cancelButton, &QToolButton::clicked, this, &MainWindow::OnCancelMerge);
    // A window-wide shortcut, so that Esc stops the merge wherever the focus is.
    m_cancelAction->setObjectName(QStringLiteral("cancelMerge"));
    m_actions.insert(m_cancelAction->objectName(), m_cancelAction);
    m_cancelAction->setShortcut(Qt::Key_Escape);
    m_cancelAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_cancelAction);
    connect(m_cancelAction, &QAction::triggered, this, &MainWindow::OnCancelMerge);
    bar->installEventFilter(this);
}

void MainWindow::ConnectList() {
    connect(m_tracks, &TrackListModel::moveRequested, this,
            [this](const QList<int>& rows, int before) {
                if (!Arrange(tr("Move"), MoveRowsBefore(m_tracks->Count(), rows, before))) {
                    return;  // dropped where they stood
                }
                Log(rows.size() == 1
                        ? tr("Move mp3 file from position %1 to %2").arg(rows.first()).arg(before)
                        : tr("Move %n mp3 files to position %1", nullptr, int(rows.size()))
                              .arg(before));
            });
    connect(m_tracks, &TrackListModel::filesDropped, this, &MainWindow::OnFilesDropped);
    connect(m_tracks, &TrackListModel::totalsChanged, this, &MainWindow::UpdateCommandUI);
    // Whatever changes the list or what is known of its entries, the first one included.
    const auto formats = [this] { ShowFormatNotice(FormatsToConform()); };
    connect(m_tracks, &TrackListModel::totalsChanged, this, formats);
    connect(m_tracks, &TrackListModel::layoutChanged, this, formats);
}

void MainWindow::ConnectJoin() {
    connect(m_join, &JoinController::progressed, m_progress, &QProgressBar::setValue);
    connect(m_join, &JoinController::logged, this, &MainWindow::Log);
    connect(m_join, &JoinController::finished, this, &MainWindow::OnMergeFinished);
}

void MainWindow::UpdateCommandUI() {
    const bool idle = !IsMerging();
    const bool entries = m_tracks->Count() > 0;
    for (const Command& command : CommandTable()) {
        const bool usable = command.use == CommandUse::Always ||
                            (idle && (command.use == CommandUse::Idle || entries));
        Action(QLatin1String(command.name))->setEnabled(usable);
    }
    m_cancelAction->setEnabled(!idle);
    m_recentMenu->setEnabled(!m_recentMenu->isEmpty() && idle);
    // Entries are not dragged about while a merge runs; files dropped then wait for its end.
    m_view->setDragEnabled(idle);
    // Undo and Redo name the step they take, and there must be one.
    const auto name = [](const QString& command, const QString& step) {
        return step.isEmpty() ? command : command + QLatin1Char(' ') + step;
    };
    QAction* undo = Action(QStringLiteral("undo"));
    QAction* redo = Action(QStringLiteral("redo"));
    undo->setText(name(tr("&Undo"), m_undoStack->undoText()));
    redo->setText(name(tr("&Redo"), m_undoStack->redoText()));
    undo->setEnabled(idle && m_undoStack->canUndo());
    redo->setEnabled(idle && m_undoStack->canRedo());
}

QString MainWindow::DisplayName() const {
    return m_file.isEmpty() ? tr("Untitled") : QFileInfo(m_file).fileName();
}

void MainWindow::UpdateTitle() {
    setWindowTitle(
        QStringLiteral("%1[*] \u2014 %2").arg(DisplayName(), QString::fromLatin1(kProductTitle)));
    setWindowModified(!m_undoStack->isClean());
}

void MainWindow::Push(QUndoCommand* command) {
    m_undoStack->push(command);
    UpdateTitle();
}

bool MainWindow::MaybeSave() {
    if (m_undoStack->isClean()) {
        return true;
    }
    switch (m_dialogs->AskToSave(this, tr("Save changes to %1?").arg(DisplayName()))) {
        case WindowDialogs::Answer::Save:
            OnSaveWorkspace();
            return m_undoStack->isClean();
        case WindowDialogs::Answer::Discard:
            return true;
        case WindowDialogs::Answer::Cancel:
            break;
    }
    return false;
}

void MainWindow::OnUndo() {
    if (m_undoStack->canUndo()) {
        Log(tr("Undo: %1").arg(m_undoStack->undoText()));
        m_undoStack->undo();
        UpdateTitle();
    }
}

void MainWindow::OnRedo() {
    if (m_undoStack->canRedo()) {
        Log(tr("Redo: %1").arg(m_undoStack->redoText()));
        m_undoStack->redo();
        UpdateTitle();
    }
}

void MainWindow::OnSelectAll() {
    m_view->selectAll();
}

Rearrangement MainWindow::SortedAs(const QStringList& target) const {
    Rearrangement sorted{OrderOf(m_tracks->Paths(), target), {}};
    // The selection goes with its entries.
    const QList<int> selected = m_view->SelectedRows();
    for (int row = 0; row < sorted.order.size(); ++row) {
        if (std::binary_search(selected.begin(), selected.end(), sorted.order[row])) {
            sorted.landed << row;
        }
    }
    return sorted;
}

bool MainWindow::Arrange(const QString& step, const Rearrangement& arrangement) {
    if (std::is_sorted(arrangement.order.begin(), arrangement.order.end())) {
        return false;
    }
    Push(new ArrangeTracks(step, Parts(), arrangement));
    return true;
}

void MainWindow::OnSortByFileName() {
    Arrange(tr("Sort by File Name"), SortedAs(SortedByFileName(m_tracks->Paths())));
    Log(tr("MP3 files sorted by file name."));
}

void MainWindow::OnSortByTrack() {
    Arrange(tr("Sort by Track Number"), SortedAs(SortedByTrack(m_tracks->Paths())));
    Log(tr("MP3 files sorted by track number."));
}

QString MainWindow::IdleMessage() const {
    return IsMerging() ? tr("Merging…") : tr("Ready");
}

void MainWindow::PlaceProgress() {
    const QRect bar = statusBar()->rect();
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

QString MainWindow::StatusFigures() const {
    const int count = m_tracks->Count();
    const QString files = count == 1 ? tr("1 file") : tr("%1 files").arg(count);
    return QStringLiteral("%1, %2").arg(files, Clock(m_tracks->TotalSeconds()));
}

void MainWindow::UpdateStatusFigures() {
    m_figures->setText(StatusFigures());
    m_figures->setVisible(!IsMerging());
}

void MainWindow::UpdateLockIndicators() {
    const std::optional<LockKeys> keys = QueryLockKeys();
    const bool on[3] = {keys && keys->capsLock, keys && keys->numLock, keys && keys->scrollLock};
    // Like a lamp: a key that is off, or whose state is unknown, shows greyed.
    for (int i = 0; i < 3; ++i) {
        m_indicators[i]->setEnabled(on[i]);
    }
}

void MainWindow::Log(const QString& text) {
    m_output->AppendLogLine(text);
}

void MainWindow::LogEach(const QStringList& lines) {
    for (const QString& line : lines) {
        Log(line);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == statusBar() && event->type() == QEvent::Resize) {
        PlaceProgress();
    } else if (event->type() == QEvent::KeyRelease ||
               (watched == this && event->type() == QEvent::WindowActivate)) {
        UpdateLockIndicators();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::RestoreLayout() {
    QSettings settings = WindowSettings();
    restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("windowState")).toByteArray());
    Action(QStringLiteral("statusBar"))
        ->setChecked(settings.value(QStringLiteral("statusBar"), true).toBool());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if ((IsMerging() && !MayCloseWhileMerging()) || !MaybeSave()) {
        return;
    }
    QSettings settings = WindowSettings();
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
    settings.setValue(QStringLiteral("windowState"), saveState());
    settings.setValue(QStringLiteral("statusBar"), statusBar()->isVisibleTo(this));
    event->accept();
}

bool MainWindow::MayCloseWhileMerging() {
    m_askingToClose = true;
    const bool cancel = m_dialogs->Confirm(
        this, tr("Merge"), tr("A merge is running. Cancel it and close the window?"),
        tr("Cancel the Merge and Close"), tr("Keep Merging"));
    m_askingToClose = false;
    // Ended while the question was open, which it withdrew: nothing keeps the window.
    if (!IsMerging()) {
        return true;
    }
    if (cancel) {
        // Closed once the merge has ended, the output left as it was.
        m_closeAfterMerge = true;
        OnCancelMerge();
    } else {
        Log(tr("You can not exit the application while merge thread is running ..."));
    }
    return false;
}

void MainWindow::OnFilesDropped(const QStringList& paths, int row) {
    if (IsLoneWorkspace(paths)) {
        AskThenOpen(paths[0]);
    } else {
        AddInputs(paths, row, tr("Drop"), true);
    }
}

void MainWindow::AddInputs(const QStringList& paths, int row, const QString& step, bool audioOnly) {
    Additions added;
    for (const QString& path : paths) {
        const FolderInputs inputs = ExpandFolders({path});
        LogEach(inputs.notes);
        QStringList taken;
        for (const QString& file : inputs.files) {
            if (UsableInput(file, audioOnly)) {
                taken << file;
            }
        }
        // A file stands for itself; a folder for the files under it, never itself among them.
        if (inputs.files == QStringList{path}) {
            for (const QString& file : taken) {
                added.lines << tr("MP3 file \"%1\" has been inserted!").arg(file);
            }
        } else if (!taken.isEmpty()) {
            added.lines << tr("Folder \"%1\" has been inserted with %2 MP3 files!")
                               .arg(path)
                               .arg(taken.size());
        }
        added.files << taken;
    }
    // A merge's inputs are fixed when it starts, but the list stays as it is until its end.
    if (IsMerging()) {
        m_pendingDrops.files << added.files;
        m_pendingDrops.lines << added.lines;
    } else {
        Insert(added, row, step);
    }
}

void MainWindow::Insert(const Additions& additions, int row, const QString& step) {
    if (!additions.files.isEmpty()) {
        Push(new InsertTracks(step, Parts(), row, additions.files));
        LogEach(additions.lines);
    }
}

bool MainWindow::UsableInput(const QString& path, bool audioOnly) {
    QString problem = UnusableName(path);
    if (problem.isEmpty() && audioOnly && !IsMpegAudioName(path)) {
        problem = tr("it is not an MPEG audio file (.mp3, .mp2, .mpa)");
    }
    if (!problem.isEmpty()) {
        Log(tr("MP3 file %1 has not been added: %2.").arg(Quoted(path), problem));
    }
    return problem.isEmpty();
}

void MainWindow::OpenFiles(const QStringList& names) {
    // Kept as absolute paths, as dropped files are, so that a saved workspace still finds them.
    QStringList paths;
    for (const QString& name : names) {
        paths << QDir::current().absoluteFilePath(name);
    }
    if (IsLoneWorkspace(paths)) {
        AskThenOpen(paths[0]);
    } else {
        AddInputs(paths, m_tracks->Count(), tr("Insert"));
    }
}

void MainWindow::TakeHandOvers(SingleInstance& instance) {
    connect(&instance, &SingleInstance::FilesArrived, this, [this](const QStringList& files) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
        // A start without files only asks for the window.
        if (!files.isEmpty()) {
            OpenFiles(files);
        }
    });
}

void MainWindow::OnNewWorkspace() {
    if (!MaybeSave()) {
        return;
    }
    Push(new ReplaceWorkspace(tr("New"), Parts(), {}, {}, QString()));
    m_undoStack->setClean();
    Log(tr("Create new workspace."));
}

void MainWindow::OnOpenWorkspace() {
    if (!MaybeSave()) {
        return;
    }
    const QString path =
        m_dialogs->GetOpenFileName(this, tr(kWorkspaceFilter), QStringLiteral("twk"));
    if (!path.isEmpty()) {
        OpenWorkspace(path);
    }
}

void MainWindow::AskThenOpen(const QString& path) {
    if (!IsMerging() && MaybeSave()) {
        OpenWorkspace(path);
    }
}

void MainWindow::OpenWorkspace(const QString& path) {
    TessaroWorkSpace opened;
    FolderInputs folders;
    const std::optional<WorkSpaceLoadFailure> failure = LoadWorkSpace(opened, path, folders);
    if (!failure) {
        Push(new ReplaceWorkspace(tr("Open"), Parts(), opened.Paths(), opened.Tag(), path));
        m_undoStack->setClean();
        Log(tr("Workspace has been opened."));
        LogEach(folders.notes);
        RememberWorkspace(path);
        return;
    }
    QString problem = failure->reason;
    if (failure->kind == WorkSpaceLoadFailure::Kind::NotWorkSpace) {
        problem = tr("it is not a Tessaro workspace file, or it cannot be read.");
    } else if (failure->kind == WorkSpaceLoadFailure::Kind::Damaged) {
        problem = tr("the file is damaged: %1.").arg(failure->reason);
    }
    m_dialogs->ShowMessage(this, WindowDialogs::Icon::Error, tr("Open workspace"),
                           tr("Cannot open %1: %2").arg(Quoted(path), problem));
}

void MainWindow::OnSaveWorkspace() {
    if (m_file.isEmpty()) {
        OnSaveWorkspaceAs();
    } else {
        SaveTo(m_file);
    }
}

void MainWindow::OnSaveWorkspaceAs() {
    const QString path =
        m_dialogs->GetSaveFileName(this, tr(kWorkspaceFilter), QStringLiteral("twk"), m_file);
    if (!path.isEmpty() && SaveTo(path)) {
        m_file = path;
        UpdateTitle();
    }
}

bool MainWindow::SaveTo(const QString& path) {
    try {
        Workspace().SaveToFile(path);
    } catch (const TessaroWorkSpaceNotSaved& failure) {
        m_dialogs->ShowMessage(
            this, WindowDialogs::Icon::Error, tr("Save workspace"),
            tr("Cannot save the workspace to %1: %2").arg(Quoted(path), failure.reason));
        return false;
    }
    m_undoStack->setClean();
    Log(tr("Workspace has been saved."));
    RememberWorkspace(path);
    return true;
}

void MainWindow::OnInsertMp3() {
    // Picked together, numbered files go in as people count them, whatever the dialog's order.
    const QStringList paths =
        SortedByFileName(m_dialogs->GetOpenFileNames(this, tr(kMp3Filter), QStringLiteral("mp3")));
    AddInputs(paths, m_tracks->Count(), tr("Insert"));
}

void MainWindow::OnInsertFolder() {
    const QString folder = m_dialogs->GetExistingFolder(this);
    if (!folder.isEmpty()) {
        AddInputs({folder}, m_tracks->Count(), tr("Insert Folder"));
    }
}

void MainWindow::OnRemoveMp3() {
    const QList<int> selection = m_view->SelectedRows();
    if (selection.isEmpty()) {
        return;
    }
    Log(selection.size() == 1
            ? tr("MP3 file has been removed from workspace.")
            : tr("%n MP3 files have been removed from workspace.", nullptr, int(selection.size())));
    Push(new RemoveTracks(tr("Remove"), Parts(), selection));
}

void MainWindow::MoveSelection(Direction direction) {
    const QList<int> selection = m_view->SelectedRows();
    if (selection.isEmpty()) {
        return;
    }
    const bool up = direction == Direction::Up;
    const int count = int(selection.size());
    try {
        Arrange(up ? tr("Move Up") : tr("Move Down"),
                StepRows(m_tracks->Count(), selection, direction));
        Log(count == 1 ? (up ? tr("MP3 file moved up.") : tr("MP3 file moved down."))
                       : (up ? tr("%n MP3 files moved up.", nullptr, count)
                             : tr("%n MP3 files moved down.", nullptr, count)));
    } catch (const x::BadBound&) {
        // The first entry cannot move up, nor the last one down: nothing to do or say.
    }
}

void MainWindow::OnHelp() {
    const QString help = HelpFilePath(QCoreApplication::applicationFilePath());
    const bool present = QFileInfo(help).isFile();
    if (present && HasHelpViewer() && OpenHelp()) {
        return;
    }
    // Handed over without a viewer, the file would open nowhere and nothing would be said.
    const QString why =
        present ? tr("No program for compiled HTML help is installed to open the help file %1. "
                     "Install xchm or kchmviewer, for example with: sudo apt-get install xchm")
                      .arg(Quoted(help))
                : tr("The help file %1 is missing.").arg(Quoted(help));
    const QString guide = HtmlGuidePath(QCoreApplication::applicationFilePath());
    if (guide.isEmpty()) {
        m_dialogs->ShowMessage(this, WindowDialogs::Icon::Error, tr("Help"), why);
    } else if (!HasWebBrowser()) {
        m_dialogs->ShowMessage(this, WindowDialogs::Icon::Error, tr("Help"),
                               why + QStringLiteral("\n\n") +
                                   tr("No web browser was found either to read the same guide, "
                                      "%1. Install one, for example with: sudo apt-get install "
                                      "firefox-esr")
                                       .arg(Quoted(guide)));
    } else if (m_dialogs->Confirm(this, tr("Help"),
                                  why + QStringLiteral("\n\n") +
                                      tr("The same guide can be read in your web browser."),
                                  tr("Open in Browser")) &&
               !OpenHtmlGuide(guide)) {
        ShowNoBrowser(tr("Help"), guide);
    }
}

void MainWindow::ShowNoBrowser(const QString& caption, const QString& address) {
    m_dialogs->ShowMessage(this, WindowDialogs::Icon::Error, caption,
                           tr("Cannot start a web browser for %1.").arg(Quoted(address)));
}

void MainWindow::OnID3TagEditor() {
    // It shows the workspace's tag, which is replaced only on OK.
    TagEditorDialog editor(this, m_tag, m_preferences.saveID3Tag, m_cover, [this] {
        return m_dialogs->GetOpenFileName(this, tr("Pictures (*.jpg *.jpeg *.png)"),
                                          QStringLiteral("jpg"));
    });
    if (editor.exec() == QDialog::Accepted &&
        (!(editor.Tag() == m_tag) || editor.Cover() != m_cover)) {
        Push(new ChangeTag(tr("Tag"), Parts(), editor.Tag(), editor.Cover()));
    }
}

void MainWindow::SetTag(const OutputTag& tag) {
    if (!(tag == m_tag)) {
        Push(new ChangeTag(tr("Tag"), Parts(), tag, m_cover));
    }
}

QString MainWindow::ChapterFilter() {
    QStringList patterns;
    QStringList each;
    for (const ChapterFormInfo& form : ChapterForms()) {
        for (const QString& extension : form.extensions) {
            patterns << QStringLiteral("*.") + extension;
        }
        each << form.Filter();
    }
    return tr("Chapter files (%1)").arg(patterns.join(QLatin1Char(' '))) + QStringLiteral(";;") +
           each.join(QStringLiteral(";;"));
}

void MainWindow::OnImportChapters() {
    const QString path = m_dialogs->GetOpenFileName(this, ChapterFilter(), QStringLiteral("txt"));
    if (path.isEmpty()) {
        return;
    }
    // Checked now for what it holds; its times, and the inputs a CUE sheet's FILE lines name,
    // against the inputs and the joined audio when it is merged.
    QString why;
    const std::optional<size_t> chapters = CountChapters(path, &why);
    if (!chapters) {
        m_dialogs->ShowMessage(this, WindowDialogs::Icon::Error, tr("Import Chapters"),
                               tr("Cannot import chapters from %1: %2").arg(Quoted(path), why));
        return;
    }
    Push(new ChooseChapterFile(tr("Import Chapters"), Parts(), path));
    Log(*chapters == 1
            ? tr("1 chapter from \"%1\" goes into the next merged file.").arg(path)
            : tr("%1 chapters from \"%2\" go into the next merged file.").arg(*chapters).arg(path));
}

void MainWindow::OnExportChapters() {
    if (m_joinedChapters.empty()) {
        m_dialogs->ShowMessage(
            this, WindowDialogs::Icon::Information, tr("Export Chapters"),
            tr("The file merged last has no chapters. Turn on \"Add a chapter for each input "
               "file\" in File > Preferences, or import a chapter file, and merge."));
        return;
    }
    const QString path = m_dialogs->GetSaveFileName(this, ChapterFilter(), QStringLiteral("txt"));
    if (path.isEmpty()) {
        return;
    }
    QString why;
    const std::optional<QByteArray> text =
        FormatChapters(m_joinedChapters, ChapterFormOfName(path), m_joinedSheet, &why);
    if (text) {
        why = WriteAtomically(path, *text);
    }
    if (!text || !why.isEmpty()) {
        m_dialogs->ShowMessage(this, WindowDialogs::Icon::Error, tr("Export Chapters"),
                               tr("Cannot export the chapters to %1: %2").arg(Quoted(path), why));
        return;
    }
    Log(tr("Chapters exported to \"%1\".").arg(path));
}

void MainWindow::OnPreferences() {
    PreferencesDialog dialog(this);
    dialog.StandardPage().SetPreferences(m_preferences);
    if (dialog.exec() == QDialog::Accepted) {
        m_preferences = dialog.StandardPage().Preferences();
        // The options are kept at once; the preference file is written as the window closes.
        SaveJoinOptions(m_preferences.options);
        ShowFormatNotice(FormatsToConform());
    }
}

void MainWindow::OnExit() {
    close();
}

void MainWindow::OnVisitWebSite() {
    if (!VisitMakerWebSite()) {
        ShowNoBrowser(tr("Visit Veskaro Technology"), kMakerWebSite.toString());
    }
}

void MainWindow::OnAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::OnMerge() {
    if (m_tracks->Count() == 0) {
        return;
    }
    const QStringList inputs = m_tracks->Paths();
    const QString path =
        m_dialogs->GetSaveFileName(this, tr(kMp3Filter), QStringLiteral("mp3"),
                                   ProposedTarget(inputs, m_tag.album, m_file, tr("Joined")));
    if (path.isEmpty()) {
        return;
    }
    if (const QString folder = InputFolderAround(path, inputs); !folder.isEmpty()) {
        Log(tr("The joined file \"%1\" lies in %2, where input files come from: a later Insert "
               "Folder would take it in as an input.")
                .arg(QFileInfo(path).fileName(), Quoted(folder)));
    }
    // The cover and the chapter file chosen for this workspace stand in for the preferences'.
    JoinOptions options = m_preferences.options;
    if (!m_cover.isEmpty()) {
        options.coverFile = m_cover;
    }
    if (!m_chapterFile.isEmpty()) {
        options.chapterFile = m_chapterFile;
    }
    m_join->Start({.inputs = inputs,
                   .output = path,
                   .tag = m_tag,
                   .writeTag = m_preferences.saveID3Tag,
                   .options = options});
    m_joinedSheet.audioFile = QFileInfo(path).fileName();
    Log(tr("Begin to merge mp3 files ..."));
    m_progress->setValue(0);
    m_progress->show();
    m_cancelButton->setEnabled(true);
    m_cancelButton->show();
    UpdateCommandUI();
    UpdateStatusFigures();
    statusBar()->showMessage(IdleMessage());
}

void MainWindow::OnCancelMerge() {
    if (IsMerging() && !m_join->IsCancelling()) {
        m_join->Cancel();
        m_cancelButton->setEnabled(false);
    }
}

void MainWindow::OnMergeFinished(const MergeResult& result) {
    if (result.Succeeded()) {
        m_joinedChapters = result.chapters;
        m_joinedSheet.title = result.title;
        m_joinedSheet.performer = result.artist;
    }
    // What it asked to close the window for is over.
    if (m_askingToClose) {
        m_dialogs->WithdrawQuestion();
    }
    m_progress->hide();
    m_cancelButton->hide();
    UpdateCommandUI();
    UpdateStatusFigures();
    statusBar()->showMessage(IdleMessage());
    if (!m_pendingDrops.files.isEmpty()) {
        Insert(m_pendingDrops, m_tracks->Count(), tr("Drop"));
        Log(tr("%n file(s) dropped during the merge have been added.", nullptr,
               int(m_pendingDrops.files.size())));
    }
    m_pendingDrops = {};
    // The window's attention, should the user be busy elsewhere meanwhile.
    QApplication::alert(this);
    if (m_closeAfterMerge) {
        m_closeAfterMerge = false;
        close();
        return;
    }
    // The join sees every frame, the list the first ones alone.
    if (result.Succeeded()) {
        ShowFormatNotice(result.formatsToConform);
    }
    // A cancelled merge did what was asked: the log says so, no box is needed.
    if (!result.Succeeded() && !result.cancelled) {
        m_dialogs->ShowMessage(this, WindowDialogs::Icon::Error, tr("Merge failed"), result.error);
    }
}

}  // namespace tessaro
