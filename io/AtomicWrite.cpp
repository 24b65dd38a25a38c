#include "io/AtomicWrite.h"

#include "io/Files.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace tessaro {
namespace {

// The temporary file a signal is to remove: its name is put in place before the flag says it is
// there, in a buffer made beforehand, as a signal handler may not allocate.
char temporaryName[PATH_MAX];
std::atomic<bool> temporaryNamed{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler reads it");
// While a commit runs, a signal waits for it: Qt gives an unnamed temporary file a name of its own
// just before renaming it, which no mark can know.
std::atomic<bool> holding{false};
std::atomic<int> heldSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler writes it");

void RemoveTemporaryFileAndEnd(int signal);

void Arm(int signal) {
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryFileAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signal, &action, nullptr);
}

void RemoveTemporaryFileAndEnd(int signal) {
    if (holding.load()) {
        heldSignal.store(signal);
        Arm(signal);
        // The commit may have ended meanwhile without seeing the signal: then it ends here.
        if (holding.load() || heldSignal.exchange(0) == 0) {
            return;
        }
    }
    if (temporaryNamed.load()) {
        ::unlink(temporaryName);
    }
    // The default action is back (SA_RESETHAND): the signal, raised again, ends the process once
    // the handler returns.
    ::raise(signal);
}

// Where QSaveFile puts the file written to `path`: at the end of the links there, followed as it
// follows them, even to where nothing is yet.
QString SavedAt(const QString& path) {
    QFileInfo info(path);
    for (int depth = 1; depth < 128 && info.isSymLink(); ++depth) {
        info.setFile(info.symLinkTarget());
    }
    return info.isSymLink() ? path : info.filePath();
}

}  // namespace

QString FailureReason(const QFileDevice& file, int systemError) {
    return systemError != 0 ? qt_error_string(systemError) : file.errorString();
}

void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void RemoveTemporaryFileOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) {
            continue;
        }
        Arm(signal);
    }
}

bool CommitHoldingSignals(QSaveFile& file) {
    holding.store(true);
    const bool committed = file.commit();
    const int systemError = errno;
    // Renamed or removed, the temporary file is gone either way.
    temporaryNamed.store(false);
    holding.store(false);
    if (const int signal = heldSignal.exchange(0); signal != 0) {
        ::raise(signal);
    }
    errno = systemError;
    return committed;
}

TemporaryFileMark::TemporaryFileMark(const QSaveFile& file) {
    struct stat info;
    if (::fstat(file.handle(), &info) != 0 || info.st_nlink == 0 || WritesInPlace(file)) {
        return;
    }
    temporaryNamed.store(false);
    char link[32];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", file.handle());
    const ssize_t length = ::readlink(link, temporaryName, sizeof temporaryName - 1);
    // A name as long as the buffer may have been cut.
    if (length <= 0 || length >= ssize_t(sizeof temporaryName - 1)) {
        return;
    }
    temporaryName[length] = '\0';
    temporaryNamed.store(true);
    marked = true;
}

TemporaryFileMark::~TemporaryFileMark() {
    if (marked) {
        temporaryNamed.store(false);
    }
}

bool WritesInPlace(const QSaveFile& file) {
    struct stat open, target;
    return ::fstat(file.handle(), &open) == 0 &&
           ::stat(QFile::encodeName(file.fileName()).constData(), &target) == 0 &&
           open.st_dev == target.st_dev && open.st_ino == target.st_ino;
}

QString AtomicWriteRefusal(const QString& path) {
    for (const QString& refusal : {UnusableName(path), NotReplaceable(path)}) {
        if (!refusal.isEmpty()) {
            return refusal;
        }
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(SavedAt(path)).absolutePath());
    struct stat info;
    if (::stat(folder.constData(), &info) != 0) {
        return qt_error_string(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return qt_error_string(ENOTDIR);
    }
    // The temporary file is made there.
    return ::access(folder.constData(), W_OK | X_OK) == 0 ? QString() : qt_error_string(errno);
}

StagedWrite::StagedWrite(const QString& path) : file(std::make_unique<QSaveFile>(path)) {}

StagedWrite::~StagedWrite() = default;

QString StagedWrite::Write(const QByteArray& bytes) {
    if (const QString refusal = AtomicWriteRefusal(file->fileName()); !refusal.isEmpty()) {
        return refusal;
    }
    // Unbuffered, so that a failed write shows in write() while errno still holds its cause.
    // No direct-write fallback: writing in place could leave the old file half overwritten.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file->errorString();
    }
    errno = 0;
    if (file->write(bytes) != bytes.size() || ::fsync(file->handle()) != 0) {
        const int systemError = errno;
        file->cancelWriting();
        return FailureReason(*file, systemError);
    }
    return QString();
}

QString StagedWrite::Commit() {
    errno = 0;
    return CommitHoldingSignals(*file) ? QString() : FailureReason(*file, errno);
}

QString WriteAtomically(const QString& path, const QByteArray& bytes) {
    StagedWrite staged(path);
    QString failure = staged.Write(bytes);
    return failure.isEmpty() ? staged.Commit() : failure;
}

}  // namespace tessaro
