#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>
#include <vector>

#include "chapters/Chapters.h"
#include "merge/JoinOptions.h"
#include "seam/Seam.h"
#include "tags/Tags.h"

namespace mp3 {
class StreamReader;
}

namespace tessaro {

class SeamMaker;

// `seconds` in the whole milliseconds a chapter's times are told in.
quint32 Milliseconds(double seconds);

// Whether the options have the chapters planned before the join, from a chapter file or the
// inputs' silences, rather than one where each input, or run of inputs of one title, starts.
bool ChaptersPlaced(const JoinOptions& options);

// Where each joined input's audio starts in the timeline players show, which begins behind the
// first input's encoder delay and the decoder's, and the chapters the options ask for that start
// there: one for each input, or for each run of inputs of one title, as marks set by hand move
// and retitle them.
class ChapterClock {
public:
    // Keeps the chapters in `chapters`, which those of a chapter file may fill instead.
    ChapterClock(const JoinOptions& options, std::vector<Chapter>& chapters);

    // Keeps a place for the chapter of the input at `index`, titled `title`, where the input
    // starts one, as StartInput() will start them, the inputs taken in the same order; whether
    // it does.
    bool Plan(size_t index, const QString& title);
    // Has the chapters placed before the join, a file's or the silences', start where the inputs
    // that `offsets` (one for each chapter) name turn out to start, plus their offsets.
    void CountFrom(std::vector<InputOffset> offsets);
    // Takes the input joined next, the one at `index`, titled `title`, whose frames would start
    // at `framesStart` and which `seams` has just taken: ends the chapter before and starts its
    // own, where it starts one, or those of a file counted from it. `reader` stands at its first
    // frame; `own` is the silence the join's own encoding put around it, known whether or not
    // its frames have room to tell it. Returns where its audio starts, in seconds of the timeline.
    double StartInput(size_t index, const QString& title, double framesStart,
                      const mp3::StreamReader& reader, const std::optional<EncoderSilence>& own,
                      const SeamMaker& seams);
    // Seconds of the encoders' silence heard between the audio of the input joined last and
    // that of the input about to be taken, were their frames to follow one another; `reader`
    // and `own` as StartInput takes them.
    double HeardSilence(const mp3::StreamReader& reader,
                        const std::optional<EncoderSilence>& own) const;
    // Ends the last chapter where the audio ends, in a join of `seconds` whose last frames, where
    // a seam ends it or its last input was cut short, hold `lastPadding` samples of padding (-1
    // otherwise) at `rate`.
    void End(double seconds, qint32 lastPadding, double rate);
    // Where the audio of each input, at `paths`, starts and ends, once ended: one that gave no
    // frame starts and ends where the next starts.
    std::vector<TimelineInput> Inputs(const QStringList& paths) const;

private:
    // Whether the input at `index`, titled `title`, starts a chapter, and the chapter's title.
    std::optional<QString> ChapterAt(size_t index, const QString& title) const;
    void Follow(const QString& title) { previousTitle = title; }
    void StartCounted(size_t index, double audioStart);
    // The encoder's silence around the input's audio, -1 where it is not told.
    static SeamInput Told(const mp3::StreamReader& reader,
                          const std::optional<EncoderSilence>& own);
    double AudioStart(double framesStart, const mp3::StreamReader& reader,
                      const std::optional<EncoderSilence>& own, const SeamMaker& seams);

    const JoinOptions& options;
    std::vector<Chapter>& chapters;
    std::vector<InputOffset> offsets;  // of a file's chapters, where counted from the inputs
    // Seconds of the first input's encoder and decoder delay, once known, and of the silence the
    // input joined last ends with.
    double firstLead = -1;
    double earlierTail = 0;
    QString previousTitle;  // of the input taken last, as the chapter options title it
    // Where the audio of the inputs taken starts, by index, in ms, and where it ends.
    std::vector<std::optional<quint32>> starts;
    quint32 endMs = 0;
};

}  // namespace tessaro
