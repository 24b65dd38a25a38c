#include "merge/MergeJob.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include "io/Files.h"
#include "io/InputFile.h"
#include "merge/Chapters.h"
#include "merge/Conform.h"
#include "merge/JoinOutput.h"
#include "merge/JoinedTag.h"
#include "merge/Loudness.h"
#include "merge/SeamMaker.h"
#include "merge/SharedTag.h"
#include "mp3/AudioPart.h"
#include "mp3/InputTags.h"
#include "mp3/JoinedStream.h"
#include "mp3/LayerIII.h"
#include "mp3/PictureFile.h"
#include "mp3/StreamFormat.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"
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

// Names the figures in which an input's format differs from the first one's; empty when they
// agree. Many players keep the first frame's and play what follows wrongly.
QString Mismatch(const QString& firstPath, const mp3::StreamFormat& firstFormat,
                 const QString& path, const mp3::StreamFormat& format) {
    if (format == firstFormat) {
        return {};
    }
    const QString separator = QStringLiteral(", ");
    // LAME, which re-encodes, writes Layer III alone.
    const QString remedy =
        firstFormat.layer == mp3::FrameHeader::Layer3
            ? QStringLiteral(
                  ", unless inputs of another format are re-encoded to match the first "
                  "(tessaro-join --conform, or \"Re-encode inputs of another format to match the "
                  "first\" in the preferences)")
            : QString();
    return QStringLiteral(
               "%1 (%2) differs from the first input %3 (%4); many players play the joined "
               "file wrongly%5")
        .arg(Quoted(path), format.FiguresDifferingFrom(firstFormat).join(separator),
             Quoted(firstPath), firstFormat.FiguresDifferingFrom(format).join(separator), remedy);
}

// Of levelling and re-encoding: the decoding and encoding take far longer than the copy, so most
// of the bar is theirs.
constexpr double kPassShare = 0.9;

QString CannotRead(const QString& input, const QString& reason) {
    return QStringLiteral("Cannot read %1: %2").arg(Quoted(input), reason);
}

