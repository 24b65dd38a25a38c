// Any bytes as an MP3 file split into three parts: damaged frames, a bit reservoir that reaches
// anywhere and headers of any kind must neither crash the split nor, in a stream of one format,
// leave a part that is no MPEG audio. (Where the format changes from frame to frame, a part may
// start with frames that no reader takes for the start of a stream; only a fuzzer makes such.)

#include <QDir>

#include "FuzzCheck.h"
#include "TestFiles.h"
#include "mp3/FrameHeader.h"
#include "split/SourceStream.h"
#include "split/Split.h"

using fuzzing::Require;

namespace {

bool OneFormat(const tessaro::SourceStream& stream) {
    mp3::FrameHeader first, header;
    first.ParseHeader(stream.frames.front().header.data());
    for (const tessaro::SourceFrame& frame : stream.frames) {
        header.ParseHeader(frame.header.data());
        if (!header.SameStream(first) || header.GetChannelCount() != first.GetChannelCount()) {
            return false;
        }
    }
    return true;
}

// Audio bytes that read "TAG" 128 bytes before the end of a file are taken for an ID3v1 tag by
// every reader: an MP3 file's own ambiguity, which fuzzed audio runs into.
bool EndsLikeId3v1(const QString& path) {
    const QByteArray bytes = testing_files::ReadAll(path);
    return bytes.size() >= 128 && bytes.mid(bytes.size() - 128, 3) == "TAG";
}

}  // namespace

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
    if (OneFormat(*read->frames)) {
        for (const QString& part : result.written) {
            Require(EndsLikeId3v1(part) || tessaro::ReadSplitSource(part, &error).has_value(),
                    "a part is MPEG audio");
        }
    }
    return 0;
}
