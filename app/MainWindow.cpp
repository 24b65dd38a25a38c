#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include "app/ChapterCommands.h"
#include "app/ChapterPreview.h"
#include "app/DesktopProgress.h"
#include "app/JoinController.h"
#include "app/ListCommands.h"
#include "app/Listening.h"
#include "app/MergeCommands.h"
#include "app/NoticeBar.h"
#include "app/RecentWorkspaces.h"
#include "app/SingleInstance.h"
#include "app/SplitCommands.h"
#include "app/SplitController.h"
#include "app/StatusArea.h"
#include "app/ToolIcons.h"
#include "app/TrackInsertion.h"
#include "app/WorkspaceCommands.h"
#include "app/WorkspaceDocument.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/PreferencesDialog.h"
#include "dialogs/TagEditorDialog.h"
#include "settings/Preferences.h"
#include "settings/Product.h"
#include "settings/WindowSettings.h"
#include "view/ChapterListModel.h"
#include "view/ChapterPane.h"
#include "view/OutputPane.h"
#include "view/TrackListModel.h"
#include "view/TrackListView.h"
#include "workspace/NaturalOrder.h"

// Outside any namespace, as Qt's resource initialiser must be.
static void InitResources() {
    Q_INIT_RESOURCE(tessaro);
}

namespace tessaro {
namespace {

const QString kPreferencesFolder = QString::fromLatin1(kProductTitle);
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
    : m_document(new WorkspaceDocument(*this)),
      m_chapterList(new ChapterListModel(this)),
      m_view(new TrackListView(m_document->Tracks())),
      m_join(new JoinController(this)),
      m_splitter(new SplitController(this)),
      m_notice(new NoticeBar),
      m_cancelAction(new QAction(tr("&Cancel Merge"), this)),
      m_toolBar(new QToolBar(tr("Tool Bar"), this)),
      m_output(new OutputPane(this)),
      m_dialogs(std::make_unique<QtWindowDialogs>()),
      m_recent(new RecentWorkspaces(*this)),
      m_chapters(new ChapterCommands(*this, *m_document, *m_chapterList)),
      m_insertion(new TrackInsertion(*m_document, *m_join)),
      m_list(new ListCommands(*m_document, *m_view)),
      m_listening(new Listening(std::make_unique<DeviceSoundOutput>(), this)) {
    m_preferences = LoadJoinPreferences(GetPreferencesPath(kPreferencesFolder));
    InitResources();
    m_document->ShowIn(*m_view);
    CreateCentralArea();
    CreateStatusBar();
    addDockWidget(Qt::BottomDockWidgetArea, m_output);
    resizeDocks({m_output}, {100}, Qt::Vertical);
    CreateChapterPane();
    CreateCommands();
    CreateMenuBar();
    CreateToolBar();
    ConnectList();
    ConnectJoin();
    connect(&m_document->UndoStack(), &QUndoStack::indexChanged, this,
            &MainWindow::UpdateCommandUI);
    connect(m_document, &WorkspaceDocument::titleChanged, this, &MainWindow::UpdateTitle);
    connect(m_document, &WorkspaceDocument::logged, this, &MainWindow::Log);
    connect(m_chapters, &ChapterCommands::logged, this, &MainWindow::Log);
    connect(m_insertion, &TrackInsertion::logged, this, &MainWindow::Log);
    connect(m_list, &ListCommands::logged, this, &MainWindow::Log);
    connect(m_document, &WorkspaceDocument::fileUsed, m_recent, &RecentWorkspaces::Remember);
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
    disconnect(&m_document->UndoStack(), nullptr, this, nullptr);
    disconnect(m_document, nullptr, this, nullptr);
}

void MainWindow::SetDialogs(std::unique_ptr<WindowDialogs> dialogs) {
    m_dialogs = std::move(dialogs);
}

void MainWindow::SetSoundOutput(std::unique_ptr<SoundOutput> output) {
    m_listening->SetOutput(std::move(output));
}

QMenu& MainWindow::RecentMenu() {
    return m_recent->Menu();
}

bool MainWindow::IsMerging() const {
    return m_join->IsRunning();
}

bool MainWindow::IsSplitting() const {
    return m_splitter->IsSplitting() || m_splitter->IsReading();
}

void MainWindow::CreateCentralArea() {
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_notice);
    layout->addWidget(m_view, 1);
    m_view->setAccessibleName(tr("MP3 files"));
    setCentralWidget(central);
    setFocusProxy(m_view);
}

void MainWindow::ShowFormatNotice(int unlike) {
    m_notice->ShowFormats(unlike, m_preferences.options.conform);
}

void MainWindow::CreateCommands() {
    m_commands = Commands();
    for (const Command& command : m_commands) {
        const QString name = QLatin1String(command.name);
        const QString prompt = command.prompt ? tr(command.prompt) : QString();
        QAction* action = ViewToggle(name);
        if (!action) {
            action = new QAction(this);
        }
        action->setObjectName(name);
        action->setText(tr(command.text));
        // The part before "\n" is the status-bar prompt, the part after it the tool tip.
        action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
        if (prompt.contains(QLatin1Char('\n'))) {
            action->setToolTip(prompt.section(QLatin1Char('\n'), 1));
        }
        // Window-wide, so that the keys the menus show work wherever the focus is; the list's own
        // only in the list, where a rename's editor still takes them first.
        action->setShortcuts(Keys(command));
        action->setShortcutContext(command.listKeys ? Qt::WidgetWithChildrenShortcut
                                                    : Qt::WindowShortcut);
        if (!command.listKeys) {
            addAction(action);
        }
        if (command.handler) {
            connect(action, &QAction::triggered, this, command.handler);
        }
        if (command.onList || command.listKeys) {
            m_view->addAction(action);
        }
        m_actions.insert(name, action);
    }
    QAction* statusBar = Action(QStringLiteral("statusBar"));
    statusBar->setCheckable(true);
    statusBar->setChecked(true);
    connect(statusBar, &QAction::toggled, this->statusBar(), &QWidget::setVisible);
    ShowToolIcons();
}

void MainWindow::ShowToolIcons() {
    // The bar is drawn in the window's colour, its palette taken from the window's.
    const QColor bar = palette().color(QPalette::Window);
    for (const Command& command : m_commands) {
        if (command.icon) {
            Action(QLatin1String(command.name))
                ->setIcon(ToolIcon(QLatin1String(command.icon), bar));
        }
    }
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange && !m_commands.empty()) {
        ShowToolIcons();
    }
    QMainWindow::changeEvent(event);
}

