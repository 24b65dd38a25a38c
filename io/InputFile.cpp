#include "io/InputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "io/Files.h"

namespace tessaro {

std::shared_ptr<InputFile> InputFile::Open(const QString& path, QString* error) {
    struct stat info {};
    const int fd = OpenRegularFile(path, error, &info);
    return fd >= 0 ? std::shared_ptr<InputFile>(new InputFile(fd, info)) : nullptr;
}

std::shared_ptr<InputFile> InputFile::Adopt(int fd, QString* error) {
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) != 0) {
        *error = qt_error_string(errno);
        ::close(fd);
        return nullptr;
    }
    return fd >= 0 ? std::shared_ptr<InputFile>(new InputFile(fd, info)) : nullptr;
}

std::shared_ptr<InputFile> InputFile::Part(std::shared_ptr<const InputFile> whole, qint64 offset,
                                           qint64 length) {
    struct stat part = whole->opened;
    part.st_size = off_t(length);
    const int fd = whole->fd;
    return std::shared_ptr<InputFile>(new InputFile(fd, part, std::move(whole), offset));
}

InputFile::InputFile(int fd, const struct stat& opened, std::shared_ptr<const InputFile> whole,
                     qint64 offset)
    : fd(fd), opened(opened), whole(std::move(whole)), offset(offset) {}

InputFile::~InputFile() {
    if (!whole) {
        ::close(fd);
    } else if (opened.st_size > 0) {
        // Its disk space, where the file system can free a stretch; kept where it cannot.
        ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(offset),
                    off_t(opened.st_size));
    }
}

bool InputFile::Changed() const {
    if (whole) {
        return false;
    }
    struct stat now;
    // A removed file has no link left; its bytes are still there to read, but not for long. A
    // file made without a name had none from the start.
    return ::fstat(fd, &now) != 0 || (now.st_nlink == 0) != (opened.st_nlink == 0) ||
           now.st_size != opened.st_size || now.st_mtim.tv_sec != opened.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != opened.st_mtim.tv_nsec ||
           now.st_ctim.tv_sec != opened.st_ctim.tv_sec ||
           now.st_ctim.tv_nsec != opened.st_ctim.tv_nsec;
}

}  // namespace tessaro
