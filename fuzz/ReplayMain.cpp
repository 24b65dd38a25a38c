// The driver that stands in for libFuzzer in ordinary builds: it runs a target's check over every
// file named on the command line and every file inside a folder named there, in name order, so
// that the committed corpora are replayed on every test run without clang.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

QStringList Inputs(const QString& argument) {
    const QFileInfo info(argument);
    if (!info.isDir()) {
        return {argument};
    }
    QStringList files;
    const QDir folder(argument);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        files << folder.filePath(name);
    }
    return files;
}

}  // namespace

int main(int argc, char* argv[]) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const QString& path : Inputs(QFile::decodeName(argv[i]))) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            // Named first, so that the input a failed check was given is known.
            std::printf("%s\n", qPrintable(path));
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   size_t(bytes.size()));
            ++replayed;
        }
    }
    // An empty or missing corpus would pass without checking anything.
    if (replayed == 0) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    std::printf("%d inputs replayed\n", replayed);
    return 0;
}