QAction* MainWindow::ViewToggle(const QString& name) const {
    return name == QLatin1String("outputWindow")   ? m_output->toggleViewAction()
           : name == QLatin1String("chaptersPane") ? m_chapterPane->toggleViewAction()
           : name == QLatin1String("toolBar")      ? m_toolBar->toggleViewAction()
                                                   : nullptr;
}

void MainWindow::CreateChapterPane() {
    m_chapterPane = new ChapterPane(*m_chapterList, this);
    addDockWidget(Qt::RightDockWidgetArea, m_chapterPane);
    m_preview =
        new ChapterPreview([this] { return m_document->JoinOf(m_preferences, QString()); }, this);
    connect(m_preview, &ChapterPreview::previewed, this, &MainWindow::ShowChapters);
    connect(m_chapterList, &ChapterListModel::renameRequested, m_chapters,
            &ChapterCommands::Rename);
    TrackListModel& tracks = m_document->Tracks();
    connect(&tracks, &TrackListModel::chapterRenameRequested, m_chapters,
            &ChapterCommands::RenameAt);
    // Whatever changes the list, its marks, or the chapter file and its titles (each a step).
    connect(&tracks, &QAbstractItemModel::rowsInserted, this, &MainWindow::RefreshChapters);
    connect(&tracks, &QAbstractItemModel::rowsRemoved, this, &MainWindow::RefreshChapters);
    connect(&tracks, &QAbstractItemModel::modelReset, this, &MainWindow::RefreshChapters);
    connect(&tracks, &QAbstractItemModel::layoutChanged, this, &MainWindow::RefreshChapters);
    connect(&tracks, &TrackListModel::marksChanged, this, &MainWindow::RefreshChapters);
    connect(&m_document->UndoStack(), &QUndoStack::indexChanged, this,
            &MainWindow::RefreshChapters);
    m_chaptersWereOn = ChaptersOn();
    m_chapterPane->setVisible(m_chaptersWereOn);
    RefreshChapters();
}

