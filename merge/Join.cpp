#include "merge/Join.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "io/Files.h"
#include "io/InputFile.h"
#include "merge/Chapters.h"
#include "merge/Conform.h"
#include "merge/InputPass.h"
#include "merge/Loudness.h"
#include "merge/SharedTag.h"
#include "mp3/LayerIII.h"
#include "mp3/XingHeader.h"
#include "workspace/TessaroWorkSpace.h"

namespace tessaro {
namespace {

// Of levelling and re-encoding: the decoding and encoding take far longer than the copy, so most
// of the bar is theirs.
constexpr double kPassShare = 0.9;

// What keeps the joined file to one format, where re-encoding can: LAME writes Layer III alone.
QString Remedy(const mp3::StreamFormat& firstFormat) {
    return firstFormat.layer == mp3::FrameHeader::Layer3
               ? QStringLiteral(
                     ", unless inputs of another format are re-encoded to match the first "
                     "(tessaro-join --conform, or \"Re-encode inputs of another format to match "
                     "the first\" in the preferences)")
               : QString();
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
               "file wrongly%5")
        .arg(Quoted(path), format.FiguresDifferingFrom(firstFormat).join(separator),
             Quoted(firstPath), firstFormat.FiguresDifferingFrom(format).join(separator),
             Remedy(firstFormat));
}

// "changes format 12.3 s in (44100 Hz, 2 channels to 22050 Hz, 1 channel)"
QString ChangeOf(const mp3::FormatChange& change) {
    const QString separator = QStringLiteral(", ");
    return QStringLiteral("changes format %1 s in (%2 to %3)")
        .arg(change.seconds, 0, 'f', 1)
        .arg(change.from.FiguresDifferingFrom(change.to).join(separator),
             change.to.FiguresDifferingFrom(change.from).join(separator));
}

quint32 Milliseconds(double seconds) {
    return quint32(std::clamp(std::llround(seconds * 1000), qint64(0), qint64(0xFFFFFFFE)));
}

}  // namespace

Join::Join(const TessaroWorkSpace& workspace, const QString& outputPath, MergeHost& host,
           const JoinOptions& options, std::optional<mp3::Picture> cover)
    : workspace(workspace),
      outputPath(outputPath),
      host(host),
      options(options),
      plan(workspace.Paths()),
      output(outputPath),
      spill(outputPath),
      seams(options.seamless, false) {
    tag.picture = std::move(cover);
    passTotal = options.level ? plan.Total() : 0;
}

bool Join::Plan() {
    if (!plan.Failure().isEmpty()) {
        return Fail(plan.Failure());
    }
    // Re-encoding judges every frame's format; a chapter file is checked against the end.
    const bool everyFrame = options.conform || !options.chapterFile.isEmpty();
    if (everyFrame || options.chapters || options.copyCover || options.copyTags) {
        QString failure;
        if (!plan.Look(
                everyFrame, [this] { return host.MergeCancelled(); }, &failure)) {
            return failure.isEmpty() ? Cancelled() : Fail(failure);
        }
    }
    if (options.chapterFile.isEmpty()) {
        return true;
    }
    QString why;
    std::optional<std::vector<Chapter>> chapters =
        ReadChapterFile(options.chapterFile, Milliseconds(plan.PlannedEnd()), &why);
    if (!chapters) {
        result.error = QStringLiteral("Cannot use %1 as the chapters: %2; nothing was written.")
                           .arg(Quoted(options.chapterFile), why);
        return false;
    }
    tag.chapters = std::move(*chapters);
    return true;
}

bool Join::PlanConform() {
    const bool any = plan.PlanReencoding();
    const int first = plan.First();
    if (any && plan.inputs[size_t(first)].format.layer != mp3::FrameHeader::Layer3) {
        result.error = QStringLiteral(
                           "Cannot re-encode inputs to match the first input %1: it is not of "
                           "Layer III, the only layer the encoder writes; nothing was written.")
                           .arg(Quoted(plan.inputs[size_t(first)].path));
        return false;
    }
    for (const PlannedInput& input : plan.inputs) {
        passTotal += input.reencode ? input.audioBytes : 0;
    }
    seams = SeamMaker(options.seamless, any);
    return true;
}

