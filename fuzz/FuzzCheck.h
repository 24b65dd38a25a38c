#pragma once

// Shared by the fuzz targets: a check that ends the run when a property fails, and the temporary
// file each input is written to, since the code under test reads files by name.

#include <QByteArray>
#include <QString>

namespace fuzzing {

// Prints what failed and aborts, which libFuzzer and the replay driver both report as a finding.
void Require(bool condition, const char* what);

// Writes `bytes` to the file `name` in this process's temporary folder and returns its path.
QString WriteInput(const QByteArray& bytes, const QString& name);

// The little-endian 32-bit value at `offset`, read without the code under test.
quint32 U32At(const QByteArray& bytes, qsizetype offset);

}  // namespace fuzzing
