#pragma once

#include <QString>

namespace tessaro {

// A path as messages show it: in double quotes.
QString Quoted(const QString& path);

// Size of a file in bytes; 0 when it is missing or not a regular file.
qint64 GetFileSize64(const QString& path);

// Reads or writes all `length` bytes at offset `at` of the descriptor, going on after a partial
// transfer or an interruption. False when that fails or the file ends first; errno then says why,
// or is left as it was when the file ended.
bool ReadAllAt(int fd, char* data, qint64 length, qint64 at);
bool WriteAllAt(int fd, const char* data, qint64 length, qint64 at);

// Why whatever stands at `path` must not be replaced by a new file: it is a folder, a FIFO, a
// device or a socket, which the rename would swap for a plain file. Empty when nothing stands
// there or a regular file does (links are followed).
QString NotReplaceable(const QString& path);

}  // namespace tessaro
