#include "app/Application.h"

#include "Version.h"

#include <QDir>
#include <QIcon>
#include <cstdio>

#include "app/MainWindow.h"
#include "app/SingleInstance.h"

namespace tessaro {
namespace {

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/tessaro-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv),
      m_translations(QLocale::system()),
      m_instance(new SingleInstance(SingleInstance::NameForUser(), this)) {
    setOrganizationName(QStringLiteral("Veskaro Technology"));
    setApplicationName(QStringLiteral("Zovi Tessaro"));
    setApplicationVersion(QStringLiteral(TESSARO_VERSION));
}

Application::~Application() = default;

int Application::Run() {
    // Absolute, as the running instance has a working folder of its own.
    QStringList files;
    for (const QString& name : arguments().mid(1)) {
        files << QDir::current().absoluteFilePath(name);
    }
    if (m_instance->HandOver(files)) {
        return 0;
    }
    // Without the socket this start still works, as a window of its own.
    if (!m_instance->Listen()) {
        std::fprintf(stderr, "tessaro: %s; later starts open windows of their own\n",
                     qPrintable(m_instance->ErrorString()));
    }
    ShowMainWindow(files);
    return exec();
}

void Application::ShowMainWindow(const QStringList& files) {
    const QIcon icon = ProgramIcon();
    setWindowIcon(icon);
    m_mainFrame = std::make_unique<MainWindow>();
    m_mainFrame->setWindowIcon(icon);
    m_mainFrame->TakeHandOvers(*m_instance);
    m_mainFrame->RestoreLayout();
    m_mainFrame->show();
    // Once shown, so that a workspace that cannot be opened is reported over the window.
    m_mainFrame->OpenFiles(files);
}

}  // namespace tessaro
