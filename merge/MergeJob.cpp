#include "merge/MergeJob.h"

#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <fcntl.h>

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <filesystem>
#include <system_error>

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

// Written through TagLib's MPEG file type whatever the output's name ends in.
bool WriteTag(const TessaroWorkSpace& workspace, const QString& outputPath) {
    TagLib::MPEG::File file(QFile::encodeName(outputPath).constData(), true,
                            TagLib::AudioProperties::Average);
    TagLib::Tag* tag = file.tag();
    if (!tag) {
        return false;
    }
    tag->setAlbum(ToTagString(workspace.Album()));
    tag->setArtist(ToTagString(workspace.Artist()));
    tag->setComment(ToTagString(workspace.Comment()));
    tag->setTitle(ToTagString(workspace.Title()));
    // TagLib takes 0 as "no year"; a negative year would otherwise wrap to a huge one.
    tag->setYear(workspace.Year() > 0 ? unsigned(workspace.Year()) : 0);
    return file.save();
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
    // A target in a folder where no temporary file can be made is written in place.
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

    if (host.QuerySaveID3Tag() && !WriteTag(workspace, outputPath)) {
        result.warnings << QStringLiteral("Cannot write the tag to %1").arg(Quoted(outputPath));
    }
    return result;
}

}  // namespace tessaro
