#include "merge/MergeJob.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>

#include "io/AtomicWrite.h"
#include "io/BackgroundWriter.h"
#include "io/Files.h"
#include "merge/JoinedTag.h"
#include "merge/SeamMaker.h"
#include "mp3/Crc16.h"
#include "mp3/InputTags.h"
#include "mp3/JoinedStream.h"
#include "mp3/StreamFormat.h"
#include "mp3/StreamReader.h"
#include "workspace/TessaroWorkSpace.h"

namespace tessaro {
namespace {

// The file that stands at path, links followed: none when nothing does.
std::optional<std::pair<dev_t, ino_t>> FileId(const QString& path) {
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return std::make_pair(info.st_dev, info.st_ino);
}

QString WriteFailure(const QSaveFile& output, int systemError) {
    return QStringLiteral("Cannot write %1: %2")
        .arg(Quoted(output.fileName()), FailureReason(output, systemError));
}

// Names the figures in which an input's format differs from the first one's; empty when they
// agree. Many players keep the first frame's and play what follows wrongly.
QString Mismatch(const QString& firstPath, const mp3::StreamFormat& firstFormat,
                 const QString& path, const mp3::StreamFormat& format) {
    if (format == firstFormat) {
        return {};
    }
    const QString separator = QStringLiteral(", ");
    return QStringLiteral(
               "%1 (%2) differs from the first input %3 (%4); many players play the joined "
               "file wrongly")
        .arg(Quoted(path), format.FiguresDifferingFrom(firstFormat).join(separator),
             Quoted(firstPath), firstFormat.FiguresDifferingFrom(format).join(separator));
}

QString InputsChanged() {
    return QStringLiteral("The inputs changed while they were being joined; join them again");
}

QString CannotRead(const QString& input, const QString& reason) {
    return QStringLiteral("Cannot read %1: %2").arg(Quoted(input), reason);
}

QString ChangedWhileRead(const QString& input) {
    return QStringLiteral("%1 was changed or removed while it was being read; join it again")
        .arg(Quoted(input));
}

// The joined file as it is built: a temporary file beside the target, made only when the first
// frame comes, so that a join that yields nothing leaves the target alone. What goes in front of
// the audio comes first and what goes behind it last, so that the file is written in one pass.
// Frames that lie one behind the other in an input's read buffer go out as one write straight
// from it, on a thread of their own while the next ones are found.
class JoinOutput {
public:
    explicit JoinOutput(const QString& path) : file(path) {}

