#include "io/Files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cerrno>

#include "TestFiles.h"

namespace {

using testing_files::ReadAll;
using testing_files::WriteAll;

QByteArray Noise(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& byte : bytes) {
        byte = char(generator.bounded(256));
    }
    return bytes;
}

int Open(const QString& path, int flags) {
    return ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
}

// Within one file system the system copies; from a tmpfs to the test's folder it cannot
// (EXDEV) and the bytes are read and written. Either way they land where asked, the bytes
// around them kept, and a source that ends first fails with no error of the system's.
TEST(FilesTest, CopyAllAtCopiesInTheSystemOrByReadingAndWriting) {
    QTemporaryDir here, shm(QStringLiteral("/dev/shm/files-test-XXXXXX"));
    const QByteArray source = Noise(3 << 20);
    for (const QString& folder : {here.path(), shm.path()}) {
        if (folder.isEmpty()) {
            continue;
        }
        SCOPED_TRACE(folder.toStdString());
        const int in = Open(WriteAll(folder + QStringLiteral("/in"), source), O_RDONLY);
        const QString target = WriteAll(here.filePath(QStringLiteral("out")), QByteArray(100, 'x'));
        const int out = Open(target, O_WRONLY);
        const qint64 length = source.size() - 5000;
        EXPECT_TRUE(tessaro::CopyAllAt(in, 1000, out, 50, length));
        errno = 0;
        EXPECT_FALSE(tessaro::CopyAllAt(in, source.size() - 10, out, 0, 100));
        EXPECT_EQ(errno, 0);
        ::close(in);
        ::close(out);
        const QByteArray copied = ReadAll(target);
        ASSERT_EQ(copied.size(), 50 + length);
        EXPECT_EQ(copied.mid(10, 40), QByteArray(40, 'x'));  // the failed copy had 10 at most
        EXPECT_EQ(copied.mid(50), source.mid(1000, length));
    }
}

}  // namespace
