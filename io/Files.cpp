#include "io/Files.h"

#include <dirent.h>

#include <sys/resource.h>

#include <algorithm>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <memory>

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

QString NotRegular(mode_t mode) {
    if (S_ISREG(mode)) {
        return QString();
    }
    return S_ISDIR(mode) ? QStringLiteral("it is a folder")
                         : QStringLiteral("it is not a regular file (a FIFO, device or socket)");
}

qint64 ReadUpToAt(int fd, char* data, qint64 length, qint64 at) {
    qint64 done = 0;
    while (done < length) {
        const ssize_t part = ::pread(fd, data + done, size_t(length - done), off_t(at + done));
        if (part < 0 && errno == EINTR) {
            continue;
        }
        if (part < 0) {
            return -1;
        }
        if (part == 0) {
            break;
        }
        done += part;
    }
    return done;
}

bool ReadAllAt(int fd, char* data, qint64 length, qint64 at) {
    return ReadUpToAt(fd, data, length, at) == length;
}

bool WriteAllAt(int fd, const char* data, qint64 length, qint64 at) {
    while (length > 0) {
        const ssize_t done = ::pwrite(fd, data, size_t(length), off_t(at));
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

namespace {

constexpr qint64 kCopyBuffer = 1 << 20;

bool ReadAndWriteAt(int in, qint64 from, int out, qint64 to, qint64 length) {
    const std::unique_ptr<char[]> buffer(new char[size_t(std::min(length, kCopyBuffer))]);
    for (qint64 done = 0; done < length;) {
        const qint64 step = std::min(length - done, kCopyBuffer);
        if (!ReadAllAt(in, buffer.get(), step, from + done) ||
            !WriteAllAt(out, buffer.get(), step, to + done)) {
            return false;
        }
        done += step;
    }
    return true;
}

}  // namespace

bool CopyAllAt(int in, qint64 from, int out, qint64 to, qint64 length) {
#ifdef __linux__
    while (length > 0) {
        off_t inAt = off_t(from), outAt = off_t(to);
        const ssize_t done = ::copy_file_range(in, &inAt, out, &outAt, size_t(length), 0);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        // Kernels and file systems that cannot copy between these two say so before copying.
        if (done < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                         errno == EOPNOTSUPP || errno == EBADF)) {
            errno = 0;  // a source that ends first says so by none
            return ReadAndWriteAt(in, from, out, to, length);
        }
        if (done <= 0) {
            return false;
        }
        from += done;
        to += done;
        length -= done;
    }
    return true;
#else
    return ReadAndWriteAt(in, from, out, to, length);
#endif
}

std::optional<QByteArray> ReadBytesAt(int fd, qint64 length, qint64 at, QString* error) {
    QByteArray bytes(length, Qt::Uninitialized);
    errno = 0;
    if (!ReadAllAt(fd, bytes.data(), length, at)) {
        *error = errno != 0 ? qt_error_string(errno)
                            : QStringLiteral("it was cut short while it was being read");
        return std::nullopt;
    }
    return bytes;
}

int OpenRegularFile(const QString& path, QString* error, struct stat* status) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = qt_error_string(errno);
        return -1;
    }
    *error = ::fstat(fd, status) != 0 ? qt_error_string(errno) : NotRegular(status->st_mode);
    if (!error->isEmpty()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int OpenRegularFile(const QString& path, QString* error, qint64* size) {
    struct stat info {};
    const int fd = OpenRegularFile(path, error, &info);
    if (fd >= 0 && size) {
        *size = qint64(info.st_size);
    }
    return fd;
}

qint64 RaiseOpenFileLimit() {
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return 1024;
    }
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    return limit.rlim_cur == RLIM_INFINITY ? std::numeric_limits<qint64>::max()
                                           : qint64(limit.rlim_cur);
}

namespace {

// Whether the folder `folder` holds an entry other than `bytes` whose name reads as `part`: then
// a name read from it may have been that entry's.
bool HasLossyTwin(const QByteArray& folder, const QByteArray& bytes, const QString& part) {
    DIR* dir = ::opendir(folder.constData());
    bool twin = false;
    while (dir && !twin) {
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            break;
        }
        const QByteArray entryName(entry->d_name);
        twin = entryName != bytes && QFile::decodeName(entryName) == part;
    }
    if (dir) {
        ::closedir(dir);
    }
    return twin;
}

QString NotUtf8Reason() {
    return QStringLiteral(
        "the name is not valid UTF-8 (U+FFFD marks the bytes that are not), so it would stand "
        "for another file; rename the file");
}

}  // namespace

QString UnusableName(const QString& name) {
    // A lone surrogate has no UTF-8 form.
    bool usable = QFile::decodeName(QFile::encodeName(name)) == name;
    // U+FFFD may be part of a name, or stand for bytes that are not UTF-8: those of an entry of
    // the same folder that reads the same.
    QByteArray folder;
    for (const QString& part : name.split(QLatin1Char('/'))) {
        const QByteArray bytes = QFile::encodeName(part);
        if (usable && part.contains(QChar::ReplacementCharacter)) {
            usable = !HasLossyTwin(folder.isEmpty() ? QByteArray(".") : folder, bytes, part);
        }
        folder += bytes + '/';
    }
    return usable ? QString() : NotUtf8Reason();
}

QString UnusableName(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).toUtf8() == bytes ? QString() : NotUtf8Reason();
}

QString NotReplaceable(const QString& path) {
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? NotRegular(info.st_mode)
                                                                   : QString();
}

std::optional<FileIdentity> IdentityOf(const QString& path) {
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{info.st_dev, info.st_ino};
}

bool SameFile(const QString& one, const QString& other) {
    const std::optional<FileIdentity> first = IdentityOf(one);
    return first && first == IdentityOf(other);
}

}  // namespace tessaro