    bool IsOpen() const { return file.isOpen(); }
    // Makes the file and puts `front` at its start, before the audio.
    bool Open(const QByteArray& front) {
        // A writable target in a folder where no temporary file can be made is written in
        // place, as the user asked for it; only then can a failure leave it half written.
        file.setDirectWriteFallback(true);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            error = QStringLiteral("Cannot create %1: %2")
                        .arg(Quoted(file.fileName()), file.errorString());
            return false;
        }
        inPlace = WritesInPlace(file);
        mark.emplace(file);
        writer.emplace(file.handle());
        audioStart = end = front.size();
        return Hand(Piece::Own(front, 0));
    }
    // Keeps the Crc16 of all audio written from `offset` bytes into it on: runs of frames take it
    // at the speed of memory, where frame by frame its setting up would cost more than the sum.
    void ChecksumFrom(qint64 offset) { crcStart = audioStart + offset; }
    quint16 Checksum() const { return crc; }
    // Puts the frame at `data`, which lies in `buffer`, behind what is written.
    bool Append(const quint8* data, qint32 length, const std::shared_ptr<const void>& buffer) {
        if (run.length > 0 &&
            (buffer != run.buffer || data != run.data + run.length ||
             run.length + length > kRunLength) &&
            !Flush()) {
            return false;
        }
        if (run.length == 0) {
            run = {buffer, data, 0, end};
        }
        run.length += length;
        end += length;
        return true;
    }
    // Puts `front` before all the audio written so far.
    bool InsertFront(const QByteArray& front) {
        if (!Flush() || !Drain()) {
            return false;
        }
        // Moved back to front in pieces, so that no piece overwrites one still to be moved.
        QByteArray bytes;
        for (qint64 pieceEnd = end; pieceEnd > audioStart;) {
            const qint64 length = std::min<qint64>(pieceEnd - audioStart, kMoveLength);
            pieceEnd -= length;
            bytes.resize(length);
            errno = 0;
            if (!ReadAllAt(file.handle(), bytes.data(), length, pieceEnd) ||
                !WriteAllAt(file.handle(), bytes.constData(), length, pieceEnd + front.size())) {
                return Fail(errno);
            }
        }
        end += front.size();
        crcStart += crcStart >= 0 ? front.size() : 0;
        return WriteAt(front, audioStart);
    }
    // Writes out the audio gathered so far, so that its checksum is complete.
    bool FlushAudio() { return Flush(); }
    // Writes `front` over what was put before the audio and `leadingFrame` over the audio's first
    // frame, each unless it is empty, puts `back` behind the audio, and the output in the
    // target's place unless `lastCheck`, asked once all is written, says why not.
    bool Commit(const QByteArray& front, const QByteArray& leadingFrame, const QByteArray& back,
                const std::function<QString()>& lastCheck) {
        Q_ASSERT(front.isEmpty() || front.size() == audioStart);
        if (!Flush() || !Hand(Piece::Own(back, end)) || !Drain() ||
            (!front.isEmpty() && !WriteAt(front, 0)) ||
            (!leadingFrame.isEmpty() && !WriteAt(leadingFrame, audioStart))) {
            return false;
        }
        writer.reset();
        error = lastCheck();
        errno = 0;
        return error.isEmpty() && (file.commit() || Fail(errno));
    }
    void Cancel() {
        writer.reset();
        if (file.isOpen()) {
            file.cancelWriting();
        }
    }
    const QString& Error() const { return error; }
    // What a failure has done to the target: none of it, unless it was written in place.
    QString Damage() const {
        return inPlace ? QStringLiteral(
                             "; no temporary file could be made beside %1, so it was "
                             "written in place and is now overwritten in part")
                             .arg(Quoted(file.fileName()))
                       : QString();
    }

private:
    // Long enough that a write costs little more than its copy, short enough that the checksum
    // finds the run in the cache and the writer starts early.
    static constexpr qint64 kRunLength = 1 << 20;
    // Pieces in which the audio is moved up to make room in front of it.
    static constexpr qint64 kMoveLength = 1 << 20;

    // Frames lying one behind the other in a read buffer, not yet handed to the writer.
    struct Run {
        std::shared_ptr<const void> buffer;
        const quint8* data = nullptr;
        qint64 length = 0;
        qint64 at = 0;
    };

    bool Flush() {
        if (run.length == 0) {
            return true;
        }
        if (crcStart >= 0 && run.at + run.length > crcStart) {
            const qint64 from = std::max<qint64>(crcStart - run.at, 0);
            crc = mp3::Crc16(run.data + from, run.length - from, crc);
        }
        const bool handed = Hand(
            {reinterpret_cast<const char*>(run.data), run.length, run.at, std::move(run.buffer)});
        run = {};
        return handed;
    }
    bool Hand(Piece piece) { return writer->Hand(std::move(piece)) || Fail(writer->Error()); }
    // Waits for what is handed to the writer, before the file is written at a place of its own.
    bool Drain() { return writer->Drain() || Fail(writer->Error()); }
    bool WriteAt(const QByteArray& data, qint64 at) {
        errno = 0;
        return WriteAllAt(file.handle(), data.constData(), data.size(), at) || Fail(errno);
    }
    bool Fail(int systemError) {
        // Bytes the system could not read for a write: an input cut short under its mapping.
        error = systemError == EFAULT ? InputsChanged() : WriteFailure(file, systemError);
        return false;
    }

