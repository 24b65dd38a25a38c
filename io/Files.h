#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include <sys/stat.h>
#include <sys/types.h>

// Errors: a call that can fail says so in its result, a bool with errno set or the system's
// reason as text (empty when it succeeded); nothing here throws, but for a lack of memory
// (std::bad_alloc) or of threads (ThreadRefused, io/Threads.h), which only end the work.

namespace tessaro {

// A path as messages show it: in double quotes.
QString Quoted(const QString& path);

// Size of a file in bytes; 0 when it is missing or not a regular file.
qint64 GetFileSize64(const QString& path);

// Why a file of this type (a stat mode) is not a regular one; empty for a regular one.
QString NotRegular(mode_t mode);

// Reads or writes all `length` bytes at offset `at` of the descriptor, going on after a partial
// transfer or an interruption. False when that fails or the file ends first; errno then says why,
// or is left as it was when the file ended.
[[nodiscard]] bool ReadAllAt(int fd, char* data, qint64 length, qint64 at);
// Reads up to `length` bytes at offset `at`, fewer only where the file ends, going on after a
// partial read or an interruption: a short read elsewhere would pass for the end. The bytes read,
// or -1 with errno set.
[[nodiscard]] qint64 ReadUpToAt(int fd, char* data, qint64 length, qint64 at);
[[nodiscard]] bool WriteAllAt(int fd, const char* data, qint64 length, qint64 at);
// Copies `length` bytes at offset `from` of descriptor `in` to offset `to` of `out`, inside the
// system where it can (the bytes never pass through this process), by reading and writing where
// it cannot (another file system, say). False as ReadAllAt: errno says why, or is left as it was
// when `in` ended first.
[[nodiscard]] bool CopyAllAt(int in, qint64 from, int out, qint64 to, qint64 length);
// The `length` bytes at offset `at` of the descriptor; none, with the system's reason in *error,
// or that the file was cut short, when they cannot be read whole.
[[nodiscard]] std::optional<QByteArray> ReadBytesAt(int fd, qint64 length, qint64 at,
                                                    QString* error);

// Opens `path` for reading and keeps it open only when it is a regular file, judged by the open
// descriptor so that nothing can swap the file in between: a FIFO (opened without waiting for a
// writer) or a device gives no end of bytes, or none. Returns the descriptor, or -1 with the
// reason in *error. *size, when given, is the file's size as it was opened.
[[nodiscard]] int OpenRegularFile(const QString& path, QString* error, qint64* size = nullptr);
// The same, with the file's whole status as it was opened in *status.
[[nodiscard]] int OpenRegularFile(const QString& path, QString* error, struct stat* status);

// Raises the number of files this process may hold open to the most the system allows it, and
// returns that number: a join keeps its inputs open from their first look to their copy.
qint64 RaiseOpenFileLimit();

// Why `name` cannot serve as a file's name as it stands: the system takes names as bytes and Qt
// keeps them as text, so bytes that are not UTF-8 reach Qt as U+FFFD, and the name it would hand
// back names another file. A name holding U+FFFD can be used unless its folder holds another
// entry whose name reads the same: that one's bytes may be what the U+FFFD stands for. Empty
// when the name can be used.
[[nodiscard]] QString UnusableName(const QString& name);
// The same of a name still in the system's bytes, as a program's arguments come: exact, unlike
// the name Qt makes of them.
[[nodiscard]] QString UnusableName(const QByteArray& bytes);

// Why whatever stands at `path` must not be replaced by a new file: it is a folder, a FIFO, a
// device or a socket, which the rename would swap for a plain file. Empty when nothing stands
// there or a regular file does (links are followed).
[[nodiscard]] QString NotReplaceable(const QString& path);

// Which file a path leads to, links followed (hard links too): its device and inode.
struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity&) const = default;
};
// None where nothing exists at `path`.
[[nodiscard]] std::optional<FileIdentity> IdentityOf(const QString& path);
// Whether both paths lead to one file that exists.
[[nodiscard]] bool SameFile(const QString& one, const QString& other);

}  // namespace tessaro
