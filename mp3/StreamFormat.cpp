#include "mp3/StreamFormat.h"

#include <tuple>

namespace mp3 {

StreamFormat::StreamFormat(const FrameHeader& header)
    : version(header.version),
      layer(header.layer),
      sampleRate(header.GetSampleRate()),
      channels(header.GetChannelCount()) {}

bool StreamFormat::operator==(const StreamFormat& other) const {
    return std::tie(version, layer, sampleRate, channels) ==
           std::tie(other.version, other.layer, other.sampleRate, other.channels);
}

QStringList StreamFormat::Figures() const {
    static const char* const kVersions[] = {"MPEG-2.5", "reserved MPEG version", "MPEG-2",
                                            "MPEG-1"};
    static const char* const kLayers[] = {"reserved layer", "Layer III", "Layer II", "Layer I"};
    return {QLatin1String(kVersions[version & 3]), QLatin1String(kLayers[layer & 3]),
            sampleRate > 0 ? QStringLiteral("%1 Hz").arg(sampleRate)
                           : QStringLiteral("reserved sampling rate"),
            channels == 1 ? QStringLiteral("1 channel") : QStringLiteral("2 channels")};
}

QStringList StreamFormat::FiguresDifferingFrom(const StreamFormat& other) const {
    const QStringList ours = Figures(), theirs = other.Figures();
    QStringList differing;
    for (qsizetype i = 0; i < ours.size(); ++i) {
        if (ours[i] != theirs[i]) {
            differing << ours[i];
        }
    }
    return differing;
}

void FormatWatch::See(const FrameHeader& header) {
    if (change) {
        return;
    }
    const StreamFormat format(header);
    if (!seen) {
        first = format;
        seen = true;
    } else if (format != first) {
        change = FormatChange{first, format, seconds};
    }
    seconds += header.GetDuration();
}

}  // namespace mp3