    std::optional<TemporaryFileMark> mark;  // of `file`, so kept until its temporary file is gone
    QSaveFile file;
    bool inPlace = false;                    // `file` writes the target itself
    std::optional<BackgroundWriter> writer;  // of `file`, so gone before it is closed
    Run run;
    qint64 audioStart = 0;  // where the audio begins: behind the tag in front
    qint64 end = 0;         // of what is written or handed to the writer, run included
    qint64 crcStart = -1;   // where the checksummed audio begins; -1 for none
    quint16 crc = 0;
    QString error;
};

// Why the join must not write to outputPath: it is one of the inputs, or something a new file
// must not replace. Empty when it may.
QString RefuseOutput(const TessaroWorkSpace& workspace, const QString& outputPath) {
    // A path that names nothing yet cannot be an input, and needs no look at them.
    if (const auto outputId = FileId(outputPath)) {
        for (const QString& input : workspace.Paths()) {
            if (FileId(input) == outputId) {
                return QStringLiteral(
                           "The output file %1 is also one of the inputs (%2); "
                           "choose another output file.")
                    .arg(Quoted(outputPath), Quoted(input));
            }
        }
    }
    const QString refusal = NotReplaceable(outputPath);
    return refusal.isEmpty() ? QString()
                             : QStringLiteral("Cannot write %1: %2; choose another output file.")
                                   .arg(Quoted(outputPath), refusal);
}

// Why a name the join is given, of an input, the output or the cover picture, cannot be used as
// it stands. Empty when all can.
QString RefuseNames(const TessaroWorkSpace& workspace, const QString& outputPath,
                    const JoinOptions& options) {
    for (const QString& name : workspace.Paths() + QStringList{outputPath, options.coverFile}) {
        if (const QString problem = UnusableName(name); !problem.isEmpty()) {
            return QStringLiteral("Cannot use %1: %2.").arg(Quoted(name), problem);
        }
    }
    return QString();
}

// One join in progress: the inputs' frames go to the output one input at a time, then the
// leading header is put right and the output takes the target's place.
class Join {
public:
    Join(const TessaroWorkSpace& workspace, const QString& outputPath, qint64 total,
         MergeHost& host, const JoinOptions& options, std::optional<mp3::Picture> cover)
        : workspace(workspace),
          output(outputPath),
          outputPath(outputPath),
          total(total),
          host(host),
          options(options),
          seams(options.seamless) {
        tag.picture = std::move(cover);
    }

