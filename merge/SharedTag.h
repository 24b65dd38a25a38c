#pragma once

#include <QString>
#include <vector>

#include "mp3/InputTags.h"

namespace tessaro {

// The text frames every one of `inputs` holds with the same values, in the first one's order:
// what the inputs share as parts of one album or book. What tells one input from the others is
// left out, shared or not: its title, subtitle, track and disc numbers, length, recording code,
// ReplayGain and the gapless figures iTunes keeps in comments. None without inputs.
std::vector<mp3::TextFrame> SharedFrames(const std::vector<std::vector<mp3::TextFrame>>& inputs);

// Says that `frame` of the input at `path` was left out of its tag as read.
QString LeftOut(const QString& path, const mp3::OversizedFrame& frame);

}  // namespace tessaro
