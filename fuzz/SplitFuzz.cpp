// Any bytes as an MP3 file split into three parts: damaged frames, a bit reservoir that reaches
// anywhere and headers of any kind must neither crash the split nor leave a part that is no MPEG
// audio. A part cut from frames of one Layer III format plays exactly its stretch.

#include <QDir>

#include "FuzzCheck.h"
#include "TestFiles.h"
#include "split/Split.h"

using fuzzing::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString source = fuzzing::WriteInput(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), QStringLiteral("in.mp3"));
    QString error;
    const std::optional<tessaro::SplitSource> read = tessaro::ReadSplitSource(source, &error);
    if (!read || read->samples < 3) {
        return 0;
    }
    const QString folder = QFileInfo(source).dir().filePath(QStringLiteral("parts"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    tessaro::SplitRequest request{
        source, tessaro::PartsBetween(*read, {read->samples / 3, read->samples * 2 / 3}), folder};
    request.namePattern = QStringLiteral("{n}.mp3");
    testing_files::RecordingHost host;
    const tessaro::SplitResult result = tessaro::RunSplit(request, host);
    Require(result.Succeeded(), "a source that reads splits");
    Require(result.written.size() == 3, "every part is written");
    for (const QString& part : result.written) {
        Require(tessaro::ReadSplitSource(part, &error).has_value(), "a part is MPEG audio");
    }
    return 0;
}