    // Copies every frame of the input at `index`, or skips it with a warning; false when the
    // join fails.
    bool CopyInput(int index) {
        const QString& input = workspace.Paths()[index];
        mp3::StreamReader reader(input);
        if (!reader.ReadError().isEmpty()) {
            return Fail(CannotRead(input, reader.ReadError()));
        }
        if (!reader.IsOpen() || reader.AtEnd()) {
            const QString reason =
                reader.IsOpen() ? QStringLiteral("no MPEG audio frames found") : reader.OpenError();
            result.warnings << QStringLiteral("Skipped %1: %2").arg(Quoted(input), reason);
            return true;
        }
        CompareFormat(input, reader.Header());
        if ((!output.IsOpen() && !Open()) ||
            !WriteViews(seams.StartInput(input, &result.warnings))) {
            return false;
        }
        if (options.chapters) {
            StartChapter(titles[size_t(index)]);
        }
        for (; !reader.AtEnd(); reader.Advance()) {
            const bool first = reader.FrameIndex() == 0;
            const SeamMaker::Taken taken =
                seams.Take(reader.Frame(), reader.FrameLength(), reader.Buffer(), first);
            const FrameView& released = taken.released;
            if ((taken.writeNow &&
                 !WriteFrame(reader.Frame(), reader.FrameLength(), reader.Buffer(), first)) ||
                (released.data &&
                 !WriteFrame(released.data, released.length, released.keeper, false))) {
                // A write that fails as its input changes fails for the input.
                return reader.Changed() ? Fail(ChangedWhileRead(input)) : false;
            }
        }
        if (!reader.ReadError().isEmpty()) {
            return Fail(CannotRead(input, reader.ReadError()));
        }
        // Frames read from a file that changed meanwhile may be cut or mixed.
        if (reader.Changed()) {
            return Fail(ChangedWhileRead(input));
        }
        spoiled.emplace_back(input, reader.Spoiled());
        return true;
    }
    // Makes the leading header describe the whole output, the chapters tell their times, and
    // puts the output in place.
    void Finish() {
        if (result.inputsJoined == 0) {
            result.error =
                QStringLiteral("None of the inputs holds an MPEG audio frame; %1 was not written.")
                    .arg(Quoted(outputPath));
            return;
        }
        if (!tag.chapters.empty()) {
            tag.chapters.back().endMs = Milliseconds(stream.Duration() + seams.KeptSeconds());
        }
        // No more chapters than were planned, with the same titles: the tag fits its place,
        // unless an input that held no frame when planned gave some when joined.
        const QByteArray front = RenderJoinedTag(tag, frontSize).front;
        if (front.size() != frontSize) {
            Fail(InputsChanged());
        } else if (!WriteViews(seams.Release()) || !output.FlushAudio() ||
                   !output.Commit(front, stream.HeaderFrame(output.Checksum()), back,
                                  [this] { return SpoiledInput(); })) {
            Fail(output.Error());
        }
    }

    MergeResult result;

private:
    // Gives the output up: no temporary file stays, the target is as it was.
    bool Fail(const QString& error) {
        output.Cancel();
        result.error = error + output.Damage();
        return false;
    }
    // Names the first input whose bytes may have changed under their mapping before they were
    // written out; empty when none.
    QString SpoiledInput() const {
        for (const auto& [input, flag] : spoiled) {
            if (*flag) {
                return ChangedWhileRead(input);
            }
        }
        return {};
    }
    static quint32 Milliseconds(double seconds) {
        return quint32(std::min(std::llround(seconds * 1000), qint64(0xFFFFFFFE)));
    }

