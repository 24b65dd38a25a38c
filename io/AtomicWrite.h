#pragma once

#include <QByteArray>
#include <QString>

namespace tessaro {

// Writes `bytes` to a temporary file beside `path` and renames it over `path` only once all of
// it is written and flushed to disk, so that no reader ever sees a half-written file. Returns
// an empty text on success; otherwise the system's reason (for example "File too large"), and
// then whatever stood at `path` is as it was and the temporary file is gone.
QString WriteAtomically(const QString& path, const QByteArray& bytes);

}  // namespace tessaro
