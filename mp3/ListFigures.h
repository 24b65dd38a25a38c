#pragma once

#include <QString>

namespace mp3 {

// The figures the list shows of a file, from its first frame with a table bitrate.
struct Figures {
    qint32 bitrate = 0;     // bits per second
    qint32 channels = 0;    // 1 for single channel, else 2
    qint32 sampleRate = 0;  // Hz; -1 for a reserved value
    qint32 duration = 0;    // whole seconds: file size x 8 / bitrate
    // Why the figures are missing (the file cannot be opened or has no usable frame); empty
    // when they are there.
    QString problem;
};
Figures ProbeFigures(const QString& path);

}  // namespace mp3
