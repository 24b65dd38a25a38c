#include "merge/MergeJob.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>

#include <fcntl.h>
#include <unistd.h>

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "io/AtomicWrite.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"
#include "workspace/TessaroWorkSpace.h"

namespace tessaro {
namespace {

std::filesystem::path NativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Same device and inode, or the same canonical path.
bool IsSameFile(const QString& a, const QString& b) {
    std::error_code error;
    if (std::filesystem::equivalent(NativePath(a), NativePath(b), error)) {
        return true;
    }
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

TagLib::String ToTagString(const QString& text) {
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

QString Quoted(const QString& path) {
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QString WriteFailure(const QSaveFile& output, int systemError) {
    return QStringLiteral("Cannot write %1: %2")
        .arg(Quoted(output.fileName()), FailureReason(output, systemError));
}

// The figures by which players set themselves up for a stream: MPEG version, layer, sampling
// rate and channel count, as its first frame gives them.
QStringList Figures(const mp3::FrameHeader& header) {
    static const char* const kVersions[] = {"MPEG-2.5", "reserved MPEG version", "MPEG-2",
                                            "MPEG-1"};
    static const char* const kLayers[] = {"reserved layer", "Layer III", "Layer II", "Layer I"};
    const qint32 rate = header.GetSampleRate();
    return {
        QLatin1String(kVersions[header.version]), QLatin1String(kLayers[header.layer]),
        rate > 0 ? QStringLiteral("%1 Hz").arg(rate) : QStringLiteral("reserved sampling rate"),
        header.GetChannelCount() == 1 ? QStringLiteral("1 channel") : QStringLiteral("2 channels")};
}

// Names the figures in which an input differs from the first one; empty when they agree. Many
// players keep the first frame's and play what follows wrongly.
QString Mismatch(const QString& firstPath, const QStringList& firstFigures, const QString& path,
                 const QStringList& figures) {
    QStringList theirs, ours;
    for (qsizetype i = 0; i < figures.size(); ++i) {
        if (figures[i] != firstFigures[i]) {
            theirs << figures[i];
            ours << firstFigures[i];
        }
    }
    if (theirs.isEmpty()) {
        return {};
    }
    const QString separator = QStringLiteral(", ");
    return QStringLiteral(
               "%1 (%2) differs from the first input %3 (%4); many players play the joined "
               "file wrongly")
        .arg(Quoted(path), theirs.join(separator), Quoted(firstPath), ours.join(separator));
}

QByteArray Bytes(const TagLib::ByteVector& bytes) {
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// Puts the workspace's tag around the finished audio as TagLib's MPEG file type saves it, an
// ID3v2.4 tag in front and an ID3v1 tag at the end, whatever the output's name ends in. TagLib
// would insert the tag in place and ignore a failed write, which on a full disk cuts the end
// off the audio; the tagged file is built beside it instead and replaces it once complete, so a
// failure leaves the untagged output whole. Returns an empty text or what went wrong.
QString WriteTag(const TessaroWorkSpace& workspace, const QString& outputPath) {
    TagLib::ID3v2::Tag front;
    TagLib::ID3v1::Tag back;
    for (TagLib::Tag* tag : std::initializer_list<TagLib::Tag*>{&front, &back}) {
        tag->setAlbum(ToTagString(workspace.Album()));
        tag->setArtist(ToTagString(workspace.Artist()));
        tag->setComment(ToTagString(workspace.Comment()));
        tag->setTitle(ToTagString(workspace.Title()));
        // TagLib takes 0 as "no year"; a negative year would otherwise wrap to a huge one.
        tag->setYear(workspace.Year() > 0 ? unsigned(workspace.Year()) : 0);
    }
    // TagLib saves no tag without a value.
    if (front.isEmpty()) {
        return QString();
    }
    QFile audio(outputPath);
    if (!audio.open(QIODevice::ReadOnly)) {
        return audio.errorString();
    }
    QSaveFile tagged(outputPath);
    if (!tagged.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return tagged.errorString();
    }
    errno = 0;
    const auto write = [&tagged](const QByteArray& bytes) {
        return tagged.write(bytes) == bytes.size();
    };
    bool written = write(Bytes(front.render()));
    for (QByteArray chunk; written && !(chunk = audio.read(1 << 20)).isEmpty();) {
        written = write(chunk);
    }
    written = written && audio.error() == QFileDevice::NoError && write(Bytes(back.render()));
    audio.close();
    if (!written) {
        const QString failure = WriteFailure(tagged, errno);
        tagged.cancelWriting();
        return failure;
    }
    errno = 0;
    return tagged.commit() ? QString() : WriteFailure(tagged, errno);
}

// What tells that a file changed: its size and the time of its last change, to the nanosecond;
// nothing for a file that is gone.
std::optional<std::pair<std::uintmax_t, std::filesystem::file_time_type>> Stamp(
    const QString& path) {
    std::error_code sizeError, timeError;
    const auto size = std::filesystem::file_size(NativePath(path), sizeError);
    const auto time = std::filesystem::last_write_time(NativePath(path), timeError);
    if (sizeError || timeError) {
        return std::nullopt;
    }
    return std::make_pair(size, time);
}

// Repeats a positioned read or write until all `length` bytes at `at` are done.
template <typename Byte, typename Transfer>
bool TransferAll(Transfer transfer, Byte* data, qint64 length, qint64 at) {
    while (length > 0) {
        const ssize_t done = transfer(data, size_t(length), off_t(at));
        if (done <= 0) {
            return false;
        }
        data += done;
        length -= done;
        at += done;
    }
    return true;
}

bool WriteAllAt(int fd, const char* data, qint64 length, qint64 at) {
    const auto write = [fd](const char* d, size_t n, off_t o) { return ::pwrite(fd, d, n, o); };
    return TransferAll(write, data, length, at);
}

bool ReadAllAt(int fd, char* data, qint64 length, qint64 at) {
    const auto read = [fd](char* d, size_t n, off_t o) { return ::pread(fd, d, n, o); };
    return TransferAll(read, data, length, at);
}

// The joined file as it is built: a temporary file beside the target, made only when the first
// frame comes, so that a join that yields nothing leaves the target alone. Frames are gathered
// into large writes, as a system call per frame would cost more than the copy.
class JoinOutput {
public:
    explicit JoinOutput(const QString& path) : file(path) {}

    bool Append(const quint8* data, qint32 length) {
        if (!Open() || (bytes.size() + length > kCapacity && !Flush())) {
            return false;
        }
        bytes.append(reinterpret_cast<const char*>(data), length);
        return true;
    }
    // Puts `front` before everything written so far.
    bool InsertFront(const QByteArray& front) {
        if (flushed == 0) {
            bytes.prepend(front);
            return true;
        }
        if (!Flush()) {
            return false;
        }
        // Moved back to front in pieces, so that no piece overwrites one still to be moved.
        for (qint64 end = flushed; end > 0;) {
            const qint64 length = std::min<qint64>(end, kCapacity);
            end -= length;
            bytes.resize(length);
            errno = 0;
            if (!ReadAllAt(file.handle(), bytes.data(), length, end) ||
                !WriteAllAt(file.handle(), bytes.constData(), length, end + front.size())) {
                return Fail(errno);
            }
        }
        bytes.resize(0);
        flushed += front.size();
        return WriteAt(front, 0) && file.seek(flushed);
    }
    // Writes `leadingFrame` over the output's first frame, unless it is empty, and puts the
    // output in the target's place.
    bool Commit(const QByteArray& leadingFrame) {
        if (!Flush() || (!leadingFrame.isEmpty() && !WriteAt(leadingFrame, 0))) {
            return false;
        }
        errno = 0;
        return file.commit() || Fail(errno);
    }
    void Cancel() {
        if (file.isOpen()) {
            file.cancelWriting();
        }
    }
    const QString& Error() const { return error; }

private:
    static constexpr qsizetype kCapacity = 1 << 20;

    bool Open() {
        if (file.isOpen()) {
            return true;
        }
        // A writable target in a folder where no temporary file can be made is written in
        // place, as the user asked for it; only then can a failure leave it half written.
        file.setDirectWriteFallback(true);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            error = QStringLiteral("Cannot create %1: %2")
                        .arg(Quoted(file.fileName()), file.errorString());
            return false;
        }
        bytes.reserve(kCapacity);
        return true;
    }
    bool Flush() {
        errno = 0;
        if (file.write(bytes) != bytes.size()) {
            return Fail(errno);
        }
        flushed += bytes.size();
        bytes.resize(0);
#ifdef SYNC_FILE_RANGE_WRITE
        // Start writing back what is written so far, so the final sync has little left to wait
        // for; the copy goes on meanwhile.
        if ((++flushes % 8) == 0) {
            ::sync_file_range(file.handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
        }
#endif
        return true;
    }
    bool WriteAt(const QByteArray& data, qint64 at) {
        errno = 0;
        return WriteAllAt(file.handle(), data.constData(), data.size(), at) || Fail(errno);
    }
    bool Fail(int systemError) {
        error = WriteFailure(file, systemError);
        return false;
    }

    QSaveFile file;
    QByteArray bytes;
    qint64 flushed = 0;
    int flushes = 0;
    QString error;
};

// Why the join must not write to outputPath: it is one of the inputs, or something a new file
// must not replace. Empty when it may.
QString RefuseOutput(const TessaroWorkSpace& workspace, const QString& outputPath) {
    for (const QString& input : workspace.Paths()) {
        if (IsSameFile(outputPath, input)) {
            return QStringLiteral(
                       "The output file %1 is also one of the inputs (%2); "
                       "choose another output file.")
                .arg(Quoted(outputPath), Quoted(input));
        }
    }
    const QString refusal = NotReplaceable(outputPath);
    return refusal.isEmpty() ? QString()
                             : QStringLiteral("Cannot write %1: %2; choose another output file.")
                                   .arg(Quoted(outputPath), refusal);
}

// One join in progress: the inputs' frames go to the output one input at a time, then the
// leading header is put right and the output takes the target's place.
class Join {
public:
    Join(const QString& outputPath, qint64 total, MergeHost& host)
        : output(outputPath), outputPath(outputPath), total(total), host(host) {}

    // Copies every frame of one input, or skips it with a warning; false when the join fails.
    bool CopyInput(const QString& input) {
        const auto before = Stamp(input);
        mp3::StreamReader reader(input);
        if (!reader.IsOpen() || reader.AtEnd()) {
            const QString reason =
                reader.IsOpen() ? QStringLiteral("no MPEG audio frames found") : reader.OpenError();
            result.warnings << QStringLiteral("Skipped %1: %2").arg(Quoted(input), reason);
            return true;
        }
        CompareFormat(input, reader.Header());
        for (; !reader.AtEnd(); reader.Advance()) {
            const mp3::JoinedStream::Step step =
                stream.AddFrame(reader.Frame(), reader.FrameLength(), reader.FrameIndex() == 0);
            if ((!step.insertFront.isEmpty() &&
                 !Written(output.InsertFront(step.insertFront), step.insertFront.size())) ||
                (step.copy && !Written(output.Append(reader.Frame(), reader.FrameLength()),
                                       reader.FrameLength()))) {
                return false;
            }
        }
        // Frames read from a file that changed meanwhile may be cut or mixed.
        if (Stamp(input) != before) {
            output.Cancel();
            result.error =
                QStringLiteral("%1 was changed or removed while it was being read; join it again")
                    .arg(Quoted(input));
            return false;
        }
        return true;
    }
    // Makes the leading header describe the whole output and puts the output in place.
    bool Finish() {
        if (result.inputsJoined == 0) {
            result.error =
                QStringLiteral("None of the inputs holds an MPEG audio frame; %1 was not written.")
                    .arg(Quoted(outputPath));
            return false;
        }
        if (!output.Commit(stream.HeaderFrame())) {
            output.Cancel();
            result.error = output.Error();
            return false;
        }
        return true;
    }

    MergeResult result;

private:
    // Counts a frame (or the bytes put in front) once written, and reports the progress.
    bool Written(bool succeeded, qint32 length) {
        if (!succeeded) {
            output.Cancel();
            result.error = output.Error();
            return false;
        }
        result.written += length;
        ++result.frames;
        // Truncated toward zero; with nothing measured there is nothing left to do.
        const qint64 percent =
            total > 0 ? qint64(double(result.written) / double(total) * 100.0) : 100;
        host.MergeProgress(qint32(quint32(percent)), 0);
        return true;
    }
    // Warns when an input's format differs from the first one's.
    void CompareFormat(const QString& input, const mp3::FrameHeader& header) {
        const QStringList figures = Figures(header);
        if (++result.inputsJoined == 1) {
            firstInput = input;
            firstFigures = figures;
        } else if (const QString mismatch = Mismatch(firstInput, firstFigures, input, figures);
                   !mismatch.isEmpty()) {
            result.warnings << mismatch;
        }
    }

    JoinOutput output;
    mp3::JoinedStream stream;
    const QString outputPath;
    const qint64 total;
    MergeHost& host;
    QString firstInput;
    QStringList firstFigures;
};

}  // namespace

qint64 GetTotalFileSize(const TessaroWorkSpace& workspace) {
    qint64 total = 0;
    for (const QString& path : workspace.Paths()) {
        total += mp3::GetFileSize64(path);
    }
    return total;
}

MergeResult RunMerge(const TessaroWorkSpace& workspace, const QString& outputPath,
                     MergeHost& host) {
    const qint64 total = GetTotalFileSize(workspace);
    host.MergeProgress(0, 100);
    if (const QString refusal = RefuseOutput(workspace, outputPath); !refusal.isEmpty()) {
        MergeResult refused;
        refused.error = refusal;
        return refused;
    }
    Join join(outputPath, total, host);
    for (const QString& input : workspace.Paths()) {
        if (!join.CopyInput(input)) {
            return join.result;
        }
    }
    if (!join.Finish()) {
        return join.result;
    }
    MergeResult result = join.result;
    if (host.QuerySaveID3Tag()) {
        const QString failure = WriteTag(workspace, outputPath);
        if (!failure.isEmpty()) {
            result.warnings << QStringLiteral(
                                   "Cannot write the tag to %1; it holds the audio only: %2")
                                   .arg(Quoted(outputPath), failure);
        }
    }
    return result;
}

}  // namespace tessaro
