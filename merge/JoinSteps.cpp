#include "merge/Join.h"

#include <algorithm>

#include "chapters/Chapters.h"
#include "io/Files.h"
#include "merge/Conform.h"
#include "merge/Loudness.h"
#include "merge/Silence.h"
#include "tags/Tags.h"

// The join's steps before the copy: its plan, and the passes that measure and re-encode inputs.

namespace tessaro {
namespace {

// The bar of a join as one input of `bytes` is searched for silence, which the search reports in
// percent of the input, from where the passes stand at `before`.
class SearchProgress : public MergeHost {
public:
    SearchProgress(MergeHost& host, JoinProgress& progress, qint64 before, qint64 bytes)
        : host(host), progress(progress), before(before), bytes(bytes) {}

    void MergeProgress(qint32 position, qint32) override {
        progress.Report(before + bytes * position / 100, 0);
    }
    bool MergeCancelled() override { return host.MergeCancelled(); }

private:
    MergeHost& host;
    JoinProgress& progress;
    const qint64 before;
    const qint64 bytes;
};

}  // namespace

bool Join::Plan() {
    if (!plan.Failure().isEmpty()) {
        return Fail(plan.Failure());
    }
    // Re-encoding judges every frame's format; a chapter file is checked against the end. The
    // first frames at least tell which inputs join, each to be recorded.
    const bool everyFrame = options.conform || !options.chapterFile.isEmpty();
    QString failure;
    if (!plan.Look(
            everyFrame, [this] { return host.MergeCancelled(); }, &failure)) {
        return failure.isEmpty() ? Cancelled() : Fail(failure);
    }
    if (!PlanGap()) {
        return false;
    }
    // Without a file, those placed are the silences'.
    if (options.chapterFile.isEmpty()) {
        return !ChaptersPlaced(options) || PlanSilences();
    }
    QString why;
    std::optional<FileChapters> read =
        ReadChapterFile(options.chapterFile, options.chapterForm,
                        {Milliseconds(plannedEnd), plan.Timeline(options.gapSeconds)}, &why);
    if (!read) {
        result.error = QStringLiteral("Cannot use %1 as the chapters: %2; nothing was written.")
                           .arg(Quoted(options.chapterFile), why);
        return false;
    }
    tag.chapters = std::move(read->chapters);
    const QStringList& titles = options.chapterTitles;
    for (size_t i = 0; i < tag.chapters.size() && i < size_t(titles.size()); ++i) {
        if (!titles[qsizetype(i)].isEmpty()) {
            tag.chapters[i].title = titles[qsizetype(i)];
        }
    }
    CountChapters(std::move(read->offsets));
    return ExportHolds(tag.chapters.size());
}

// Has the chapters placed before the join start where the inputs `offsets` name turn out to
// start, plus their offsets; one timed from the very start of an input starts at it.
void Join::CountChapters(std::vector<InputOffset> offsets) {
    for (const InputOffset& offset : offsets) {
        tag.chapterRecords.push_back(offset.offsetMs == 0 ? plan.JoinedPlace(offset.input)
                                                          : std::nullopt);
    }
    chapterClock.CountFrom(std::move(offsets));
}

// Refuses silence between the inputs unless the first is of Layer III, the only layer the
// encoder writes, and reckons the end with it.
bool Join::PlanGap() {
    const int first = plan.First();
    const size_t joined = plan.JoinedCount();
    plannedEnd = plan.PlannedEnd() + (joined > 1 ? double(joined - 1) * options.gapSeconds : 0);
    if (!gap.On() || first < 0 ||
        plan.inputs[size_t(first)].format.layer == mp3::FrameHeader::Layer3) {
        return true;
    }
    result.error = QStringLiteral(
                       "Cannot put silence between the inputs: the first input %1 is not of "
                       "Layer III, the only layer the encoder writes; nothing was written.")
                       .arg(Quoted(plan.inputs[size_t(first)].path));
    return false;
}

// Plans a chapter where the audio starts and one in the middle of each silence of each input
// with frames, numbered, searched input by input as the bar shows; false, the join given up, for
// an input that cannot be decoded, or when the host cancels meanwhile.
bool Join::PlanSilences() {
    std::vector<InputOffset> offsets;
    qint64 searched = progress.PassBytesDone();
    progress.AddPassBytes(plan.Total());
    for (size_t i = 0; i < plan.inputs.size(); searched += plan.inputs[i++].audioBytes) {
        const PlannedInput& input = plan.inputs[i];
        if (!input.hasFrames) {
            continue;
        }
        if (offsets.empty()) {
            offsets.push_back({i, 0});
        }
        SearchProgress searching(host, progress, searched, input.audioBytes);
        QString failure;
        const std::optional<std::vector<qint64>> middles =
            SilenceMiddles(input.path, *options.chapterSilence, searching, &failure);
        if (!middles) {
            return host.MergeCancelled() ? Cancelled() : Fail(failure);
        }
        for (const qint64 middle : *middles) {
            offsets.push_back({i, Milliseconds(double(middle) / input.format.sampleRate)});
        }
    }
    progress.Report(searched, 0);
    for (size_t c = 0; c < offsets.size(); ++c) {
        tag.chapters.push_back({QStringLiteral("Chapter %1").arg(c + 1)});
    }
    CountChapters(std::move(offsets));
    return ExportHolds(tag.chapters.size());
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
        progress.AddPassBytes(input.reencode ? input.audioBytes : 0);
    }
    seams = SeamMaker(options.seamless, any, options.gapSeconds);
    return true;
}

