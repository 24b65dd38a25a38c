#include "merge/SpillFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <vector>

#include "io/Files.h"
#include "io/InputFile.h"

namespace tessaro {
namespace {

// A file without a name in `folder`, on the output's disk; in memory where the folder's file
// system makes none (or the output is written in place, as no temporary file can be made there).
int UnnamedFile(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    return fd >= 0 || errno == EMFILE || errno == ENFILE
               ? fd
               : ::memfd_create("tessaro-reencoded", MFD_CLOEXEC);
}

// Copies `length` bytes of `from` from its start to `to` at `at`, in the kernel where it can.
bool CopyInto(int from, int to, qint64 at, qint64 length) {
    loff_t in = 0, out = at;
    while (length > 0) {
        const ssize_t done = ::copy_file_range(from, &in, to, &out, size_t(length), 0);
        if (done <= 0) {
            break;
        }
        length -= done;
    }
    std::vector<char> buffer(size_t(1) << 20);
    while (length > 0) {
        const qint64 part = std::min<qint64>(length, qint64(buffer.size()));
        if (!ReadAllAt(from, buffer.data(), part, in) ||
            !WriteAllAt(to, buffer.data(), part, out)) {
            return false;
        }
        in += part;
        out += part;
        length -= part;
    }
    return true;
}

}  // namespace

SpillFile::SpillFile(const QString& outputPath) : folder(QFileInfo(outputPath).absolutePath()) {}

SpillFile::~SpillFile() = default;

int SpillFile::Scratch(QString* error) const {
    const int fd = UnnamedFile(folder);
    if (fd < 0) {
        *error = qt_error_string(errno);
    }
    return fd;
}

std::shared_ptr<InputFile> SpillFile::Take(int scratch, qint64 length, QString* error) {
    qint64 at = 0;
    std::shared_ptr<const InputFile> into;
    {
        const std::lock_guard<std::mutex> guard(lock);
        if (!whole) {
            const int fd = Scratch(error);
            whole = fd >= 0 ? InputFile::Adopt(fd, error) : nullptr;
        }
        at = end;
        end += length;
        into = whole;
    }
    errno = 0;
    const bool copied = into && CopyInto(scratch, into->Descriptor(), at, length);
    const int copyError = errno;
    ::close(scratch);
    if (!into) {
        return nullptr;
    }
    if (!copied) {
        *error = qt_error_string(copyError != 0 ? copyError : EIO);
        return nullptr;
    }
    return InputFile::Part(std::move(into), at, length);
}

}  // namespace tessaro
