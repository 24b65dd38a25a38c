#include "split/Split.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <cerrno>

#include "io/AtomicWrite.h"
#include "io/Files.h"
#include "io/InputFile.h"
#include "mp3/Crc16.h"
#include "mp3/InputPass.h"
#include "mp3/InputTags.h"
#include "mp3/JoinedStream.h"
#include "mp3/XingHeader.h"
#include "seam/Seam.h"
#include "split/SourceStream.h"

namespace tessaro {

namespace {

// How far before its first sample a part starts decoding. Its first granule lacks the overlap of
// the one before it and decodes wrong; the synthesis filter's 512 samples of memory behind that,
// less the 529 samples decoders hold back, end 527 samples in: one granule covers both.
constexpr qint64 kWarmUp = 576;
// Whole frames are copied this many bytes at a time, at most: progress and Cancel between.
constexpr qint64 kChunkBytes = 8 << 20;
// The LAME extension holds delay and padding in 12 bits each.
constexpr qint32 kLargestDelay = 4095;

// The frames a part is made of, and the samples its decoding leaves out at both ends.
struct PartFrames {
    size_t first = 0;
    size_t end = 0;
    qint32 delay = 0;
    qint32 padding = 0;
    std::vector<QByteArray> rebuilt;  // in place of the first frames
};

// The frames between the part's first sample, with what decoding them needs before it, and its
// last; its frames rebuilt where they would draw on frames before them.
PartFrames FramesOf(const SourceStream& stream, const SplitPart& part) {
    if (part.input) {
        return {part.input->firstFrame,
                size_t(part.input->firstFrame) + part.input->frames,
                part.input->delay,
                part.input->padding,
                {}};
    }
    const qint64 perFrame = stream.samplesPerFrame;
    const qint64 start = part.start + stream.delay, end = part.end + stream.delay;
    PartFrames frames;
    // A stream of mixed formats is cut at the frame holding the part's start, undecoded before.
    const qint64 warmUp = stream.reservoir ? kWarmUp : 0;
    frames.first = size_t(std::max<qint64>(0, start - warmUp) / perFrame);
    frames.end =
        std::min(stream.FrameCount(), size_t((end + kDecoderDelay + perFrame - 1) / perFrame));
    // Readers measure a free-format frame by the next one's start: a part needs two, the last
    // one starting a frame early where the stream ends behind its first.
    if (stream.freeFormat) {
        frames.end = std::min(stream.FrameCount(), std::max(frames.end, frames.first + 2));
        frames.first = std::min(frames.first, frames.end - std::min<size_t>(frames.end, 2));
    }
    frames.delay = qint32(start - qint64(frames.first) * perFrame);
    frames.padding =
        qint32(qint64(frames.end - frames.first) * perFrame - frames.delay - (end - start));
    return frames;
}

QString PartName(const SplitRequest& request, int number, const QString& title,
                 const QString& album) {
    const int width = int(QString::number(request.parts.size()).size());
    const QString defaultPattern = SplitRequest{}.namePattern;
    QString name = title.isEmpty() && request.namePattern == defaultPattern
                       ? QStringLiteral("{n}.mp3")
                       : request.namePattern;
    name.replace(QStringLiteral("{n}"),
                 QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0')))
        .replace(QStringLiteral("{title}"), title)
        .replace(QStringLiteral("{album}"), album);
    // What cannot stand in a file name: the folder separator, NUL and the control characters.
    for (QChar& c : name) {
        if (c == QLatin1Char('/') || c.unicode() < 0x20 || c.unicode() == 0x7F) {
            c = QLatin1Char('_');
        }
    }
    return name;
}

// The tag each part carries: the source's frames shared by all parts, its title and its number.
TagBytes PartTag(const SplitRequest& request, const mp3::InputTags& source, size_t index) {
    JoinedTag tag;
    std::vector<mp3::TextFrame> frames = CopyFrames({{request.source, source.frames}}, true).frames;
    frames.push_back({QByteArrayLiteral("TRCK"),
                      {},
                      {},
                      {QStringLiteral("%1/%2").arg(index + 1).arg(request.parts.size())}});
    tag.shared = std::move(frames);
    tag.typed = OutputTag{};
    tag.typed->title = request.parts[index].title;
    tag.picture = source.picture;
    tag.id3v23 = request.id3v23;
    tag.name = FileTitle(request.source);
    return RenderJoinedTag(tag);
}

// The parts with the records of joined inputs kept only where they meet: each one's frames
// end where the next part's record starts them, or at the end of the stream for the last.
std::vector<SplitPart> WithInputsThatMeet(std::vector<SplitPart> parts, size_t frameCount) {
    for (size_t i = 0; i < parts.size(); ++i) {
        if (!parts[i].input) {
            continue;
        }
        const size_t end = size_t(parts[i].input->firstFrame) + parts[i].input->frames;
        const bool last = i + 1 == parts.size();
        const bool meets =
            last ? end == frameCount : parts[i + 1].input && parts[i + 1].input->firstFrame == end;
        const bool starts =
            i == 0 ? parts[i].input->firstFrame == 0 : parts[i - 1].input.has_value();
        if (!meets || !starts || end > frameCount) {
            parts[i].input.reset();
        }
    }
    return parts;
}

// Why the parts cannot be cut as asked; empty when they can.
QString PartsRefusal(const std::vector<SplitPart>& parts, qint64 samples) {
    if (parts.empty()) {
        return QStringLiteral("there is no part to write");
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].start < 0 || parts[i].end > samples) {
            return QStringLiteral("part %1 lies past the end of the audio").arg(i + 1);
        }
        if (parts[i].end <= parts[i].start || (i > 0 && parts[i].start < parts[i - 1].end)) {
            return QStringLiteral("the cut points do not increase at part %1").arg(i + 1);
        }
    }
    return QString();
}

// Writes one part: the tag, the header frame describing the part, and its frames.
class PartWriter {
public:
    PartWriter(const SourceStream& stream, const InputFile& input, const QString& source,
               MergeHost& host)
        : stream(stream), input(input), source(source), host(host) {
        for (const SourceFrame& frame : stream.frames) {
            totalBytes += frame.length;
        }
    }

