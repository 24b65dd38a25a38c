#include "merge/JoinPlan.h"

#include <algorithm>
#include <functional>

#include "chapters/Chapters.h"
#include "io/Files.h"
#include "io/InputFile.h"
#include "merge/ChapterClock.h"
#include "mp3/AudioPart.h"
#include "mp3/InputPass.h"
#include "seam/Seam.h"

namespace tessaro {
namespace {

bool HoldsFrames(const PlannedInput& input) {
    return input.hasFrames;
}

}  // namespace

// Each input is kept open from here to its copy, so that all who read it read the same file; as
// many as the system lets the process hold, with room to spare.
JoinPlan::JoinPlan(const QStringList& paths) {
    const qint64 keepable = RaiseOpenFileLimit() / 2;
    for (const QString& path : paths) {
        PlannedInput input;
        input.path = path;
        QString ignored, error;  // the copy finds it again
        std::shared_ptr<InputFile> file = InputFile::Open(path, &ignored);
        input.audioBytes =
            file ? mp3::AudioPartLength(file->Descriptor(), file->Size(), &error) : 0;
        if (!error.isEmpty() && failure.isEmpty()) {
            failure = CannotRead(path, error);
        }
        total += input.audioBytes;
        input.file = qint64(inputs.size()) < keepable ? std::move(file) : nullptr;
        inputs.push_back(std::move(input));
    }
}

bool JoinPlan::Look(bool everyFrame, const std::function<bool()>& cancelled, QString* failure) {
    double seconds = 0;
    for (PlannedInput& input : inputs) {
        InputPass pass(
            input.file, input.path,
            everyFrame ? mp3::StreamReader::Reach::Whole : mp3::StreamReader::Reach::FirstFrames);
        mp3::FormatWatch watch;
        input.hasFrames = false;
        input.seconds = 0;
        SeamInput told;
        double rate = 0;
        const PassEnd end = pass.Run([&](const mp3::StreamReader& reader) {
            if (reader.FrameIndex() == 0) {
                input.hasFrames = true;
                input.format = mp3::StreamFormat(reader.Header());
                ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told);
                rate = reader.Header().GetSampleRate();
                input.lead = LeadSeconds(told.delay, rate);
                input.tail = TailSeconds(told.padding, rate);
            }
            watch.See(reader.Header());
            input.seconds += IsHeaderFrame(reader) ? 0 : reader.Header().GetDuration();
            return everyFrame && !cancelled();
        });
        *failure = end.failure;
        if (!failure->isEmpty() || cancelled()) {
            return false;
        }
        input.change = watch.Change();
        // Known once every frame was looked at, as the copy will find them.
        if (const qint32 cut = CutShortPadding(told, pass.Reader()); cut >= 0) {
            input.tail = TailSeconds(cut, rate);
        }
        seconds += input.seconds;
    }
    const int first = First();
    const auto last = std::find_if(inputs.rbegin(), inputs.rend(), HoldsFrames);
    plannedEnd = seconds - (first < 0 ? 0 : inputs[size_t(first)].lead) -
                 (last == inputs.rend() ? 0 : last->tail);
    return true;
}

std::vector<TimelineInput> JoinPlan::Timeline(double gapSeconds) const {
    const int first = First();
    const double firstLead = first < 0 ? 0 : inputs[size_t(first)].lead;
    std::vector<TimelineInput> timeline;
    double framesStart = 0;  // of the input's frames, the gaps before them included
    for (size_t i = 0; i < inputs.size(); ++i) {
        const PlannedInput& input = inputs[i];
        framesStart += input.hasFrames && int(i) > first ? gapSeconds : 0;
        const double start = framesStart + input.lead - firstLead;
        const double end = start + (input.hasFrames ? input.seconds - input.lead - input.tail : 0);
        timeline.push_back({input.path, Milliseconds(start), Milliseconds(std::max(start, end))});
        framesStart += input.seconds;
    }
    return timeline;
}

int JoinPlan::First() const {
    const auto found = std::find_if(inputs.begin(), inputs.end(), HoldsFrames);
    return found == inputs.end() ? -1 : int(found - inputs.begin());
}

size_t JoinPlan::JoinedCount() const {
    return size_t(std::count_if(inputs.begin(), inputs.end(), HoldsFrames));
}

std::optional<size_t> JoinPlan::JoinedPlace(size_t index) const {
    if (index >= inputs.size() || !inputs[index].hasFrames) {
        return std::nullopt;
    }
    return size_t(std::count_if(inputs.begin(), inputs.begin() + qsizetype(index), HoldsFrames));
}

bool JoinPlan::PlanReencoding() {
    const int first = First();
    bool any = false;
    for (PlannedInput& input : inputs) {
        input.reencode =
            input.hasFrames && (input.format != inputs[size_t(first)].format || input.change);
        any = any || input.reencode;
    }
    return any;
}

std::optional<std::vector<mp3::InputTags>> JoinPlan::ReadTags(
    bool byTitle, const std::function<bool()>& cancelled, QString* failure) {
    std::vector<mp3::InputTags> tags;
    for (PlannedInput& input : inputs) {
        if (cancelled()) {
            return std::nullopt;
        }
        // The input itself, never what re-encoding made of it, which carries no tag.
        QString ignored;  // the copy says why it cannot be opened
        const std::shared_ptr<InputFile> file =
            input.file ? input.file : InputFile::Open(input.path, &ignored);
        tags.push_back(file ? mp3::ReadInputTags(*file) : mp3::InputTags());
        // Read after its audio may have been, a tag must still be of that file.
        if (!tags.back().readError.isEmpty() || (file && file->Changed())) {
            *failure = tags.back().readError.isEmpty()
                           ? ChangedWhileRead(input.path)
                           : CannotRead(input.path, tags.back().readError);
            return std::nullopt;
        }
        const QString& own = tags.back().title;
        const QString title = own.isEmpty() ? FileTitle(input.path) : own;
        input.title = byTitle ? RunTitle(title) : title;
    }
    return tags;
}

void JoinPlan::Replace(size_t index, std::shared_ptr<InputFile> encoded,
                       const EncoderSilence& silence) {
    PlannedInput& input = inputs[index];
    // An encoding holds its audio alone, no tags.
    total += encoded->Size() - input.audioBytes;
    input.encoded = std::move(encoded);
    input.encodedSilence = silence;
}

}  // namespace tessaro