bool MainWindow::ChaptersOn() const {
    return m_preferences.options.chapters || !m_document->ChapterFile().isEmpty();
}

void MainWindow::RefreshChapters() {
    const bool on = ChaptersOn();
    if (on && !m_chaptersWereOn) {
        m_chapterPane->show();
    }
    m_chaptersWereOn = on;
    if (on && m_document->Tracks().Count() > 0) {
        m_preview->Refresh();
        return;
    }
    m_chapterList->SetChapters({});
    m_document->Tracks().ShowChapters(
        std::vector<QStringList>(size_t(m_document->Tracks().Count())));
    m_chapterPane->SetLine(on ? QString()
                              : tr("No chapters: turn on \"Add a chapter for each input file\" "
                                   "in File > Preferences, or import a chapter file."));
}

void MainWindow::ShowChapters(const MergeResult& preview) {
    TrackListModel& tracks = m_document->Tracks();
    // One made before chapters were turned off, or of a list that has changed since, which
    // another follows.
    if (!ChaptersOn() || (preview.Succeeded() && preview.inputs.size() != size_t(tracks.Count()))) {
        return;
    }
    m_chapterList->SetChapters(preview.Succeeded() ? ListChapters(preview)
                                                   : std::vector<ListedChapter>());
    tracks.ShowChapters(m_chapterList->TitlesByRow(tracks.Count()));
    m_chapterPane->SetLine(preview.error);
}

void MainWindow::CreateMenuBar() {
    const std::pair<CommandMenu, QString> menus[] = {{CommandMenu::File, tr("&File")},
                                                     {CommandMenu::Edit, tr("&Edit")},
                                                     {CommandMenu::Play, tr("&Play")},
                                                     {CommandMenu::View, tr("&View")},
                                                     {CommandMenu::Help, tr("&Help")}};
    for (const auto& [which, title] : menus) {
        QMenu* menu = menuBar()->addMenu(title);
        for (const Command& command : m_commands) {
            if (command.menu != which) {
                continue;
            }
            if (command.menuSeparator) {
                menu->addSeparator();
            }
            menu->addAction(Action(QLatin1String(command.name)));
            if (qstrcmp(command.name, "saveWorkspaceAs") == 0) {
                menu->addMenu(&m_recent->Menu());
            }
        }
    }
    connect(m_recent, &RecentWorkspaces::openRequested, this, &MainWindow::AskThenOpen);
}

void MainWindow::CreateToolBar() {
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));  // for the saved window layout
    m_toolBar->setIconSize(QSize(16, 16));
    for (const Command& command : m_commands) {
        if (command.icon) {
            if (command.toolBarSeparator) {
                m_toolBar->addSeparator();
            }
            AddToolButton(Action(QLatin1String(command.name)));
        }
    }
    m_toolBar->setAccessibleName(tr("Tool Bar"));
    // The button that shows the buttons a narrow window has no room for.
    if (auto* more = m_toolBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setAccessibleName(tr("More Tools"));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void MainWindow::AddToolButton(QAction* action) {
    m_toolBar->addAction(action);
    // The tool tip tells what the button does where its icon text alone ("Up") does not.
    const QString name = action->toolTip().isEmpty() ? action->iconText() : action->toolTip();
    m_toolBar->widgetForAction(action)->setAccessibleName(name);
}

void MainWindow::CreateStatusBar() {
    m_status = new StatusArea(*statusBar(), m_document->Tracks(), *m_join);
    m_merge = new MergeCommands(*this, *m_document, *m_join, *m_status, *m_chapters);
    m_split = new SplitCommands(*this, *m_splitter, *m_status);
    new DesktopProgress(*this, *m_join);
    m_status->SetGapSeconds(m_preferences.options.gapSeconds);
    connect(m_status, &StatusArea::cancelClicked, m_merge, &MergeCommands::Cancel);
    connect(m_status, &StatusArea::cancelClicked, m_split, &SplitCommands::Cancel);
    // A window-wide shortcut, so that Esc stops the merge wherever the focus is.
    m_cancelAction->setObjectName(QStringLiteral("cancelMerge"));
    m_actions.insert(m_cancelAction->objectName(), m_cancelAction);
    m_cancelAction->setShortcut(Qt::Key_Escape);
    m_cancelAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_cancelAction);
    connect(m_cancelAction, &QAction::triggered, m_merge, &MergeCommands::Cancel);
    connect(m_cancelAction, &QAction::triggered, m_split, &SplitCommands::Cancel);
}