    // Empty when the part was written and put in place; otherwise why not.
    QString Write(const QString& path, const PartFrames& frames, const TagBytes& tag);
    qint64 BytesDone() const { return bytesDone; }

private:
    QString Put(const char* data, qint64 length);
    QString CopyFrames(size_t from, size_t to);
    QByteArray HeaderModel(const PartFrames& frames) const;

    const SourceStream& stream;
    const InputFile& input;
    const QString& source;
    MergeHost& host;
    qint64 totalBytes = 0;
    qint64 bytesDone = 0;
    std::unique_ptr<QSaveFile> file;
    mp3::JoinedStream joined;
    quint16 musicCrc = 0;
};

QByteArray PartWriter::HeaderModel(const PartFrames& frames) const {
    const auto* lead = reinterpret_cast<const quint8*>(stream.lead.constData());
    const std::optional<mp3::XingHeader> xing =
        mp3::XingHeader::Find(lead, qint32(stream.lead.size()));
    if (xing && xing->HasEncoderExtension()) {
        return stream.lead;
    }
    const QByteArray first =
        frames.rebuilt.empty()
            ? QByteArray(reinterpret_cast<const char*>(stream.frames[frames.first].header.data()),
                         4)
            : frames.rebuilt.front();
    // A header frame has a bitrate of its own: in front of free-format frames it would make
    // readers take them for frames of that bitrate, and find none.
    if (mp3::HeaderOf(first).IsFreeFormat()) {
        return {};
    }
    return mp3::XingHeader::NewFrame(reinterpret_cast<const quint8*>(first.constData()), false,
                                     true);
}

QString PartWriter::Put(const char* data, qint64 length) {
    errno = 0;
    if (file->write(data, length) != length) {
        return FailureReason(*file, errno);
    }
    return QString();
}

QString PartWriter::CopyFrames(size_t from, size_t to) {
    const std::vector<SourceFrame>& source = stream.frames;
    while (from < to) {
        // A run of frames that lie one behind the other, up to a chunk's worth, copied in the
        // system; its CRC comes of those taken while the frames were read.
        size_t end = from + 1;
        qint64 bytes = source[from].length;
        while (end < to && source[end].offset == source[end - 1].offset + source[end - 1].length &&
               bytes + source[end].length <= kChunkBytes) {
            bytes += source[end++].length;
        }
        errno = 0;
        if (!file->flush()) {
            return FailureReason(*file, errno);
        }
        const qint64 at = file->pos();
        if (!CopyAllAt(input.Descriptor(), input.Offset() + source[from].offset, file->handle(), at,
                       bytes)) {
            // A source that ends before its frames do was cut while the part was written.
            return errno != 0 ? qt_error_string(errno) : ChangedWhileRead(this->source);
        }
        if (!file->seek(at + bytes)) {
            return file->errorString();
        }
        musicCrc = mp3::Crc16Combine(musicCrc, stream.CrcOf(from, end, bytes), bytes);
        for (; from < end; ++from) {
            static_cast<void>(
                joined.AddFrame(source[from].header.data(), source[from].length, false));
        }
        bytesDone += bytes;
        host.MergeProgress(qint32(bytesDone * 100 / std::max<qint64>(1, totalBytes)), 0);
        if (host.MergeCancelled()) {
            return QStringLiteral("cancelled");  // the run says so: this never shows
        }
    }
    return QString();
}

QString PartWriter::Write(const QString& path, const PartFrames& frames, const TagBytes& tag) {
    file = std::make_unique<QSaveFile>(path);
    joined = mp3::JoinedStream();
    musicCrc = 0;
    if (!file->open(QIODevice::WriteOnly)) {
        return file->errorString();
    }
    const TemporaryFileMark mark(*file);
    const QByteArray model = HeaderModel(frames);
    if (!model.isEmpty()) {
        static_cast<void>(joined.AddFrame(reinterpret_cast<const quint8*>(model.constData()),
                                          qint32(model.size()), true));
    }
    QString failure = Put(tag.front.constData(), tag.front.size());
    if (failure.isEmpty() && !model.isEmpty()) {
        failure = Put(model.constData(), model.size());
    }
    for (size_t i = 0; failure.isEmpty() && i < frames.rebuilt.size(); ++i) {
        const QByteArray& frame = frames.rebuilt[i];
        const auto* data = reinterpret_cast<const quint8*>(frame.constData());
        static_cast<void>(joined.AddFrame(data, qint32(frame.size()), model.isEmpty() && i == 0));
        musicCrc = mp3::Crc16(data, frame.size(), musicCrc);
        failure = Put(frame.constData(), frame.size());
    }
    if (failure.isEmpty()) {
        failure = CopyFrames(frames.first + frames.rebuilt.size(), frames.end);
    }
    if (failure.isEmpty()) {
        failure = Put(tag.back.constData(), tag.back.size());
    }
    joined.SetFirstDelay(std::min(frames.delay, kLargestDelay));
    joined.SetLastPadding(std::min(frames.padding, kLargestDelay));
    if (const QByteArray header = joined.HeaderFrame(musicCrc);
        failure.isEmpty() && !header.isEmpty()) {
        failure = file->seek(tag.front.size()) ? Put(header.constData(), header.size())
                                               : file->errorString();
    }
    if (failure.isEmpty() && input.Changed()) {
        failure = ChangedWhileRead(source);
    }
    if (!failure.isEmpty()) {
        file->cancelWriting();
        return failure;
    }
    errno = 0;
    return CommitHoldingSignals(*file) ? QString() : FailureReason(*file, errno);
}

// The source's album, for the names.
QString AlbumOf(const mp3::InputTags& tags) {
    for (const mp3::TextFrame& frame : tags.frames) {
        if (frame.id == "TALB" && !frame.text.isEmpty()) {
            return frame.text.front();
        }
    }
    return QString();
}

// Why the parts cannot be written under these names; empty when they can.
QString NamesRefusal(const QStringList& names, bool force, bool* wrongUsage) {
    QSet<QString> seen;
    for (const QString& name : names) {
        if (seen.contains(name)) {
            *wrongUsage = true;
            return QStringLiteral("two parts would be named %1").arg(Quoted(name));
        }
        seen.insert(name);
        if (!force && QFileInfo::exists(name)) {
            return QStringLiteral("%1 exists already").arg(Quoted(name));
        }
        if (QString refusal = AtomicWriteRefusal(name); !refusal.isEmpty()) {
            return QStringLiteral("Cannot write %1: %2").arg(Quoted(name), refusal);
        }
    }
    return QString();
}

// The frames source frame `i` is, read on demand for the repacking.
FrameBytes FrameReader(const SourceStream& stream, const InputFile& input) {
    return [&stream, &input](size_t i) {
        QString ignored;
        return ReadBytesAt(input.Descriptor(), stream.frames[i].length,
                           input.Offset() + stream.frames[i].offset, &ignored);
    };
}

}  // namespace

