#pragma once

#include <QString>

namespace tessaro {

// A path as messages show it: in double quotes.
QString Quoted(const QString& path);

// Size of a file in bytes; 0 when it is missing or not a regular file.
qint64 GetFileSize64(const QString& path);

// Why whatever stands at `path` must not be replaced by a new file: it is a folder, a FIFO, a
// device or a socket, which the rename would swap for a plain file. Empty when nothing stands
// there or a regular file does (links are followed).
QString NotReplaceable(const QString& path);

}  // namespace tessaro