QString ChangedWhileRead(const QString& input) {
    return QStringLiteral("%1 was changed or removed while it was being read; join it again")
        .arg(Quoted(input));
}

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
    for (const QString& name :
         workspace.Paths() + QStringList{outputPath, options.coverFile, options.chapterFile}) {
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
    Join(const TessaroWorkSpace& workspace, const QString& outputPath, MergeHost& host,
         const JoinOptions& options, std::optional<mp3::Picture> cover)
        : workspace(workspace),
          output(outputPath),
          outputPath(outputPath),
          host(host),
          options(options),
          seams(options.seamless, false) {
        tag.picture = std::move(cover);
        OpenInputs();
        passTotal = options.level ? total : 0;
    }

    // Copies every frame of the input at `index`, or skips it with a warning; false when the
    // join fails.
    bool CopyInput(int index) {
        if (host.MergeCancelled()) {
            return Cancelled();
        }
        const QString& input = workspace.Paths()[index];
        QString openError;
        const std::shared_ptr<InputFile> file = OpenInput(index, &openError);
        mp3::StreamReader reader(file, input);
        if (!reader.ReadError().isEmpty()) {
            return Fail(CannotRead(input, reader.ReadError()));
        }
        // Opened when the join was planned, it may have changed since.
        if (file && reader.AtEnd() && reader.Changed()) {
            return Fail(ChangedWhileRead(input));
        }
        if (!file || reader.AtEnd()) {
            const QString reason = file ? QStringLiteral("no MPEG audio frames found") : openError;
            result.warnings << QStringLiteral("Skipped %1: %2").arg(Quoted(input), reason);
            return true;
        }
        if (!reader.UnconfirmedTag().isEmpty()) {
            result.warnings << QStringLiteral(
                                   "%1 ends in the footer of an %2 tag that is not where the "
                                   "footer says; what lies before it is read as audio")
                                   .arg(Quoted(input), reader.UnconfirmedTag());
        }
        const bool reencoded = !reencode.empty() && reencode[size_t(index)];
        CompareFormat(input,
                      reencoded ? formats[size_t(index)] : mp3::StreamFormat(reader.Header()),
                      reencoded);
        const int gain = steps.empty() ? 0 : steps[size_t(index)];
        const double framesStart = stream.Duration() + seams.KeptSeconds();
        if ((!output.IsOpen() && !Open()) ||
            !WriteViews(seams.StartInput(input, file, gain, reencoded, &result.warnings))) {
            return false;
        }
        const double audioStart = AudioStart(framesStart, reader);
        if (!titles.empty() && StartsChapter(titles[size_t(index)])) {
            StartChapter(titles[size_t(index)], audioStart);
        }
        for (; !reader.AtEnd(); reader.Advance()) {
            const bool first = reader.FrameIndex() == 0;
            const FrameView frame =
                Levelled({reader.Frame(), reader.FrameLength(), reader.Buffer()}, gain, first);
            const SeamMaker::Taken taken =
                seams.Take(frame.data, frame.length, frame.keeper, first);
            const FrameView& released = taken.released;
            if ((taken.writeNow && !WriteFrame(frame.data, frame.length, frame.keeper, first)) ||
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
    // Waits for a pass over the inputs, its progress counted on from `before`; false, the join
    // given up, when the host cancels meanwhile.
    template <typename Pass>
    bool Await(Pass& pass, qint64 before) {
        while (!pass.WaitFor(std::chrono::milliseconds(50))) {
            if (host.MergeCancelled()) {
                return Cancelled();
            }
            passDone = before + pass.BytesDone();
            ReportProgress();
        }
        return true;
    }
    // Measures every input and settles its gain, the warnings for inputs whose gain cannot
    // change as asked, and the joined file's ReplayGain values; false when the host cancels.
    bool Level() {
        std::vector<LoudnessInput> inputs;
        for (int i = 0; i < workspace.Paths().size(); ++i) {
            inputs.push_back({workspace.Paths()[i], planned[size_t(i)]});
        }
        LoudnessPass pass(std::move(inputs));
        if (!Await(pass, 0)) {
            return false;
        }
        passDone = total;
        for (int i = 0; i < workspace.Paths().size(); ++i) {
            steps.push_back(SettleGain(workspace.Paths()[i], pass.Results()[size_t(i)]));
            if (steps.back() != 0) {
                stream.GainChanged();
            }
        }
        const InputLoudness joined = JoinedLoudness(pass.Results(), steps);
        if (joined.measured) {
            tag.replayGain = {kReferenceLoudness - joined.lufs, joined.peak};
        }
        return true;
    }
    // Finds the inputs whose format differs from the first one's, to be encoded anew; false, the
    // join refused, when there are such and the first one is not of Layer III, the only layer
    // LAME encodes.
    bool PlanConform() {
        for (int i = 0; i < workspace.Paths().size(); ++i) {
            const mp3::StreamReader reader(Planned(i), workspace.Paths()[i]);
            formats.push_back(reader.AtEnd() ? mp3::StreamFormat()
                                             : mp3::StreamFormat(reader.Header()));
            reencode.push_back(!reader.AtEnd() && first >= 0 && formats.back() != formats[first]);
            passTotal += reencode.back() ? audioBytes[size_t(i)] : 0;
            first = first < 0 && !reader.AtEnd() ? i : first;
        }
        const bool any = std::find(reencode.begin(), reencode.end(), true) != reencode.end();
        if (any && formats[size_t(first)].layer != mp3::FrameHeader::Layer3) {
            result.error = QStringLiteral(
                               "Cannot re-encode inputs to match the first input %1: it is not "
                               "of Layer III, the only layer the encoder writes; nothing was "
                               "written.")
                               .arg(Quoted(workspace.Paths()[first]));
            return false;
        }
        seams = SeamMaker(options.seamless, any);
        return true;
    }
    // Encodes the inputs planned anew, each from its audio as levelling leaves it, and joins
    // those instead; false when the host cancels or an input cannot be encoded.
    bool Conform() {
        std::vector<ConformInput> inputs;
        std::vector<size_t> places;
        for (size_t i = 0; i < reencode.size(); ++i) {
            if (reencode[i]) {
                inputs.push_back({workspace.Paths()[qsizetype(i)], Planned(int(i)),
                                  steps.empty() ? 0 : GainDb(steps[i])});
                places.push_back(i);
            }
        }
        if (inputs.empty()) {
            return true;
        }
        ConformPass pass(std::move(inputs), TargetOf(Planned(first), workspace.Paths()[first]));
        if (!Await(pass, passDone)) {
            return false;
        }
        passDone = passTotal;
        for (size_t k = 0; k < places.size(); ++k) {
            const Conformed& conformed = pass.Results()[k];
            const size_t i = places[k];
            if (!conformed.file) {
                return Fail(QStringLiteral("Cannot re-encode %1: %2")
                                .arg(Quoted(workspace.Paths()[qsizetype(i)]), conformed.error));
            }
            total += mp3::AudioPartLength(conformed.file->Descriptor(), conformed.file->Size()) -
                     audioBytes[i];
            planned[i] = conformed.file;
            // Its new frames carry the gain already.
            if (!steps.empty()) {
                steps[i] = 0;
            }
        }
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
            // A chapter read from a file may start a little past the end that was planned,
            // where seams or re-encoding shortened the audio.
            tag.chapters.back().endMs = std::max(
                tag.chapters.back().startMs,
                Milliseconds(stream.Duration() + seams.KeptSeconds() - earlierTail - firstLead));
        }
        result.chapters = tag.chapters;
        // No more chapters than were planned, with the same titles: the tag fits its place,
        // unless an input that held no frame when planned gave some when joined.
        const QByteArray front = RenderJoinedTag(tag, frontSize).front;
        const double seconds = stream.Duration() + seams.KeptSeconds();
        if (front.size() != frontSize) {
            Fail(InputsChanged());
        } else if (!WriteViews(seams.Release()) || !output.FlushAudio() ||
                   !output.Commit(front, stream.HeaderFrame(output.Checksum()), back,
                                  [this] { return SpoiledInput(); })) {
            Fail(output.Error());
        } else {
            result.seconds = seconds;
            if (shown < 100) {
                // Frames a seam or re-encoding replaced are counted by what took their place.
                host.MergeProgress(100, 0);
            }
        }
    }

    // Takes the chapters from the chapter file, refused unless its times increase and each lies
    // before the end of the audio planned; false when it is refused.
    bool ImportChapters() {
        QString why;
        std::optional<std::vector<Chapter>> chapters =
            ReadChapterFile(options.chapterFile, PlannedEnd(), &why);
        if (!chapters) {
            result.error = QStringLiteral("Cannot use %1 as the chapters: %2; nothing was written.")
                               .arg(Quoted(options.chapterFile), why);
            return false;
        }
        tag.chapters = std::move(*chapters);
        return true;
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
        return quint32(std::clamp(std::llround(seconds * 1000), qint64(0), qint64(0xFFFFFFFE)));
    }
    // Where the audio of the input being joined starts in the timeline players show, which
    // begins behind the first input's encoder delay and the decoder's: behind its own encoder's
    // silence, or, where a seam joins it, right where the earlier input's audio ends. Its frames
    // would start at `framesStart`; `reader` stands at its first.
    double AudioStart(double framesStart, const mp3::StreamReader& reader) {
        SeamInput told;
        ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told);
        const double rate = reader.Header().GetSampleRate();
        const double lead = told.delay >= 0 ? double(told.delay + kDecoderDelay) / rate : 0;
        firstLead = firstLead < 0 ? lead : firstLead;
        const double start = seams.Seamed() ? framesStart - earlierTail : framesStart + lead;
        earlierTail = told.padding >= 0 ? double(told.padding - kDecoderDelay) / rate : 0;
        return start - firstLead;
    }

    // Makes the output once there is audio for it. The tag is known before the first byte is
    // written, but for the chapters' times, so it goes in without a second pass over the audio:
    // with a chapter for every input that holds a frame, its place is kept, and filled once the
    // times are known.
    bool Open() {
        if (host.QuerySaveID3Tag()) {
            tag.typed = workspace.Tag();
            tag.moreTyped = options.moreTag;
        }
        tag.id3v23 = options.id3v23;
        tag.name = QFileInfo(outputPath).completeBaseName();
        if ((options.chapters || options.copyCover || options.copyTags) && !PlanFromInputs()) {
            return Cancelled();
        }
        const TagBytes planned = RenderJoinedTag(tag);
        // Those of the inputs come as they are joined.
        if (options.chapterFile.isEmpty()) {
            tag.chapters.clear();
        }
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
    // Whether a joined input titled `title` starts a chapter of its own: each does, unless the
    // chapters go by title and the one before has the same, or come from a file.
    bool StartsChapter(const QString& title) const {
        return options.chapters && options.chapterFile.isEmpty() &&
               (!options.chaptersByTitle || tag.chapters.empty() ||
                tag.chapters.back().title != title);
    }
    // Ends the chapter before and starts the input's at `seconds`.
    void StartChapter(const QString& title, double seconds) {
        const quint32 now = Milliseconds(seconds);
        if (!tag.chapters.empty()) {
            tag.chapters.back().endMs = now;
        }
        tag.chapters.push_back({title, now, now});
    }
    // Opens every input and sums the bytes of their audio parts, which the progress counts.
    // Each is kept open from here to its copy, so that all who read it read the same file; as
    // many as the system lets the process hold, with room to spare.
    void OpenInputs() {
        const qint64 keepable = RaiseOpenFileLimit() / 2;
        for (const QString& path : workspace.Paths()) {
            QString ignored;  // the copy finds it again
            std::shared_ptr<InputFile> file = InputFile::Open(path, &ignored);
            audioBytes.push_back(file ? mp3::AudioPartLength(file->Descriptor(), file->Size()) : 0);
            total += audioBytes.back();
            planned.push_back(qint64(planned.size()) < keepable ? std::move(file) : nullptr);
        }
    }
    // Reads every input's title (as the chapters group them), the text frames those with frames
    // share, and the picture of the first one with frames that has one; false when the host
    // cancels the join meanwhile.
    bool PlanFromInputs() {
        std::vector<std::vector<mp3::TextFrame>> frames;
        for (int i = 0; i < workspace.Paths().size(); ++i) {
            if (host.MergeCancelled()) {
                return false;
            }
            const QString& path = workspace.Paths()[i];
            const std::shared_ptr<InputFile> file = Planned(i);
            const bool joined = file && !mp3::StreamReader(file, path).AtEnd();
            mp3::InputTags inputTags = file ? mp3::ReadInputTags(*file) : mp3::InputTags();
            const QString title =
                inputTags.title.isEmpty() ? QFileInfo(path).completeBaseName() : inputTags.title;
            titles.push_back(options.chaptersByTitle ? RunTitle(title) : title);
            if (joined && StartsChapter(titles.back())) {
                tag.chapters.push_back({titles.back(), 0, 0});
            }
            if (joined && options.copyTags) {
                frames.push_back(std::move(inputTags.frames));
            }
            if (joined && options.copyCover && !tag.picture) {
                tag.picture = std::move(inputTags.picture);
            }
        }
        if (options.copyTags) {
            tag.shared = SharedFrames(frames);
        }
        return true;
    }
    // Where the audio planned ends in the timeline players show, in milliseconds: what the
    // inputs' audio frames play, less the first one's encoder and decoder delay and the last
    // one's padding.
    quint32 PlannedEnd() {
        double seconds = 0, lead = -1, tail = 0;
        for (int i = 0; i < workspace.Paths().size(); ++i) {
            mp3::StreamReader reader(Planned(i), workspace.Paths()[i]);
            if (reader.AtEnd()) {
                continue;
            }
            SeamInput told;
            ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told);
            const double rate = reader.Header().GetSampleRate();
            lead = lead >= 0 ? lead : told.delay >= 0 ? (told.delay + kDecoderDelay) / rate : 0;
            tail = told.padding >= 0 ? (told.padding - kDecoderDelay) / rate : 0;
            for (; !reader.AtEnd(); reader.Advance()) {
                if (reader.FrameIndex() != 0 ||
                    !mp3::XingHeader::IsEncoderHeader(reader.Frame(), reader.FrameLength())) {
                    seconds += reader.Header().GetDuration();
                }
            }
        }
        return Milliseconds(seconds - std::max(lead, 0.0) - tail);
    }
    // The input at `index` as the plan opened it, or opened now; it stays planned.
    std::shared_ptr<InputFile> Planned(int index) {
        QString ignored;  // the copy says why it cannot be opened
        return planned[size_t(index)] ? planned[size_t(index)]
                                      : InputFile::Open(workspace.Paths()[index], &ignored);
    }
    // The input at `index` as the plan opened it, or opened now.
    std::shared_ptr<InputFile> OpenInput(int index, QString* error) {
        if (size_t(index) < planned.size() && planned[size_t(index)]) {
            return std::move(planned[size_t(index)]);
        }
        return InputFile::Open(workspace.Paths()[index], error);
    }
    // Counts a frame (or the bytes put in front) once written, and reports the progress.
    bool Written(bool succeeded, qint32 length) {
        if (!succeeded) {
            return Fail(output.Error());
        }
        result.written += length;
        ++result.frames;
        ReportProgress();
        return !host.MergeCancelled() || Cancelled();
    }
    // The part of the work done, decoding and encoding for the passes and writing the inputs'
    // audio, truncated toward zero; with nothing to do, all is done.
    void ReportProgress() {
        const double share = passTotal > 0 ? kPassShare : 0;
        const double done =
            (passTotal > 0 ? share * double(passDone) / double(passTotal) : 0) +
            (1 - share) * double(result.written) / double(std::max<qint64>(total, 1));
        const qint64 percent = total > 0 ? std::min<qint64>(100, qint64(done * 100.0)) : 100;
        shown = qint32(percent);
        host.MergeProgress(shown, 0);
    }
    // The gain steps an input gets, with a warning when they are fewer than it needs.
    int SettleGain(const QString& input, const InputLoudness& loudness) {
        bool heldBack = false;
        const int gain = GainSteps(loudness, *options.level, &heldBack);
        if (gain != 0 && !loudness.layerIII) {
            result.warnings << QStringLiteral(
                                   "%1 is not of Layer III, whose frames alone carry a gain: "
                                   "it keeps its own level")
                                   .arg(Quoted(input));
            return 0;
        }
        if (heldBack) {
            result.warnings << QStringLiteral(
                                   "%1 was made %2 dB louder only, as more would clip its peaks")
                                   .arg(Quoted(input))
                                   .arg(GainDb(gain), 0, 'f', 1);
        }
        return gain;
    }
    // The frame `gain` steps louder; an encoder's header frame and frames of other layers as they
    // are. Copies lie one behind the other in blocks of their own, so that the writer takes them
    // in runs, as it takes frames as read.
    FrameView Levelled(const FrameView& frame, int gain, bool firstOfFile) {
        mp3::FrameHeader header;
        if (gain == 0 || !header.ParseHeader(frame.data) ||
            header.layer != mp3::FrameHeader::Layer3 ||
            (firstOfFile && mp3::XingHeader::IsEncoderHeader(frame.data, frame.length))) {
            return frame;
        }
        if (!levelled || levelledUsed + size_t(frame.length) > levelled->size()) {
            levelled = std::make_shared<std::vector<quint8>>(kLevelledBlock);
            levelledUsed = 0;
        }
        quint8* copy = levelled->data() + levelledUsed;
        std::memcpy(copy, frame.data, size_t(frame.length));
        levelledUsed += size_t(frame.length);
        // A frame too short to hold the side information goes out as it is.
        static_cast<void>(mp3::AddGlobalGain(copy, frame.length, gain));
        return {copy, frame.length, levelled};
    }
    // Gives the output up as the host asked.
    bool Cancelled() {
        result.cancelled = true;
        return Fail(QStringLiteral("The merge was cancelled"));
    }
    // Warns when an input's format differs from the first one's, or says what its re-encoding
    // changed.
    void CompareFormat(const QString& input, const mp3::StreamFormat& format, bool reencoded) {
        const QString separator = QStringLiteral(", ");
        if (++result.inputsJoined == 1) {
            firstInput = input;
            firstFormat = format;
        } else if (reencoded) {
            result.warnings << QStringLiteral("re-encoded %1 (%2 to %3) to match the first input")
                                   .arg(Quoted(input),
                                        format.FiguresDifferingFrom(firstFormat).join(separator),
                                        firstFormat.FiguresDifferingFrom(format).join(separator));
        } else if (const QString mismatch = Mismatch(firstInput, firstFormat, input, format);
                   !mismatch.isEmpty()) {
            result.warnings << mismatch;
        }
    }

    const TessaroWorkSpace& workspace;
    JoinOutput output;
    mp3::JoinedStream stream;
    const QString outputPath;
    qint64 total = 0;                // bytes of the inputs' audio parts, as joined
    std::vector<qint64> audioBytes;  // of each input's audio part, by its place, as opened
    qint64 passTotal = 0;  // bytes the passes decode: every input to level, those to re-encode
    qint64 passDone = 0;
    qint32 shown = -1;  // percent last reported
    // Seconds of the first input's encoder and decoder delay, once known, and of the silence the
    // input joined last ends with.
    double firstLead = -1;
    double earlierTail = 0;
    // Of re-encoding, by each input's place: whether it is, and its format as it was; empty
    // when no input is. `first` is the place of the first input with frames.
    std::vector<bool> reencode;
    std::vector<mp3::StreamFormat> formats;
    int first = -1;
    std::vector<int> steps;  // of gain, by each input's place; empty when the levels stay
    static constexpr size_t kLevelledBlock = 1 << 20;
    std::shared_ptr<std::vector<quint8>> levelled;  // the block levelled frames are copied into
    size_t levelledUsed = 0;
    MergeHost& host;
    const JoinOptions& options;
    JoinedTag tag;                // the typed values, the picture, the chapters joined so far
    qsizetype frontSize = 0;      // of the tag in front of the audio, as planned
    QByteArray back;              // the tag behind the audio
    std::vector<QString> titles;  // of every input, by its place in the workspace
    // Inputs opened by the plan, by their place, until they are copied.
    std::vector<std::shared_ptr<InputFile>> planned;
    // Of every input joined: set when bytes it gave may have changed before they were written.
    std::vector<std::pair<QString, std::shared_ptr<const std::atomic<bool>>>> spoiled;
    QString firstInput;
    mp3::StreamFormat firstFormat;
    SeamMaker seams;
};

}  // namespace

MergeResult RunMerge(const TessaroWorkSpace& workspace, const QString& outputPath, MergeHost& host,
                     const JoinOptions& options) {
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
    Join join(workspace, outputPath, host, options, std::move(cover));
    if ((!options.chapterFile.isEmpty() && !join.ImportChapters()) ||
        (options.conform && !join.PlanConform()) || (options.level && !join.Level()) ||
        (options.conform && !join.Conform())) {
        return join.result;
    }
    for (int i = 0; i < workspace.Paths().size(); ++i) {
        if (!join.CopyInput(i)) {
            return join.result;
        }
    }
    join.Finish();
    return join.result;
}

}  // namespace tessaro