void MainWindow::ConnectList() {
    connect(&m_document->Tracks(), &TrackListModel::moveRequested, m_list,
            &ListCommands::MoveDragged);
    connect(&m_document->Tracks(), &TrackListModel::filesDropped, this,
            &MainWindow::OnFilesDropped);
    connect(&m_document->Tracks(), &TrackListModel::totalsChanged, this,
            &MainWindow::UpdateCommandUI);
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::UpdateCommandUI);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::UpdateCommandUI);
    connect(m_listening, &Listening::told, this,
            [this](const QString& message) { statusBar()->showMessage(message); });
    // Whatever changes the list or what is known of its entries, the first one included.
    const auto formats = [this] { ShowFormatNotice(m_document->FormatsToConform()); };
    connect(&m_document->Tracks(), &TrackListModel::totalsChanged, this, formats);
    connect(&m_document->Tracks(), &TrackListModel::layoutChanged, this, formats);
}

int MainWindow::SelectedEntry() const {
    const QList<int> rows = m_view->SelectedRows();
    const int current = m_view->currentIndex().row();
    return rows.contains(current) ? current : rows.value(0, -1);
}

void MainWindow::OnPlayEntry() {
    if (m_listening->IsPlaying()) {
        m_listening->Stop();
    } else if (const int entry = SelectedEntry(); entry >= 0) {
        m_listening->PlayEntry(m_document->Tracks().Paths().at(entry));
    }
}

void MainWindow::OnListenToJoin() {
    const int entry = SelectedEntry();
    if (entry >= 0 && entry + 1 < m_document->Tracks().Count()) {
        m_listening->PlayJoin(m_document->Tracks().Paths(), entry, m_preferences.options);
    }
}

void MainWindow::ConnectJoin() {
    connect(m_join, &JoinController::logged, this, &MainWindow::Log);
    connect(m_merge, &MergeCommands::logged, this, &MainWindow::Log);
    connect(m_merge, &MergeCommands::ended, this, &MainWindow::OnMergeFinished);
    connect(m_split, &SplitCommands::logged, this, &MainWindow::Log);
    connect(m_split, &SplitCommands::busyChanged, this, &MainWindow::UpdateCommandUI);
    connect(m_split, &SplitCommands::ended, this, &MainWindow::OnSplitFinished);
}

void MainWindow::UpdateCommandUI() {
    const bool idle = !IsMerging() && !IsSplitting();
    const bool entries = m_document->Tracks().Count() > 0;
    const int entry = SelectedEntry();
    const bool byInputs = m_preferences.options.chapters && m_document->ChapterFile().isEmpty();
    const auto usable = [&](CommandUse use) {
        switch (use) {
            case CommandUse::Always:
                return true;
            case CommandUse::Idle:
                return idle;
            case CommandUse::IdleWithEntries:
                return idle && entries;
            case CommandUse::Entry:
                return entry >= 0;
            case CommandUse::EntryWithNext:
                return entry >= 0 && entry + 1 < m_document->Tracks().Count();
            case CommandUse::IdleWithInputChapters:
                return idle && entries && byInputs;
            case CommandUse::IdleWithChapterFile:
                return idle && !m_document->ChapterFile().isEmpty();
        }
        return false;
    };
    for (const Command& command : m_commands) {
        Action(QLatin1String(command.name))->setEnabled(usable(command.use));
    }
    m_cancelAction->setEnabled(!idle);
    m_recent->SetIdle(idle);
    // Entries are not dragged about while a merge runs; files dropped then wait for its end.
    m_view->setDragEnabled(idle);
    // Undo and Redo name the step they take, and there must be one.
    const auto name = [](const QString& command, const QString& step) {
        return step.isEmpty() ? command : command + QLatin1Char(' ') + step;
    };
    QAction* undo = Action(QStringLiteral("undo"));
    QAction* redo = Action(QStringLiteral("redo"));
    undo->setText(name(tr("&Undo"), m_document->UndoStack().undoText()));
    redo->setText(name(tr("&Redo"), m_document->UndoStack().redoText()));
    undo->setEnabled(idle && m_document->UndoStack().canUndo());
    redo->setEnabled(idle && m_document->UndoStack().canRedo());
}

