#include "io/AtomicWrite.h"

#include "io/Files.h"

#include <QSaveFile>
#include <cerrno>
#include <csignal>

namespace tessaro {

QString FailureReason(const QFileDevice& file, int systemError) {
    return systemError != 0 ? qt_error_string(systemError) : file.errorString();
}

void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

QString WriteAtomically(const QString& path, const QByteArray& bytes) {
    if (const QString refusal = NotReplaceable(path); !refusal.isEmpty()) {
        return refusal;
    }
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
        return FailureReason(file, systemError);
    }
    errno = 0;
    if (!file.commit()) {
        return FailureReason(file, errno);
    }
    return QString();
}

}  // namespace tessaro
