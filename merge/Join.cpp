#include "merge/Join.h"

#include <QFileInfo>
#include <algorithm>

#include "chapters/Chapters.h"
#include "io/Files.h"
#include "io/InputFile.h"
#include "merge/Conform.h"
#include "merge/Loudness.h"
#include "mp3/InputPass.h"
#include "tags/Tags.h"

namespace tessaro {

Join::Join(const JoinRequest& request, MergeHost& host, std::optional<mp3::Picture> cover,
           JoinOutput::Bytes bytes)
    : request(request),
      outputPath(request.output),
      host(host),
      options(request.options),
      plan(request.inputs),
      output(outputPath, bytes),
      spill(outputPath),
      seams(options.seamless, false, options.gapSeconds) {
    tag.picture = std::move(cover);
    progress.AddPassBytes(options.level ? plan.Total() : 0);
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
    ++result.inputsJoined;
    formats.Compare(input, reencoded ? input.format : mp3::StreamFormat(reader.Header()),
                    &result.warnings);
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
    double gapSeconds = 0;
    if (!WriteViews(before) || !WriteGap(reader, own, &gapSeconds)) {
        return false;
    }
    result.starts.push_back(
        chapterClock.StartInput(index, input.title, framesStart + gapSeconds, reader, own, seams));
    const quint64 firstFrame = stream.AudioFrames();
    SeamInput told;  // what its header tells of its end, judged once its frames are read
    ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told);
    mp3::FormatWatch watch;  // of its frames as copied
    const PassEnd end = pass.Run([&](const mp3::StreamReader& frameOf) {
        watch.See(frameOf.Header());
        const bool first = frameOf.FrameIndex() == 0;
        if (gain == 0) {
            return CopyFrame(frameOf.Frame(), frameOf.FrameLength(), frameOf.Buffer(), first);
        }
        const FrameView frame = gainEdit.Levelled(
            {frameOf.Frame(), frameOf.FrameLength(), frameOf.Buffer()}, gain, first);
        return CopyFrame(frame.data, frame.length, frame.keeper, first);
    });
    // A write that fails as its input changes fails for the input.
    if (!end.failure.isEmpty()) {
        return Fail(end.failure);
    }
    if (!end.whole) {
        return false;
    }
    records.push_back({quint32(firstFrame), quint32(stream.AudioFrames() - firstFrame),
                       quint16(std::max(told.delay, 0)), quint16(std::max(told.padding, 0))});
    cutPadding = CutShortPadding(told, reader);
    if (const qint32 padding = own ? own->padding : cutPadding; padding >= 0) {
        stream.SetLastPadding(padding);
    }
    formats.CompareChange(input.path, watch.Change(), &result.warnings);
    return true;
}

void Join::Finish() {
    if (result.inputsJoined == 0) {
        result.error =
            QStringLiteral("None of the inputs holds an MPEG audio frame; %1 was not written.")
                .arg(Quoted(outputPath));
        return;
    }
    formats.Summarise(&result.warnings);
    const SeamMaker::Released last = seams.Release(&result.warnings);
    if (!WriteViews(last.frames)) {
        return;
    }
    if (last.padding >= 0) {
        stream.SetLastPadding(last.padding);
    }
    const double seconds = stream.Duration();
    chapterClock.End(seconds, last.padding >= 0 ? last.padding : cutPadding,
                     formats.First().sampleRate);
    result.chapters = tag.chapters;
    result.inputs = chapterClock.Inputs(request.inputs);
    // The chapters and records planned, with the same titles, unless an input that held no frame
    // when planned gave some when joined.
    if (!SetChapterTimes(rendered, tag.chapters) ||
        (tag.records && !SetJoinRecords(rendered, records))) {
        Fail(InputsChanged());
        return;
    }
    std::optional<StagedWrite> exported;
    if (!StageExport(exported)) {
        return;
    }
    if (!output.FlushAudio() ||
        !output.Commit(rendered.front, stream.HeaderFrame(output.Checksum()), rendered.back)) {
        Fail(output.Error());
        return;
    }
    result.seconds = seconds;
    result.formatsToConform = formats.ToConform();
    progress.Complete();
    // Only the rename is left to fail, the output already in place.
    if (const QString failure = exported ? exported->Commit() : QString(); !failure.isEmpty()) {
        result.error = QStringLiteral("%1 was written, but its chapters could not be put at %2: %3")
                           .arg(Quoted(outputPath), Quoted(request.chapterExport->path), failure);
    }
}

// Refuses chapters to export that their form cannot hold, as soon as their count is known.
bool Join::ExportHolds(size_t chapters) {
    const QString refusal =
        request.chapterExport ? TooManyChapters(chapters, request.chapterExport->form) : QString();
    return refusal.isEmpty() || FailExport(refusal);
}