SplitResult RunSplit(const SplitRequest& request, MergeHost& host) {
    SplitResult result;
    std::shared_ptr<const SourceStream> stream = request.read;
    if (!stream) {
        std::optional<SourceStream> read = ReadSourceStream(request.source, &result.error);
        if (!read) {
            return result;
        }
        stream = std::make_shared<const SourceStream>(std::move(*read));
    }
    result.error = PartsRefusal(request.parts, stream->Samples());
    if (!result.error.isEmpty()) {
        result.wrongUsage = true;
        return result;
    }
    const QFileInfo folder(request.folder);
    if (!folder.isDir() || !folder.isWritable()) {
        result.error = QStringLiteral("The folder %1 is missing or cannot be written")
                           .arg(Quoted(request.folder));
        return result;
    }
    const mp3::InputTags tags = mp3::ReadInputTags(request.source);
    const QStringList names = PartNames(request, AlbumOf(tags));
    result.error = NamesRefusal(names, request.force, &result.wrongUsage);
    if (!result.error.isEmpty()) {
        return result;
    }
    const std::shared_ptr<InputFile>& input = stream->file;
    if (!stream->reservoir) {
        result.warnings << QStringLiteral(
                               "%1 is not Layer III of one format throughout: its parts are cut "
                               "at frames, each decoding from its first frame alone")
                               .arg(Quoted(request.source));
    }
    PartWriter writer(*stream, *input, request.source, host);
    const std::vector<SplitPart> parts = WithInputsThatMeet(request.parts, stream->FrameCount());
    for (size_t i = 0; i < parts.size(); ++i) {
        PartFrames frames = FramesOf(*stream, parts[i]);
        if (stream->reservoir && !parts[i].input) {
            std::optional<std::vector<QByteArray>> rebuilt =
                SelfContainedStart(*stream->reservoir, frames.first, FrameReader(*stream, *input));
            if (rebuilt) {
                frames.rebuilt = std::move(*rebuilt);
            } else {
                result.warnings << QStringLiteral(
                                       "part %1 starts where the frames cannot be made to "
                                       "decode alone: its first samples may sound wrong")
                                       .arg(i + 1);
            }
        }
        const QString failure =
            writer.Write(names[qsizetype(i)], frames, PartTag(request, tags, i));
        if (!failure.isEmpty()) {
            result.cancelled = host.MergeCancelled();
            result.error = result.cancelled ? QStringLiteral("The split was cancelled")
                                            : QStringLiteral("Cannot write part %1, %2: %3")
                                                  .arg(i + 1)
                                                  .arg(Quoted(names[qsizetype(i)]), failure);
            return result;
        }
        result.written << names[qsizetype(i)];
    }
    return result;
}

std::optional<SplitSource> ReadSplitSource(const QString& path, QString* error) {
    std::optional<SourceStream> stream = ReadSourceStream(path, error);
    if (!stream) {
        return std::nullopt;
    }
    const int rate = stream->sampleRate;
    const qint64 samples = stream->Samples();
    return SplitSource{path, rate, samples,
                       std::make_shared<const SourceStream>(std::move(*stream))};
}

std::vector<SplitPart> PartsBetween(const SplitSource& source, const std::vector<qint64>& cuts,
                                    const QStringList& titles) {
    std::vector<SplitPart> parts;
    qint64 start = 0;
    for (size_t i = 0; i <= cuts.size(); ++i) {
        const qint64 end = i < cuts.size() ? cuts[i] : source.samples;
        parts.push_back(
            {start, end, qsizetype(i) < titles.size() ? titles[qsizetype(i)] : QString()});
        start = end;
    }
    return parts;
}

QStringList PartNames(const SplitRequest& request, const QString& album) {
    QStringList names;
    for (size_t i = 0; i < request.parts.size(); ++i) {
        names << QDir(request.folder)
                     .filePath(PartName(request, int(i + 1), request.parts[i].title, album));
    }
    return names;
}

}  // namespace tessaro