// Waits for a pass over the inputs, its progress counted on from `before`; false, the join given
// up, when the host cancels meanwhile.
template <typename Pass>
bool Join::Await(Pass& pass, qint64 before) {
    while (!pass.WaitFor(std::chrono::milliseconds(50))) {
        if (host.MergeCancelled()) {
            return Cancelled();
        }
        passDone = before + pass.BytesDone();
        ReportProgress();
    }
    return true;
}

bool Join::Level() {
    // A re-encoded input is heard in the first input's channels, mixed as its encoding mixes.
    const int first = plan.First();
    const int channels = first >= 0 ? plan.inputs[size_t(first)].format.channels : 0;
    std::vector<LoudnessInput> inputs;
    for (const PlannedInput& input : plan.inputs) {
        inputs.push_back({input.path, input.file, input.reencode ? channels : 0});
    }
    LoudnessPass pass(std::move(inputs));
    if (!Await(pass, 0)) {
        return false;
    }
    passDone = plan.Total();
    ReportProgress();
    std::vector<int> steps;
    for (size_t i = 0; i < plan.inputs.size(); ++i) {
        const InputLoudness& loudness = pass.Results()[i];
        if (!loudness.failure.isEmpty()) {
            return Fail(loudness.failure);
        }
        plan.inputs[i].gainSteps = SettleGain(plan.inputs[i], loudness);
        steps.push_back(plan.inputs[i].gainSteps);
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

bool Join::Conform() {
    std::vector<ConformInput> inputs;
    std::vector<size_t> places;
    for (size_t i = 0; i < plan.inputs.size(); ++i) {
        const PlannedInput& input = plan.inputs[i];
        if (input.reencode) {
            inputs.push_back({input.path, input.file, GainDb(input.gainSteps)});
            places.push_back(i);
        }
    }
    if (inputs.empty()) {
        return true;
    }
    const PlannedInput& first = plan.inputs[size_t(plan.First())];
    QString failure;
    const ConformTarget target = TargetOf(first.file, first.path, &failure);
    if (!failure.isEmpty()) {
        return Fail(failure);
    }
    ConformPass pass(std::move(inputs), target, spill);
    if (!Await(pass, passDone)) {
        return false;
    }
    passDone = passTotal;
    for (size_t k = 0; k < places.size(); ++k) {
        const Conformed& conformed = pass.Results()[k];
        if (!conformed.file) {
            return Fail(conformed.error);
        }
        if (!conformed.warning.isEmpty()) {
            result.warnings << conformed.warning;
        }
        plan.Replace(places[k], conformed.file, conformed.silence);
    }
    // Of the audio as it is now to be copied.
    ReportProgress();
    return true;
}

bool Join::CopyInput(size_t index) {
    if (host.MergeCancelled()) {
        return Cancelled();
    }
    PlannedInput& input = plan.inputs[index];
    const bool reencoded = input.encoded != nullptr;
    const std::optional<EncoderSilence> own =
        reencoded ? std::optional(input.encodedSilence) : std::nullopt;
    // Taken from the plan, so that each input is closed once its frames are written.
    InputPass pass(reencoded ? std::move(input.encoded) : std::move(input.file), input.path);
    const mp3::StreamReader& reader = pass.Reader();
    if (reader.AtEnd()) {
        // Opened when the join was planned, it may have changed since.
        if (const PassEnd end = pass.Start(); !end.failure.isEmpty()) {
            return Fail(end.failure);
        }
        const QString reason =
            pass.File() ? QStringLiteral("no MPEG audio frames found") : pass.OpenError();
        result.warnings << QStringLiteral("Skipped %1: %2").arg(Quoted(input.path), reason);
        return true;
    }
    if (!reader.UnconfirmedTag().isEmpty()) {
        result.warnings << QStringLiteral(
                               "%1 ends in the footer of an %2 tag that is not where the footer "
                               "says; what lies before it is read as audio")
                               .arg(Quoted(input.path), reader.UnconfirmedTag());
    }
    CompareFormat(input, reencoded ? input.format : mp3::StreamFormat(reader.Header()));
    // A re-encoded input's frames carry its gain already.
    const int gain = reencoded ? 0 : input.gainSteps;
    const double framesStart = stream.Duration() + seams.KeptSeconds();
    if (!output.IsOpen() && !Open()) {
        return false;
    }
    QString failure;
    const std::vector<FrameView> before =
        seams.StartInput(input.path, pass.File(), gain, own, &result.warnings, &failure);
    if (!failure.isEmpty()) {
        return Fail(failure);
    }
    if (!WriteViews(before)) {
        return false;
    }
    const double audioStart = AudioStart(framesStart, reader, own);
    if (StartsChapter(input.title)) {
        StartChapter(input.title, audioStart);
    }
    mp3::FormatWatch watch;  // of its frames as copied
    const PassEnd end = pass.Run([&](const mp3::StreamReader& frameOf) {
        watch.See(frameOf.Header());
        const bool first = frameOf.FrameIndex() == 0;
        if (gain == 0) {
            return CopyFrame(frameOf.Frame(), frameOf.FrameLength(), frameOf.Buffer(), first);
        }
        const FrameView frame =
            Levelled({frameOf.Frame(), frameOf.FrameLength(), frameOf.Buffer()}, gain, first);
        return CopyFrame(frame.data, frame.length, frame.keeper, first);
    });
    // A write that fails as its input changes fails for the input.
    if (!end.failure.isEmpty()) {
        return Fail(end.failure);
    }
    if (!end.whole) {
        return false;
    }
    if (own) {
        stream.SetLastPadding(own->padding);
    }
    // Where its first frames differ from the first input's, it has been warned of already.
    if (watch.Change() && watch.Change()->from == firstFormat) {
        result.warnings << QStringLiteral("%1 %2; many players play the joined file wrongly%3")
                               .arg(Quoted(input.path), ChangeOf(*watch.Change()),
                                    Remedy(firstFormat));
    }
    return true;
}

void Join::Finish() {
    if (result.inputsJoined == 0) {
        result.error =
            QStringLiteral("None of the inputs holds an MPEG audio frame; %1 was not written.")
                .arg(Quoted(outputPath));
        return;
    }
    const SeamMaker::Released last = seams.Release(&result.warnings);
    if (!WriteViews(last.frames)) {
        return;
    }
    if (last.padding >= 0) {
        stream.SetLastPadding(last.padding);
        earlierTail = TailSeconds(last.padding, firstFormat.sampleRate);
    }
    const double seconds = stream.Duration();
    if (!tag.chapters.empty()) {
        // A chapter read from a file may start a little past the end that was planned, where
        // seams or re-encoding shortened the audio.
        tag.chapters.back().endMs =
            std::max(tag.chapters.back().startMs, Milliseconds(seconds - earlierTail - firstLead));
    }
    result.chapters = tag.chapters;
    // No more chapters than were planned, with the same titles: the tag fits its place, unless
    // an input that held no frame when planned gave some when joined.
    const QByteArray front = RenderJoinedTag(tag, frontSize).front;
    if (front.size() != frontSize) {
        Fail(InputsChanged());
    } else if (!output.FlushAudio() ||
               !output.Commit(front, stream.HeaderFrame(output.Checksum()), back)) {
        Fail(output.Error());
    } else {
        result.seconds = seconds;
        if (shown < 100) {
            // Frames a seam or re-encoding replaced are counted by what took their place.
            host.MergeProgress(100, 0);
        }
    }
}

// Gives the output up: no temporary file stays, the target is as it was.
bool Join::Fail(const QString& error) {
    output.Cancel();
    result.error = error + output.Damage();
    return false;
}

// Where the audio of the input being joined starts in the timeline players show, which
// begins behind the first input's encoder delay and the decoder's: behind its own encoder's
// silence, or, where a seam joins it, where the earlier input's audio ends, less the seam's
// shift. Its frames
// would start at `framesStart`; `reader` stands at its first. The silence the join's own encoding
// put around it is known, whether or not its frames have room to tell it.
double Join::AudioStart(double framesStart, const mp3::StreamReader& reader,
                        const std::optional<EncoderSilence>& own) {
    SeamInput told;
    if (own) {
        told.delay = own->delay;
        told.padding = own->padding;
    } else {
        ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told);
    }
    const double rate = reader.Header().GetSampleRate();
    const double lead = LeadSeconds(told.delay, rate);
    firstLead = firstLead < 0 ? lead : firstLead;
    const double start =
        seams.Seamed() ? framesStart - earlierTail - seams.Shift() / rate : framesStart + lead;
    // Taken in whole by the next seam, its frames are still counted, its silence not.
    earlierTail = seams.Absorbing() ? earlierTail + double(told.delay + told.padding) / rate
                                    : TailSeconds(told.padding, rate);
    return start - firstLead;
}

// Makes the output once there is audio for it. The tag is known before the first byte is
// written, but for the chapters' times, so it goes in without a second pass over the audio:
// with a chapter for every input that holds a frame, its place is kept, and filled once the
// times are known.
bool Join::Open() {
    if (host.QuerySaveID3Tag()) {
        tag.typed = workspace.Tag();
        tag.moreTyped = options.moreTag;
    }
    tag.id3v23 = options.id3v23;
    tag.name = QFileInfo(outputPath).completeBaseName();
    if (!PlanFromInputs()) {
        return false;
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

// Titles each input's chapter as its own tag does, and takes the text frames the inputs with
// frames share and the picture of the first of them that has one, as the options ask; false, the
// join given up, when the host cancels it meanwhile or a tag cannot be read.
bool Join::PlanFromInputs() {
    if (!options.chapters && !options.copyCover && !options.copyTags) {
        return true;
    }
    QString failure;
    std::optional<std::vector<mp3::InputTags>> tags = plan.ReadTags(
        options.chaptersByTitle, [this] { return host.MergeCancelled(); }, &failure);
    if (!tags) {
        return failure.isEmpty() ? Cancelled() : Fail(failure);
    }
    std::vector<std::vector<mp3::TextFrame>> frames;
    for (size_t i = 0; i < plan.inputs.size(); ++i) {
        const PlannedInput& input = plan.inputs[i];
        if (!input.hasFrames) {
            continue;
        }
        if (StartsChapter(input.title)) {
            tag.chapters.push_back({input.title, 0, 0});
        }
        if (options.copyTags) {
            frames.push_back(std::move((*tags)[i].frames));
        }
        if (options.copyCover && !tag.picture) {
            tag.picture = std::move((*tags)[i].picture);
        }
    }
    if (options.copyTags) {
        tag.shared = SharedFrames(frames);
    }
    return true;
}

// Hands a frame of an input, as joined, to the seams, and writes what they let go.
bool Join::CopyFrame(const quint8* frame, qint32 length, const std::shared_ptr<const void>& keeper,
                     bool firstOfFile) {
    const SeamMaker::Taken taken = seams.Take(frame, length, keeper, firstOfFile);
    const FrameView& released = taken.released;
    return (!taken.writeNow || WriteFrame(frame, length, keeper, firstOfFile)) &&
           (!released.data || WriteFrame(released.data, released.length, released.keeper, false));
}

// Writes a frame of an input: `keeper` keeps its bytes until written.
bool Join::WriteFrame(const quint8* frame, qint32 length, const std::shared_ptr<const void>& keeper,
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
bool Join::WriteViews(const std::vector<FrameView>& frames) {
    return std::all_of(frames.begin(), frames.end(), [this](const FrameView& frame) {
        return WriteFrame(frame.data, frame.length, frame.keeper, false);
    });
}

// Whether a joined input titled `title` starts a chapter of its own: each does, unless the
// chapters go by title and the one before has the same, or come from a file.
bool Join::StartsChapter(const QString& title) const {
    return options.chapters && options.chapterFile.isEmpty() &&
           (!options.chaptersByTitle || tag.chapters.empty() || tag.chapters.back().title != title);
}

// Ends the chapter before and starts the input's at `seconds`.
void Join::StartChapter(const QString& title, double seconds) {
    const quint32 now = Milliseconds(seconds);
    if (!tag.chapters.empty()) {
        tag.chapters.back().endMs = now;
    }
    tag.chapters.push_back({title, now, now});
}

// Counts a frame (or the bytes put in front) once written, and reports the progress.
bool Join::Written(bool succeeded, qint32 length) {
    if (!succeeded) {
        return Fail(output.Error());
    }
    result.written += length;
    ++result.frames;
    if (result.written >= nextReport) {
        ReportProgress();
    }
    return !host.MergeCancelled() || Cancelled();
}

// Reports the part of the work done, decoding and encoding for the passes and writing the
// inputs' audio, truncated toward zero (with nothing to do, all is done), when it changed; and
// how many bytes must be written before it can change again, so that no frame before asks.
void Join::ReportProgress() {
    const double total = double(std::max<qint64>(plan.Total(), 1));
    const double passShare = passTotal > 0 ? kPassShare : 0;
    const double passes = passTotal > 0 ? passShare * double(passDone) / double(passTotal) : 0;
    const double done = passes + (1 - passShare) * double(result.written) / total;
    const qint32 percent =
        plan.Total() > 0 ? qint32(std::min<qint64>(100, qint64(done * 100.0))) : 100;
    if (percent != shown) {
        shown = percent;
        host.MergeProgress(shown, 0);
    }
    const double due = ((shown + 1) / 100.0 - passes) / (1 - passShare) * total;
    nextReport = std::max(result.written + 1, qint64(std::min(due, 0x1p62)));
}

// The gain steps an input gets, with a warning when they are fewer than it needs.
int Join::SettleGain(const PlannedInput& planned, const InputLoudness& loudness) {
    const QString& input = planned.path;
    bool heldBack = false;
    const int gain = GainSteps(loudness, options.levelTarget, &heldBack);
    // A re-encoded input, of whatever layer, takes its gain in its encoding.
    if (gain != 0 && !loudness.layerIII && !planned.reencode) {
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
FrameView Join::Levelled(const FrameView& frame, int gain, bool firstOfFile) {
    mp3::FrameHeader header;
    if (gain == 0 || !header.ParseHeader(frame.data) || header.layer != mp3::FrameHeader::Layer3 ||
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
bool Join::Cancelled() {
    result.cancelled = true;
    return Fail(QStringLiteral("The merge was cancelled"));
}

// Warns when an input's format differs from the first one's, or says what its re-encoding changed;
// `format` is that of its first frame as joined.
void Join::CompareFormat(const PlannedInput& input, const mp3::StreamFormat& format) {
    const QString separator = QStringLiteral(", ");
    const bool reencoded = input.reencode;
    if (++result.inputsJoined == 1) {
        firstInput = input.path;
        firstFormat = format;
    }
    if (reencoded && format != firstFormat) {
        result.warnings << QStringLiteral("re-encoded %1 (%2 to %3) to match the first input")
                               .arg(Quoted(input.path),
                                    format.FiguresDifferingFrom(firstFormat).join(separator),
                                    firstFormat.FiguresDifferingFrom(format).join(separator));
    } else if (reencoded && input.change) {
        result.warnings << QStringLiteral("re-encoded %1, which %2, to keep one format throughout")
                               .arg(Quoted(input.path), ChangeOf(*input.change));
    } else if (const QString mismatch = Mismatch(firstInput, firstFormat, input.path, format);
               !mismatch.isEmpty()) {
        result.warnings << mismatch;
    }
}

}  // namespace tessaro
