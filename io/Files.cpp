#include "io/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

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

namespace {

template <typename Byte, typename Transfer>
bool TransferAll(Transfer transfer, Byte* data, qint64 length, qint64 at) {
    while (length > 0) {
        const ssize_t done = transfer(data, size_t(length), off_t(at));
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        data += done;
        length -= done;
        at += done;
    }
    return true;
}

}  // namespace

bool ReadAllAt(int fd, char* data, qint64 length, qint64 at) {
    const auto read = [fd](char* d, size_t n, off_t o) { return ::pread(fd, d, n, o); };
    return TransferAll(read, data, length, at);
}

bool WriteAllAt(int fd, const char* data, qint64 length, qint64 at) {
    const auto write = [fd](const char* d, size_t n, off_t o) { return ::pwrite(fd, d, n, o); };
    return TransferAll(write, data, length, at);
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
