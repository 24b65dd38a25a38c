#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "chapters/Chapters.h"
#include "mp3/InputTags.h"
#include "mp3/StreamFormat.h"
#include "seam/Seam.h"

namespace tessaro {

class InputFile;

// One input of a join, as planned and as the passes over it settle it.
struct PlannedInput {
    QString path;
    // As opened for the join, so that every pass reads the same file; null when it could not be
    // opened (or the process may hold no more), then opened anew by each pass.
    std::shared_ptr<InputFile> file;
    qint64 audioBytes = 0;  // of its audio part as opened: its share of the progress
    bool hasFrames = false;
    mp3::StreamFormat format;  // of its first frame, as it is
    // Where its frames first change format, found where every frame was looked at.
    std::optional<mp3::FormatChange> change;
    // Encoded anew in the first input's format, and what that made, once made.
    bool reencode = false;
    std::shared_ptr<InputFile> encoded;
    EncoderSilence encodedSilence;  // what the encoder put around it, known whatever it wrote
    // Of global_gain its frames get; in its encoding when it is re-encoded.
    int gainSteps = 0;
    QString title;  // of its chapter, as the chapters group the inputs
    // Seconds its audio frames play, and of the encoder's and decoder's silence in front of its
    // audio and behind it there; known once Look() has looked at every frame.
    double seconds = 0;
    double lead = 0;
    double tail = 0;
};

// The inputs of a join, each opened once for all the passes over it.
class JoinPlan {
public:
    explicit JoinPlan(const QStringList& paths);

    // Why the join fails for an input whose audio part could not be measured; empty when none.
    const QString& Failure() const { return failure; }
    // Looks at every input's first frame, or at all its frames when `everyFrame`: whether it
    // holds frames, their format, where it changes, and, looking at all, the planned end;
    // `cancelled` is polled meanwhile. False when cancelled, or with *failure set when an input
    // cannot be read whole as opened.
    bool Look(bool everyFrame, const std::function<bool()>& cancelled, QString* failure);
    // Marks the inputs whose format differs from the first one's, or changes, to be re-encoded;
    // whether any is.
    bool PlanReencoding();
    // Titles each input as its own tag does (as FileTitle() does by its file name when it has
    // none), grouped as runs when `byTitle`, and reads what it shares with the others;
    // cancelled is polled between inputs. Null when cancelled, or with *failure set when an
    // input's tag cannot be read.
    std::optional<std::vector<mp3::InputTags>> ReadTags(bool byTitle,
                                                        const std::function<bool()>& cancelled,
                                                        QString* failure);
    // Where the audio ends in the timeline players show, in seconds: what the inputs' audio
    // frames play, less the first one's encoder and decoder delay and the last one's padding
    // (which went with its end where it was cut short); known once Look() has looked at every
    // frame.
    double PlannedEnd() const { return plannedEnd; }
    // Where each input's audio starts and ends in that timeline, as planned, with `gapSeconds` of
    // silence between the inputs' audio; known as PlannedEnd() is.
    std::vector<TimelineInput> Timeline(double gapSeconds) const;

    // The first input with frames, -1 when none.
    int First() const;
    // How many inputs hold frames, and the place of the one at `index` among them (none when it
    // holds none).
    size_t JoinedCount() const;
    std::optional<size_t> JoinedPlace(size_t index) const;
    qint64 Total() const { return total; }
    // Takes what re-encoding made of the input at `index`, with `silence` around its audio, in
    // its stead, the progress counting its bytes.
    void Replace(size_t index, std::shared_ptr<InputFile> encoded, const EncoderSilence& silence);

    std::vector<PlannedInput> inputs;

private:
    qint64 total = 0;  // bytes of the inputs' audio parts, as joined
    double plannedEnd = 0;
    QString failure;
};

}  // namespace tessaro