// Writes the chapters to export, as their times now stand, beside their file; false, the join
// given up, for chapters their form cannot hold or a file that cannot be written.
bool Join::StageExport(std::optional<StagedWrite>& staged) {
    if (!request.chapterExport) {
        return true;
    }
    const ChapterExport& target = *request.chapterExport;
    QString failure;
    const std::optional<QByteArray> text = FormatChapters(
        tag.chapters, target.form,
        {QFileInfo(outputPath).fileName(), rendered.title, rendered.artist}, &failure);
    if (text) {
        failure = staged.emplace(target.path).Write(*text);
    }
    return failure.isEmpty() || FailExport(failure);
}

// Gives the join up for chapters that cannot be exported, `why`: the target is as it was unless
// it was written in place, which Fail() then tells.
bool Join::FailExport(const QString& why) {
    const QString untouched =
        output.Damage().isEmpty() ? QStringLiteral("; nothing was written.") : QString();
    return Fail(QStringLiteral("Cannot write the chapters to %1: %2%3")
                    .arg(Quoted(request.chapterExport->path), why, untouched));
}

// Gives the output up: no temporary file stays, the target is as it was.
bool Join::Fail(const QString& error) {
    output.Cancel();
    result.error = error + output.Damage();
    return false;
}

// Makes the output once there is audio for it. The tag is known before the first byte is
// written, but for the chapters' times, so it goes in without a second pass over the audio:
// with a chapter for every input that holds a frame, its place is kept, and filled once the
// times are known.
bool Join::Open() {
    if (request.writeTag) {
        tag.typed = request.tag;
        tag.moreTyped = options.moreTag;
    }
    tag.id3v23 = options.id3v23;
    tag.name = FileTitle(outputPath);
    // Seams put frames of their own in place of inputs' last and first ones, and re-encoding in
    // place of all an input's: those inputs could not be given back as they came.
    if (!options.seamless &&
        std::none_of(plan.inputs.begin(), plan.inputs.end(),
                     [](const PlannedInput& input) { return input.reencode; })) {
        tag.records.emplace(plan.JoinedCount());
    }
    // Those placed were counted as they were planned.
    if (!PlanFromInputs() || (!ChaptersPlaced(options) && !ExportHolds(tag.chapters.size()))) {
        return false;
    }
    rendered = RenderJoinedTag(tag);
    if (rendered.records.empty()) {
        tag.records.reset();  // no tag to hold them
    }
    result.title = rendered.title;
    result.artist = rendered.artist;
    // Those of the inputs come as they are joined.
    if (!ChaptersPlaced(options)) {
        tag.chapters.clear();
    }
    if (const QString tooLarge = TagTooLarge(rendered.front.size()); !tooLarge.isEmpty()) {
        result.error = QStringLiteral("Cannot write %1: %2.").arg(Quoted(outputPath), tooLarge);
        return false;
    }
    if (!output.Open(rendered.front)) {
        result.error = output.Error();
        return false;
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

// Writes the silence between the input joined last and the one `reader` stands at the start of,
// where no seam holds it, and puts in *seconds what it plays; false once the join has failed.
bool Join::WriteGap(const mp3::StreamReader& reader, const std::optional<EncoderSilence>& own,
                    double* seconds) {
    if (result.inputsJoined == 1) {
        gap.SetFormat(reader.Header());
    }
    if (!gap.On() || result.inputsJoined == 1 || seams.Seamed()) {
        return true;
    }
    QString failure;
    const std::vector<FrameView> frames =
        gap.Between(chapterClock.HeardSilence(reader, own), &failure);
    if (!failure.isEmpty()) {
        return Fail(failure);
    }
    const double before = stream.Duration();
    if (!WriteViews(frames)) {
        return false;
    }
    *seconds = stream.Duration() - before;
    return true;
}

// Writes frames the seams kept back or made, none an input's first.
bool Join::WriteViews(const std::vector<FrameView>& frames) {
    return std::all_of(frames.begin(), frames.end(), [this](const FrameView& frame) {
        return WriteFrame(frame.data, frame.length, frame.keeper, false);
    });
}

// Counts a frame (or the bytes put in front) once written, and reports the progress.
bool Join::Written(bool succeeded, qint32 length) {
    if (!succeeded) {
        return Fail(output.Error());
    }
    result.written += length;
    ++result.frames;
    progress.Written(result.written);
    return !host.MergeCancelled() || Cancelled();
}

// Gives the output up as the host asked.
bool Join::Cancelled() {
    result.cancelled = true;
    return Fail(QStringLiteral("The merge was cancelled"));
}

}  // namespace tessaro
