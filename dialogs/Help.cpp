#include "dialogs/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tessaro {

QString HelpFilePath(const QString& executablePath) {
    // Qt hands out paths with '/' on every platform.
    const qsizetype nameStart = executablePath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const qsizetype stemEnd = dot >= nameStart ? dot : executablePath.size();
    return executablePath.left(stemEnd) + QStringLiteral(".chm");
}

QString HtmlGuidePath(const QString& executablePath) {
    const QDir folder = QFileInfo(executablePath).dir();
    // Installed, the guide lies in the documentation folder; built, beside the executable.
    for (const QString& guide :
         {QStringLiteral(TESSARO_HTML_GUIDE "/index.html"), QStringLiteral("html/index.html")}) {
        if (QFileInfo(folder.filePath(guide)).isFile()) {
            return QDir::cleanPath(folder.filePath(guide));
        }
    }
    return QString();
}

namespace {

// Whether xdg-mime names the desktop's program for one of `types`.
bool HasDefaultFor(const QStringList& types) {
    for (const QString& type : types) {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"),
                    {QStringLiteral("query"), QStringLiteral("default"), type});
        if (query.waitForFinished(5000) && query.exitCode() == 0 &&
            !query.readAllStandardOutput().trimmed().isEmpty()) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool HasHelpViewer() {
    return HasDefaultFor(
        {QStringLiteral("application/vnd.ms-htmlhelp"), QStringLiteral("application/x-chm")});
}

bool HasWebBrowser() {
    if (!qEnvironmentVariableIsEmpty("BROWSER") || HasDefaultFor({QStringLiteral("text/html")})) {
        return true;
    }
    // xdg-open's own list, without the browsers that need a terminal.
    for (const char* name :
         {"x-www-browser", "firefox", "firefox-esr", "chromium", "chromium-browser",
          "google-chrome", "epiphany", "konqueror", "falkon", "seamonkey"}) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty()) {
            return true;
        }
    }
    return false;
}

bool OpenHelp() {
    return QDesktopServices::openUrl(
        QUrl::fromLocalFile(HelpFilePath(QCoreApplication::applicationFilePath())));
}

bool OpenHtmlGuide(const QString& guide) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(guide));
}

bool VisitMakerWebSite() {
    return QDesktopServices::openUrl(kMakerWebSite);
}

}  // namespace tessaro
