#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace tessaro {

// Why a read or write of `file` failed. QFileDevice often reports a failed write as "Unknown
// error"; errno, taken right after the failing call, names the real cause (a full disk).
QString FailureReason(const QFileDevice& file, int systemError);

// Makes a write past the file-size limit (RLIMIT_FSIZE) fail with EFBIG, reported like a full
// disk, instead of ending the process with SIGXFSZ. For the programs' start.
void IgnoreFileSizeSignal();

// Writes `bytes` to a temporary file beside `path` and renames it over `path` only once all of
// it is written and flushed to disk, so that no reader ever sees a half-written file. Returns
// an empty text on success; otherwise the system's reason (for example "File too large") or why
// `path` cannot be replaced, and then whatever stood there is as it was and no temporary file is
// left.
QString WriteAtomically(const QString& path, const QByteArray& bytes);

}  // namespace tessaro
