#include "io/AtomicWrite.h"

#include <QSaveFile>
#include <cerrno>

namespace tessaro {
namespace {

// QFileDevice often reports a failed write as "Unknown error"; errno names the real cause.
QString Reason(const QSaveFile& file, int systemError) {
    return systemError != 0 ? qt_error_string(systemError) : file.errorString();
}

}  // namespace

QString WriteAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Unbuffered, so that a failed write shows in write() while errno still holds its cause.
    // No direct-write fallback: writing in place could leave the old file half overwritten.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int systemError = errno;
        file.cancelWriting();
        return Reason(file, systemError);
    }
    errno = 0;
    if (!file.commit()) {
        return Reason(file, errno);
    }
    return QString();
}

}  // namespace tessaro