    // Makes the output once there is audio for it. The tag is known before the first byte is
    // written, but for the chapters' times, so it goes in without a second pass over the audio:
    // with a chapter for every input that holds a frame, its place is kept, and filled once the
    // times are known.
    bool Open() {
        if (host.QuerySaveID3Tag()) {
            tag.typed = workspace.Tag();
        }
        if (options.chapters || options.copyCover) {
            PlanFromInputs();
        }
        const TagBytes planned = RenderJoinedTag(tag);
        tag.chapters.clear();
        frontSize = planned.front.size();
        back = planned.back;
        if (const QString tooLarge = TagTooLarge(frontSize); !tooLarge.isEmpty()) {
            result.error = QStringLiteral("Cannot write %1: %2.").arg(Quoted(outputPath), tooLarge);
            return false;
        }
        if (!output.Open(planned.front)) {
            result.error = output.Error();
            return false;
        }
        return true;
    }
    // Writes a frame of an input: `keeper` keeps its bytes until written.
    bool WriteFrame(const quint8* frame, qint32 length, const std::shared_ptr<const void>& keeper,
                    bool firstOfFile) {
        const mp3::JoinedStream::Step step = stream.AddFrame(frame, length, firstOfFile);
        // The leading frame is the first written; the checksum covers what follows it.
        if (result.frames == 0 && stream.NeedsMusicCrc()) {
            output.ChecksumFrom(length);
        }
        return (step.insertFront.isEmpty() ||
                Written(output.InsertFront(step.insertFront), step.insertFront.size())) &&
               (!step.copy || Written(output.Append(frame, length, keeper), length));
    }
    // Writes frames the seams kept back or made, none an input's first.
    bool WriteViews(const std::vector<FrameView>& frames) {
        return std::all_of(frames.begin(), frames.end(), [this](const FrameView& frame) {
            return WriteFrame(frame.data, frame.length, frame.keeper, false);
        });
    }
    // Ends the chapter before and starts the input's, once the seam in front of it is written.
    void StartChapter(const QString& title) {
        const quint32 now = Milliseconds(stream.Duration());
        if (!tag.chapters.empty()) {
            tag.chapters.back().endMs = now;
        }
        tag.chapters.push_back({title, now, now});
    }
    // Reads every input's title, and the picture of the first one with frames that has one.
    void PlanFromInputs() {
        for (const QString& path : workspace.Paths()) {
            const bool joined = !mp3::StreamReader(path).AtEnd();
            mp3::InputTags inputTags = mp3::ReadInputTags(path);
            titles.push_back(inputTags.title.isEmpty() ? QFileInfo(path).completeBaseName()
                                                       : inputTags.title);
            if (joined && options.chapters) {
                tag.chapters.push_back({titles.back(), 0, 0});
            }
            if (joined && options.copyCover && !tag.picture) {
                tag.picture = std::move(inputTags.picture);
            }
        }
    }
    // Counts a frame (or the bytes put in front) once written, and reports the progress.
    bool Written(bool succeeded, qint32 length) {
        if (!succeeded) {
            return Fail(output.Error());
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
        const mp3::StreamFormat format(header);
        if (++result.inputsJoined == 1) {
            firstInput = input;
            firstFormat = format;
        } else if (const QString mismatch = Mismatch(firstInput, firstFormat, input, format);
                   !mismatch.isEmpty()) {
            result.warnings << mismatch;
        }
    }

    const TessaroWorkSpace& workspace;
    JoinOutput output;
    mp3::JoinedStream stream;
    const QString outputPath;
    const qint64 total;
    MergeHost& host;
    const JoinOptions& options;
    JoinedTag tag;                // the typed values, the picture, the chapters joined so far
    qsizetype frontSize = 0;      // of the tag in front of the audio, as planned
    QByteArray back;              // the tag behind the audio
    std::vector<QString> titles;  // of every input, by its place in the workspace
    // Of every input joined: set when bytes it gave may have changed before they were written.
    std::vector<std::pair<QString, std::shared_ptr<const std::atomic<bool>>>> spoiled;
    QString firstInput;
    mp3::StreamFormat firstFormat;
    SeamMaker seams;
};

}  // namespace

qint64 GetTotalFileSize(const TessaroWorkSpace& workspace) {
    qint64 total = 0;
    for (const QString& path : workspace.Paths()) {
        total += GetFileSize64(path);
    }
    return total;
}

MergeResult RunMerge(const TessaroWorkSpace& workspace, const QString& outputPath, MergeHost& host,
                     const JoinOptions& options) {
    const qint64 total = GetTotalFileSize(workspace);
    host.MergeProgress(0, 100);
    MergeResult refused;
    refused.error = RefuseNames(workspace, outputPath, options);
    if (refused.error.isEmpty()) {
        refused.error = RefuseOutput(workspace, outputPath);
    }
    std::optional<mp3::Picture> cover;
    if (refused.error.isEmpty() && !options.coverFile.isEmpty()) {
        QString why;
        cover = mp3::ReadPictureFile(options.coverFile, &why);
        if (!cover) {
            refused.error = QStringLiteral("Cannot use %1 as the cover picture: %2")
                                .arg(Quoted(options.coverFile), why);
        }
    }
    if (!refused.error.isEmpty()) {
        return refused;
    }
    Join join(workspace, outputPath, total, host, options, std::move(cover));
    for (int i = 0; i < workspace.Paths().size(); ++i) {
        if (!join.CopyInput(i)) {
            return join.result;
        }
    }
    join.Finish();
    return join.result;
}

}  // namespace tessaro
