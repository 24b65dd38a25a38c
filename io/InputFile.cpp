#include "io/InputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

namespace tessaro {

std::shared_ptr<InputFile> InputFile::Open(const QString& path, QString* error) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = qt_error_string(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *error = S_ISDIR(info.st_mode) ? QStringLiteral("is a folder")
                                       : QStringLiteral("not a regular file");
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<InputFile>(new InputFile(fd, info));
}

InputFile::InputFile(int fd, const struct stat& opened) : fd(fd), opened(opened) {}

InputFile::~InputFile() {
    ::close(fd);
}

bool InputFile::Changed() const {
    struct stat now;
    // A removed file has no link left; its bytes are still there to read, but not for long.
    return ::fstat(fd, &now) != 0 || now.st_nlink == 0 || now.st_size != opened.st_size ||
           now.st_mtim.tv_sec != opened.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != opened.st_mtim.tv_nsec ||
           now.st_ctim.tv_sec != opened.st_ctim.tv_sec ||
           now.st_ctim.tv_nsec != opened.st_ctim.tv_nsec;
}

}  // namespace tessaro
