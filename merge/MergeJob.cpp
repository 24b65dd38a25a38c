#include "merge/MergeJob.h"

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>

#include <fcntl.h>

#include <QFileInfo>
#include <QSaveFile>
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

// Gathers frames into large writes: a system call per frame would cost more than the copy.
class OutputBuffer {
public:
    explicit OutputBuffer(QFileDevice& device) : device(device) { bytes.reserve(kCapacity); }

    bool Append(const quint8* data, qint32 length) {
        if (bytes.size() + length > kCapacity && !Flush()) {
            return false;
        }
        bytes.append(reinterpret_cast<const char*>(data), length);
        return true;
    }
    bool Flush() {
        errno = 0;
        const bool written = device.write(bytes) == bytes.size();
        systemError = errno;
        bytes.resize(0);
#ifdef SYNC_FILE_RANGE_WRITE
        // Start writing back what is written so far, so the final sync has little left to wait
        // for; the copy goes on meanwhile.
        if (written && (++flushes % 8) == 0) {
            ::sync_file_range(device.handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
        }
#endif
        return written;
    }
    int SystemError() const {
        return systemError;
    }

private:
    static constexpr qsizetype kCapacity = 1 << 20;
    QFileDevice& device;
    QByteArray bytes;
    int systemError = 0;
    int flushes = 0;
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
    MergeResult result;
    const qint64 total = GetTotalFileSize(workspace);
    host.MergeProgress(0, 100);

    for (const QString& input : workspace.Paths()) {
        if (IsSameFile(outputPath, input)) {
            result.error = QStringLiteral(
                               "The output file %1 is also one of the inputs (%2); "
                               "choose another output file.")
                               .arg(Quoted(outputPath), Quoted(input));
            return result;
        }
    }

    QSaveFile output(outputPath);
    // A writable target in a folder where no temporary file can be made is written in place,
    // as the user asked for it; only then can a failure leave it half written.
    output.setDirectWriteFallback(true);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error =
            QStringLiteral("Cannot create %1: %2").arg(Quoted(outputPath), output.errorString());
        return result;
    }
    OutputBuffer buffer(output);
    mp3::XingUpdate xingUpdate;
    QString firstInput;
    QStringList firstFigures;

    for (const QString& input : workspace.Paths()) {
        const auto before = Stamp(input);
        mp3::StreamReader reader(input);
        if (!reader.IsOpen()) {
            result.warnings
                << QStringLiteral("Skipped %1: %2").arg(Quoted(input), reader.OpenError());
            continue;
        }
        if (reader.AtEnd()) {
            result.warnings
                << QStringLiteral("Skipped %1: no MPEG audio frames found").arg(Quoted(input));
            continue;
        }
        const QStringList figures = Figures(reader.Header());
        if (++result.inputsJoined == 1) {
            firstInput = input;
            firstFigures = figures;
        } else if (const QString mismatch = Mismatch(firstInput, firstFigures, input, figures);
                   !mismatch.isEmpty()) {
            result.warnings << mismatch;
        }
        for (; !reader.AtEnd(); reader.Advance()) {
            const qint32 length = reader.FrameLength();
            xingUpdate.AddFrame(reader.Frame(), length, reader.FrameIndex() == 0);
            if (!buffer.Append(reader.Frame(), length)) {
                result.error = WriteFailure(output, buffer.SystemError());
                output.cancelWriting();
                return result;
            }
            result.written += length;
            ++result.frames;
            // Truncated toward zero; with nothing measured there is nothing left to do.
            const qint64 percent =
                total > 0 ? qint64(double(result.written) / double(total) * 100.0) : 100;
            host.MergeProgress(qint32(quint32(percent)), 0);
        }
        // Frames read from a file that changed meanwhile may be cut or mixed.
        if (Stamp(input) != before) {
            result.error =
                QStringLiteral("%1 was changed or removed while it was being read; join it again")
                    .arg(Quoted(input));
            output.cancelWriting();
            return result;
        }
    }

    // The first frame's header was copied from the first input and describes only that; it is
    // made to describe the whole output before the output replaces its target.
    const QByteArray firstFrame = xingUpdate.UpdatedFirstFrame();
    bool flushed = buffer.Flush();
    if (flushed && !firstFrame.isEmpty()) {
        flushed = output.seek(0) &&
                  buffer.Append(reinterpret_cast<const quint8*>(firstFrame.constData()),
                                qint32(firstFrame.size())) &&
                  buffer.Flush();
    }
    if (!flushed) {
        result.error = WriteFailure(output, buffer.SystemError());
        output.cancelWriting();
        return result;
    }
    errno = 0;
    if (!output.commit()) {
        result.error = WriteFailure(output, errno);
        return result;
    }

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
