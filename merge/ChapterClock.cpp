#include "merge/ChapterClock.h"

#include <algorithm>
#include <cmath>

#include "mp3/StreamReader.h"
#include "seam/Seam.h"

namespace tessaro {

quint32 Milliseconds(double seconds) {
    return quint32(std::clamp(std::llround(seconds * 1000), qint64(0), qint64(0xFFFFFFFE)));
}

ChapterClock::ChapterClock(const JoinOptions& options, std::vector<Chapter>& chapters)
    : options(options), chapters(chapters) {}

void ChapterClock::Plan(const QString& title) {
    if (StartsChapter(title)) {
        chapters.push_back({title, 0, 0});
    }
}

void ChapterClock::CountFrom(std::vector<InputOffset> offsets) {
    this->offsets = std::move(offsets);
}

double ChapterClock::StartInput(size_t index, const QString& title, double framesStart,
                                const mp3::StreamReader& reader,
                                const std::optional<EncoderSilence>& own, const SeamMaker& seams) {
    const double audioStart = AudioStart(framesStart, reader, own, seams);
    StartCounted(index, audioStart);
    if (!StartsChapter(title)) {
        return audioStart;
    }
    const quint32 now = Milliseconds(audioStart);
    if (!chapters.empty()) {
        chapters.back().endMs = now;
    }
    chapters.push_back({title, now, now});
    return audioStart;
}

void ChapterClock::End(double seconds, qint32 lastPadding, double rate) {
    if (lastPadding >= 0) {
        earlierTail = TailSeconds(lastPadding, rate);
    }
    if (!chapters.empty()) {
        // A chapter read from a file may start a little past the end that was planned, where
        // seams or re-encoding shortened the audio; one whose file ends it keeps that end
        // where the audio lasts so long.
        Chapter& last = chapters.back();
        const quint32 end = Milliseconds(seconds - earlierTail - firstLead);
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

// Whether a joined input titled `title` starts a chapter of its own: each does, unless the
// chapters go by title and the one before has the same, or come from a file.
bool ChapterClock::StartsChapter(const QString& title) const {
    return options.chapters && options.chapterFile.isEmpty() &&
           (!options.chaptersByTitle || chapters.empty() || chapters.back().title != title);
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
