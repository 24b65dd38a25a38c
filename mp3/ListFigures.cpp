#include "mp3/ListFigures.h"

#include "mp3/StreamReader.h"

namespace mp3 {

Figures ProbeFigures(const QString& path) {
    Figures figures;
    StreamReader reader(path);
    for (; !reader.AtEnd(); reader.Advance()) {
        const FrameHeader& header = reader.Header();
        if (header.GetBitrate(reader.FrameLength()) > 0) {
            figures.bitrate = header.GetBitrate(reader.FrameLength());
            figures.channels = header.GetChannelCount();
            figures.sampleRate = header.GetSampleRate();
            figures.duration = qint32(reader.FileSize() * 8 / figures.bitrate);
            return figures;
        }
    }
    figures.problem =
        !reader.IsOpen()          ? QStringLiteral("Cannot open the file: ") + reader.OpenError()
        : reader.FrameIndex() < 0 ? QStringLiteral("No MPEG audio frames found")
                                  : QStringLiteral("No MPEG audio frames with a known bitrate");
    return figures;
}

}  // namespace mp3
