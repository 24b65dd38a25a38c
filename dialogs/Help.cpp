#include "dialogs/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>

namespace tessaro {

QString HelpFilePath(const QString& executablePath) {
    // Qt hands out paths with '/' on every platform.
    const qsizetype nameStart = executablePath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const qsizetype stemEnd = dot >= nameStart ? dot : executablePath.size();
    return executablePath.left(stemEnd) + QStringLiteral(".chm");
}

bool OpenHelp() {
    return QDesktopServices::openUrl(
        QUrl::fromLocalFile(HelpFilePath(QCoreApplication::applicationFilePath())));
}

bool VisitMakerWebSite() {
    return QDesktopServices::openUrl(kMakerWebSite);
}

}  // namespace tessaro
