#include "app/CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "app/LockKeys.h"
#include "dialogs/COutputWnd.h"
#include "view/CChildView.h"

namespace {

QSettings LayoutSettings() {
    return QSettings(QStringLiteral("Veskaro Technology"), QStringLiteral("Zovi Tessaro"));
}

}  // namespace

CMainFrame::CMainFrame()
    : m_wndView(new CChildView(this)),
      m_workspace(m_wndView->List()),
      m_progress(new QProgressBar),
      m_wndToolBar(new QToolBar(tr("Tool Bar"), this)),
      m_wndMenuBar(new QMenuBar(this)),
      m_wndStatusBar(new QStatusBar(this)),
      m_wndOutput(new COutputWnd(this)) {
    setCentralWidget(m_wndView);
    CreateStatusBar();
    setMenuBar(m_wndMenuBar);

    m_wndToolBar->setObjectName(QStringLiteral("ToolBar"));  // for the saved window layout
    m_wndToolBar->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);

    addDockWidget(Qt::BottomDockWidgetArea, m_wndOutput);
    resizeDocks({m_wndOutput}, {100}, Qt::Vertical);

    setWindowTitle(QString::fromLatin1(kTitle));
    resize(800, 600);
}

CMainFrame::~CMainFrame() = default;

CTessaroListBox& CMainFrame::List() {
    return m_wndView->List();
}

void CMainFrame::CreateStatusBar() {
    setStatusBar(m_wndStatusBar);
    m_wndStatusBar->showMessage(tr("Ready"));
    // The message area falls back to "Ready" whenever a prompt goes away.
    connect(m_wndStatusBar, &QStatusBar::messageChanged, m_wndStatusBar,
            [this](const QString& message) {
                if (message.isEmpty()) {
                    m_wndStatusBar->showMessage(tr("Ready"));
                }
            });
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
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_wndStatusBar->installEventFilter(this);
}

void CMainFrame::PlaceProgress() {
    const QRect bar = m_wndStatusBar->rect();
    m_progress->setGeometry(bar.right() + 1 - 450, bar.top() + 2, 300, bar.height() - 4);
    m_progress->update();
}

void CMainFrame::UpdateLockIndicators() {
    const std::optional<LockKeys> keys = QueryLockKeys();
    const bool on[3] = {keys && keys->capsLock, keys && keys->numLock, keys && keys->scrollLock};
    // Like a lamp: a key that is off, or whose state is unknown, shows greyed.
    for (int i = 0; i < 3; ++i) {
        m_indicators[i]->setEnabled(on[i]);
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
    QSettings settings = LayoutSettings();
    restoreGeometry(settings.value(QStringLiteral("geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("windowState")).toByteArray());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    QSettings settings = LayoutSettings();
    settings.setValue(QStringLiteral("geometry"), saveGeometry());
    settings.setValue(QStringLiteral("windowState"), saveState());
    event->accept();
}