// Waits for a pass over the inputs, its progress counted on from `before`; false, the pass
// cancelled and the join given up, when the host cancels meanwhile.
bool Join::Await(Pass& pass, qint64 before) {
    while (!pass.WaitFor(std::chrono::milliseconds(50))) {
        if (host.MergeCancelled()) {
            pass.Cancel();
            return Cancelled();
        }
        progress.Report(before + pass.BytesDone(), result.written);
    }
    return true;
}

bool Join::Level() {
    LoudnessPass pass(LoudnessInputs(plan.inputs));
    const qint64 before = progress.PassBytesDone();
    if (!Await(pass, before)) {
        return false;
    }
    progress.Report(before + plan.Total(), result.written);
    for (const InputLoudness& loudness : pass.Results()) {
        if (!loudness.failure.isEmpty()) {
            return Fail(loudness.failure);
        }
    }
    const std::vector<int> steps =
        GainEdit::Settle(plan.inputs, pass.Results(), options, &result.warnings);
    for (size_t i = 0; i < plan.inputs.size(); ++i) {
        plan.inputs[i].gainSteps = steps[i];
        if (steps[i] != 0) {
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
    if (!Await(pass, progress.PassBytesDone())) {
        return false;
    }
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
    progress.Report(progress.PassBytes(), result.written);
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
    std::vector<TaggedInput> tagged;
    for (size_t i = 0; i < plan.inputs.size(); ++i) {
        const PlannedInput& input = plan.inputs[i];
        if (!input.hasFrames) {
            continue;
        }
        if (chapterClock.Plan(i, input.title)) {
            tag.chapterRecords.push_back(plan.JoinedPlace(i));
        }
        for (const mp3::OversizedFrame& frame : (*tags)[i].oversized) {
            if (options.copyTags || options.chapters) {
                result.warnings << LeftOut(input.path, frame);
            }
        }
        if (options.copyTags) {
            tagged.push_back({input.path, std::move((*tags)[i].frames)});
        }
        if (options.copyCover && !tag.picture) {
            tag.picture = std::move((*tags)[i].picture);
        }
    }
    if (options.copyTags) {
        CopiedFrames copied = CopyFrames(tagged, options.copyTagsFirst);
        tag.shared = std::move(copied.frames);
        result.warnings << copied.disagreements;
    }
    return true;
}

}  // namespace tessaro
