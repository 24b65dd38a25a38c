#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QFileDevice;
class QSaveFile;

namespace tessaro {

// Why a read or write of `file` failed. QFileDevice often reports a failed write as "Unknown
// error"; errno, taken right after the failing call, names the real cause (a full disk).
QString FailureReason(const QFileDevice& file, int systemError);

// Makes a write past the file-size limit (RLIMIT_FSIZE) fail with EFBIG, reported like a full
// disk, instead of ending the process with SIGXFSZ. For the programs' start.
void IgnoreFileSizeSignal();

// Makes SIGINT, SIGTERM and SIGHUP remove the named temporary file marked by a TemporaryFileMark,
// then end the process as they would have. A signal ignored at the start, as nohup ignores
// SIGHUP, stays ignored. For the command-line tool's start: the window is not ended that way.
void RemoveTemporaryFileOnSignals();

// While it lives, the temporary file that the open `file` writes is the one those signals remove,
// if it has a name: an unnamed one (O_TMPFILE) goes with the process anyway, and a target written
// in place must never be removed. One at a time: the signals remove the file of the latest.
class TemporaryFileMark {
public:
    explicit TemporaryFileMark(const QSaveFile& file);
    ~TemporaryFileMark();
    TemporaryFileMark(const TemporaryFileMark&) = delete;
    TemporaryFileMark& operator=(const TemporaryFileMark&) = delete;

private:
    bool marked = false;
};

// Commits `file` with those signals held until its temporary file is in the target's place or
// gone, and lets a held one end the process then: a signal amid the rename would otherwise leave
// the temporary file behind. Returns what QSaveFile::commit returns, errno as it left it.
[[nodiscard]] bool CommitHoldingSignals(QSaveFile& file);

// Whether the open `file` writes its target itself: the direct-write fallback, taken in a folder
// where no temporary file can be made. A failure then leaves the target cut short.
bool WritesInPlace(const QSaveFile& file);

// Why WriteAtomically would put no file at `path`: a name that cannot be used as it stands,
// something there that a new file must not replace (NotReplaceable), or a folder for it that is
// missing, is none or cannot be written, in the system's words. Empty when it may try, for a check
// before other work that the write would come too late for.
[[nodiscard]] QString AtomicWriteRefusal(const QString& path);

// A file written whole to a temporary file beside `path`, which takes its place only on Commit:
// another file can so be put in place first, and this one follows with nothing left to fail but
// the rename. Each call returns an empty text on success; otherwise the system's reason (for
// example "File too large") or why `path` cannot be replaced, and then whatever stood there is as
// it was. Gone without a commit, it leaves no temporary file.
class StagedWrite {
public:
    explicit StagedWrite(const QString& path);
    ~StagedWrite();
    StagedWrite(const StagedWrite&) = delete;
    StagedWrite& operator=(const StagedWrite&) = delete;

    // Writes `bytes` to the temporary file and flushes them to disk, so that a full disk shows
    // here rather than in the commit.
    [[nodiscard]] QString Write(const QByteArray& bytes);
    [[nodiscard]] QString Commit();

private:
    std::unique_ptr<QSaveFile> file;
};

// Writes `bytes` to a temporary file beside `path` and renames it over `path` only once all of
// it is written and flushed to disk, so that no reader ever sees a half-written file; returns as
// StagedWrite does.
[[nodiscard]] QString WriteAtomically(const QString& path, const QByteArray& bytes);

}  // namespace tessaro
