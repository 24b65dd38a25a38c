#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

namespace tessaro {

// Why a read or write of `file` failed. QFileDevice often reports a failed write as "Unknown
// error"; errno, taken right after the failing call, names the real cause (a full disk).
QString FailureReason(const QFileDevice& file, int systemError);

// Writes `bytes` to a temporary file beside `path` and renames it over `path` only once all of
// it is written and flushed to disk, so that no reader ever sees a half-written file. Returns
// an empty text on success; otherwise the system's reason (for example "File too large"), and
// then whatever stood at `path` is as it was and the temporary file is gone.
QString WriteAtomically(const QString& path, const QByteArray& bytes);

}  // namespace tessaro
