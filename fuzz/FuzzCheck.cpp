#include "FuzzCheck.h"

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "TestFiles.h"

namespace fuzzing {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

QString WriteInput(const QByteArray& bytes, const QString& name) {
    static QTemporaryDir folder;
    Require(folder.isValid(), "a temporary folder can be made");
    const QString path = folder.filePath(name);
    testing_files::WriteAll(path, bytes);
    return path;
}

quint32 U32At(const QByteArray& bytes, qsizetype offset) {
    quint32 value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | quint8(bytes[offset + i]);
    }
    return value;
}

}  // namespace fuzzing
