#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "mp3/InputTags.h"

namespace tessaro {

// One joined input's text frames, and the path that names it in warnings.
struct TaggedInput {
    QString path;
    std::vector<mp3::TextFrame> frames;
};

// What the joined file's tag takes of the inputs' text frames, and a warning for each frame left
// out because the inputs disagree on it.
struct CopiedFrames {
    std::vector<mp3::TextFrame> frames;
    QStringList disagreements;
};

// The text frames the inputs have as parts of one album or book. What tells one input from the
// others is never taken: its title, subtitle, track and disc numbers, length, recording code,
// ReplayGain and the gapless figures iTunes keeps in comments; a frame without text counts as
// none. Without `firstWins`, each frame every input holds with the same value, in the first one's
// order; a frame some hold but not all alike is left out with a warning naming the values ("artist
// left out: "Ada Lovelace" in "3.mp3" differs from "Ada Lövelace" in "1.mp3" and 1 more; ..."),
// an input without it among them. With `firstWins`, each frame from the first input that holds
// it, in the order they first come, without a warning. Nothing without inputs.
CopiedFrames CopyFrames(const std::vector<TaggedInput>& inputs, bool firstWins);

// Says that `frame` of the input at `path` was left out of its tag as read.
QString LeftOut(const QString& path, const mp3::OversizedFrame& frame);

}  // namespace tessaro
