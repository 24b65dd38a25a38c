#include "io/Files.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>

namespace tessaro {

QString Quoted(const QString& path) {
    return QLatin1Char('"') + path + QLatin1Char('"');
}

qint64 GetFileSize64(const QString& path) {
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode)
               ? qint64(info.st_size)
               : 0;
}

QString NotReplaceable(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile()) {
        return QString();
    }
    return info.isDir() ? QStringLiteral("it is a folder")
                        : QStringLiteral("it is not a regular file (a FIFO, device or socket)");
}

}  // namespace tessaro