void MainWindow::UpdateTitle() {
    setWindowTitle(QStringLiteral("%1[*] \u2014 %2")
                       .arg(m_document->DisplayName(), QString::fromLatin1(kProductTitle)));
    setWindowModified(m_document->IsModified());
}

void MainWindow::Log(const QString& text) {
    m_output->AppendLogLine(text);
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
    if ((IsMerging() && !MayCloseWhileMerging()) || !m_document->MaybeSave(*m_dialogs)) {
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
        m_merge->Cancel();
    } else {
        Log(tr("You can not exit the application while merge thread is running ..."));
    }
    return false;
}

void MainWindow::OnFilesDropped(const QStringList& paths, int row) {
    if (IsLoneWorkspace(paths)) {
        AskThenOpen(paths[0]);
    } else {
        m_insertion->Add(paths, row, tr("Drop"), true);
    }
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
        m_insertion->Add(paths, m_document->Tracks().Count(), tr("Insert"));
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
    if (m_document->MaybeSave(*m_dialogs)) {
        m_document->New();
    }
}

void MainWindow::OnOpenWorkspace() {
    if (m_document->MaybeSave(*m_dialogs)) {
        m_document->AskThenOpen(*m_dialogs);
    }
}

void MainWindow::AskThenOpen(const QString& path) {
    if (!IsMerging() && m_document->MaybeSave(*m_dialogs)) {
        m_document->Open(path, *m_dialogs);
    }
}

void MainWindow::OnInsertMp3() {
    // Picked together, numbered files go in as people count them, whatever the dialog's order.
    const QStringList paths =
        SortedByFileName(m_dialogs->GetOpenFileNames(this, Mp3Filter(), QStringLiteral("mp3")));
    m_insertion->Add(paths, m_document->Tracks().Count(), tr("Insert"));
}

void MainWindow::OnInsertFolder() {
    const QString folder = m_dialogs->GetExistingFolder(this);
    if (!folder.isEmpty()) {
        m_insertion->Add({folder}, m_document->Tracks().Count(), tr("Insert Folder"));
    }
}

void MainWindow::OnID3TagEditor() {
    // It shows the workspace's tag, which is replaced only on OK.
    TagEditorDialog editor(this, {m_document->Tag(), m_document->MoreTag(), m_document->Cover()},
                           m_preferences.saveID3Tag, [this] {
                               return m_dialogs->GetOpenFileName(
                                   this, tr("Pictures (*.jpg *.jpeg *.png)"),
                                   QStringLiteral("jpg"));
                           });
    if (editor.exec() == QDialog::Accepted) {
        m_document->SetTag(editor.Tag(), editor.More(), editor.Cover());
    }
}

void MainWindow::OnPreferences() {
    PreferencesDialog dialog(this);
    dialog.StandardPage().SetPreferences(m_preferences);
    if (dialog.exec() == QDialog::Accepted) {
        const JoinPreferences chosen = dialog.StandardPage().Preferences();
        m_preferences.saveID3Tag = chosen.saveID3Tag;
        SetOptions(chosen.options);
    }
}

void MainWindow::SetOptions(const JoinOptions& options) {
    m_preferences.options = options;
    // The options are kept at once; the preference file is written as the window closes.
    SaveJoinOptions(m_preferences.options);
    m_status->SetGapSeconds(m_preferences.options.gapSeconds);
    ShowFormatNotice(m_document->FormatsToConform());
    UpdateCommandUI();
    RefreshChapters();
}

void MainWindow::OnAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::OnMergeFinished(const MergeResult& result) {
    // What it asked to close the window for is over.
    if (m_askingToClose) {
        m_dialogs->WithdrawQuestion();
    }
    UpdateCommandUI();
    UpdateTitle();  // without the merge's percentage
    m_insertion->AddDroppedDuringMerge();
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

void MainWindow::OnSplitFinished(const SplitResult& result) {
    UpdateCommandUI();
    QApplication::alert(this);
    if (!result.Succeeded() && !result.cancelled) {
        m_dialogs->ShowMessage(this, WindowDialogs::Icon::Error, tr("Split failed"), result.error);
    }
}

}  // namespace tessaro
