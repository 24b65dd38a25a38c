#include "dialogs/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

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

bool HasHelpViewer() {
    for (const QString& type :
         {QStringLiteral("application/vnd.ms-htmlhelp"), QStringLiteral("application/x-chm")}) {
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
