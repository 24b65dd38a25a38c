#include "mp3/ListFigures.h"

#include <cmath>

#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"

namespace mp3 {
namespace {

// Playing time and mean bitrate from the counts of the header in the reader's frame; false when
// it has none or counts no frame.
bool FromLeadingHeader(const StreamReader& reader, Figures& figures) {
    const quint8* frame = reader.Frame();
    const std::optional<XingHeader> xing = XingHeader::Find(frame, reader.FrameLength());
    const std::optional<quint32> frames = xing ? xing->FrameCount(frame) : std::nullopt;
    if (!frames || *frames == 0) {
        return false;
    }
    const double rate = figures.format.sampleRate;
    const double played = double(*frames) * reader.Header().GetSampleCount() / rate;
    const qint64 trimmed = xing->EncoderDelay(frame) + xing->EncoderPadding(frame);
    figures.duration = std::max(0.0, played - double(trimmed) / rate);
    // The byte count covers the header's own frame, which holds no audio.
    const std::optional<quint32> told = xing->ByteCount(frame);
    const qint64 audioBytes =
        told && *told > quint32(reader.FrameLength())
            ? qint64(*told) - reader.FrameLength()
            : reader.AudioEnd() - reader.Header().offset - reader.FrameLength();
    figures.bitrate = qint32(std::lround(double(audioBytes) * 8 / played / 1000) * 1000);
    return true;
}

}  // namespace

Figures ProbeFigures(const QString& path) {
    Figures figures;
    StreamReader reader(path);
    for (; !reader.AtEnd(); reader.Advance()) {
        const FrameHeader& header = reader.Header();
        const qint32 bitrate = header.GetBitrate(reader.FrameLength());
        if (bitrate > 0) {
            figures.format = StreamFormat(header);
            if (figures.format.sampleRate <= 0 || !FromLeadingHeader(reader, figures)) {
                figures.bitrate = bitrate;
                figures.duration = double(reader.AudioEnd() - header.offset) * 8 / bitrate;
            }
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
