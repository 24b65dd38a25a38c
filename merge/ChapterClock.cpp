#include "merge/ChapterClock.h"

#include <algorithm>
#include <cmath>

#include "mp3/StreamReader.h"
#include "seam/Seam.h"

namespace tessaro {

quint32 Milliseconds(double seconds) {
    return quint32(std::clamp(std::llround(seconds * 1000), qint64(0), qint64(0xFFFFFFFE)));
}

bool ChaptersPlaced(const JoinOptions& options) {
    return !options.chapterFile.isEmpty() || (options.chapters && options.chapterSilence);
}

ChapterClock::ChapterClock(const JoinOptions& options, std::vector<Chapter>& chapters)
    : options(options), chapters(chapters) {}

bool ChapterClock::Plan(size_t index, const QString& title) {
    const std::optional<QString> chapter = ChapterAt(index, title);
    if (chapter) {
        chapters.push_back({*chapter, 0, 0});
    }
    Follow(title);
    return chapter.has_value();
}

void ChapterClock::CountFrom(std::vector<InputOffset> offsets) {
    this->offsets = std::move(offsets);
}

double ChapterClock::StartInput(size_t index, const QString& title, double framesStart,
                                const mp3::StreamReader& reader,
                                const std::optional<EncoderSilence>& own, const SeamMaker& seams) {
    const double audioStart = AudioStart(framesStart, reader, own, seams);
    StartCounted(index, audioStart);
    const quint32 now = Milliseconds(audioStart);
    starts.resize(std::max(starts.size(), index + 1));
    starts[index] = now;
    const std::optional<QString> chapter = ChapterAt(index, title);
    Follow(title);
    if (!chapter) {
        return audioStart;
    }
    if (!chapters.empty()) {
        chapters.back().endMs = now;
    }
    chapters.push_back({*chapter, now, now});
    return audioStart;
}

void ChapterClock::End(double seconds, qint32 lastPadding, double rate) {
    if (lastPadding >= 0) {
        earlierTail = TailSeconds(lastPadding, rate);
    }
    const quint32 end = Milliseconds(seconds - earlierTail - firstLead);
    endMs = end;
    if (!chapters.empty()) {
        // A chapter read from a file may start a little past the end that was planned, where
        // seams or re-encoding shortened the audio; one whose file ends it keeps that end
        // where the audio lasts so long.
        Chapter& last = chapters.back();
        last.endMs = std::max(last.startMs, last.endTold ? std::min(last.endMs, end) : end);
    }
}

// Starts the chapters counted from the input at `index` where its audio starts, at
// `audioStart`, plus their offsets, each ending the one before. Where a seam or re-encoding
// shortened the input before, a start may fall before the one before; it goes a millisecond
// behind that instead, as players take chapters in the order of their starts.
void ChapterClock::StartCounted(size_t index, double audioStart) {
    for (size_t c = 0; c < offsets.size(); ++c) {
        if (offsets[c].input != index) {
            continue;
        }
        quint32 start = Milliseconds(audioStart + offsets[c].offsetMs / 1000.0);
        if (c > 0) {
            start = std::max(start, chapters[c - 1].startMs + 1);
            chapters[c - 1].endMs = start;
        }
        chapters[c].startMs = start;
    }
}

std::vector<TimelineInput> ChapterClock::Inputs(const QStringList& paths) const {
    std::vector<TimelineInput> inputs(size_t(paths.size()));
    quint32 next = endMs;
    for (size_t i = inputs.size(); i-- > 0;) {
        const quint32 start = i < starts.size() && starts[i] ? *starts[i] : next;
        inputs[i] = {paths[qsizetype(i)], start, next};
        next = start;
    }
    return inputs;
}

// A joined input starts a chapter of its own, titled as it is, unless the chapters are placed
// before the join, or go by title and the input before has the same; a mark set by hand at it
// starts one or joins it to the one before instead, and retitles the chapter it starts.
std::optional<QString> ChapterClock::ChapterAt(size_t index, const QString& title) const {
    if (!options.chapters || ChaptersPlaced(options)) {
        return std::nullopt;
    }
    const ChapterMark mark =
        index < options.chapterMarks.size() ? options.chapterMarks[index] : ChapterMark();
    bool starts = !options.chaptersByTitle || previousTitle != title;
    if (mark.start != ChapterMark::Start::Auto) {
        starts = mark.start == ChapterMark::Start::Here;
    }
    if (!starts && !chapters.empty()) {
        return std::nullopt;
    }
    return mark.title.isEmpty() ? title : mark.title;
}

double ChapterClock::HeardSilence(const mp3::StreamReader& reader,
                                  const std::optional<EncoderSilence>& own) const {
    return earlierTail + LeadSeconds(Told(reader, own).delay, reader.Header().GetSampleRate());
}

SeamInput ChapterClock::Told(const mp3::StreamReader& reader,
                             const std::optional<EncoderSilence>& own) {
    SeamInput told;
    if (own) {
        told.delay = own->delay;
        told.padding = own->padding;
    } else {
        ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &told);
    }
    return told;
}

// Where the audio of the input starts: behind its own encoder's silence, or, where a seam joins
// it, where the earlier input's audio ends, less the seam's shift, behind the silence it puts
// between them.
double ChapterClock::AudioStart(double framesStart, const mp3::StreamReader& reader,
                                const std::optional<EncoderSilence>& own, const SeamMaker& seams) {
    const SeamInput told = Told(reader, own);
    const double rate = reader.Header().GetSampleRate();
    const double lead = LeadSeconds(told.delay, rate);
    firstLead = firstLead < 0 ? lead : firstLead;
    const double start =
        seams.Seamed() ? framesStart - earlierTail + double(seams.Silence() - seams.Shift()) / rate
                       : framesStart + lead;
    // Taken in whole by the next seam, its frames are still counted, its silence not.
    earlierTail = seams.Absorbing() ? earlierTail + double(told.delay + told.padding) / rate
                                    : TailSeconds(told.padding, rate);
    return start - firstLead;
}

}  // namespace tessaro
