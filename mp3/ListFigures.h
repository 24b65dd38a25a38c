#pragma once

#include <QString>

#include "mp3/StreamFormat.h"

namespace mp3 {

// The figures the list shows of a file: its format from its first frame with a bitrate, its
// playing time and bitrate as players tell them.
struct Figures {
    qint32 bitrate = 0;  // bits per second: the mean, rounded to whole kbit/s, of a file
                         // whose leading header counts its frames; else the first frame's
    // Of that frame; its channels 1 for single channel, else 2, its sampling rate -1 for a
    // reserved value.
    StreamFormat format;
    // Seconds: the frames the leading header counts, less the encoder's delay and padding it
    // tells; without one, the audio part's bytes (tags left out) at the first frame's bitrate.
    double duration = 0;
    // Why the figures are missing (the file cannot be opened or has no usable frame); empty
    // when they are there.
    QString problem;
};
Figures ProbeFigures(const QString& path);

}  // namespace mp3
