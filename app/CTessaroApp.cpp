#include "app/CTessaroApp.h"

#include "Version.h"

#include <QIcon>

#include "app/MainWindow.h"

CTessaroApp::CTessaroApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Veskaro Technology"));
    setApplicationName(QStringLiteral("Zovi Tessaro"));
    setApplicationVersion(QStringLiteral(TESSARO_VERSION));
}

CTessaroApp::~CTessaroApp() = default;

void CTessaroApp::InitInstance() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/tessaro-%1.png").arg(size), QSize(size, size));
    }
    setWindowIcon(icon);
    m_mainFrame = std::make_unique<tessaro::MainWindow>();
    m_mainFrame->setWindowIcon(icon);
    m_mainFrame->RestoreLayout();
    m_mainFrame->show();
    // Once shown, so that a workspace that cannot be opened is reported over the window.
    m_mainFrame->OpenFiles(arguments().mid(1));
}
