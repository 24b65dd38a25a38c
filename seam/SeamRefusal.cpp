#include "seam/SeamRefusal.h"

#include <algorithm>

#include "mp3/LayerIII.h"
#include "mp3/StreamFormat.h"

namespace tessaro {

using mp3::FrameHeader;

QString Refusal(const SeamInput& earlier, const SeamInput* later) {
    const FrameHeader& format = earlier.format;
    const qint64 frameSamples = format.GetSampleCount();
    if (earlier.delay < 0 || (later && later->delay < 0)) {
        return QStringLiteral(
                   "the header of the %1 one does not tell its encoder's delay and "
                   "padding")
            .arg(earlier.delay < 0 ? QStringLiteral("first") : QStringLiteral("second"));
    }
    const mp3::StreamFormat streamFormat(format);
    if (format.layer != FrameHeader::Layer3 ||
        (later && mp3::StreamFormat(later->format) != streamFormat)) {
        return QStringLiteral("the formats differ");
    }
    if (earlier.padding < kDecoderDelay ||
        (later && later->delay + kDecoderDelay >= kLaterFramesNeeded * frameSamples / 2)) {
        return QStringLiteral("their headers tell a delay and padding no encoder writes");
    }
    if (earlier.frames.size() < size_t(EarlierFramesNeeded(earlier)) ||
        (later && later->frames.size() < size_t(kLaterFramesNeeded))) {
        return QStringLiteral("an input is too short");
    }
    const auto whole = [&streamFormat](const QByteArray& frame) {
        const FrameHeader header = mp3::HeaderOf(frame);
        return mp3::StreamFormat(header) == streamFormat && header.bitrateIndex > 0 &&
               header.bitrateIndex < 15 && frame.size() == header.GetFrameLength();
    };
    if (!std::all_of(earlier.frames.begin(), earlier.frames.end(), whole) ||
        (later && !std::all_of(later->frames.begin(), later->frames.end(), whole))) {
        return QStringLiteral("the frames around it are damaged or of another format");
    }
    // The earlier frames the decoder starts with must hold the reserved bytes of those decoded
    // whole. They hold as many as main_data_begin reaches unless they start with the input.
    const size_t decoded = earlier.frames.size() - size_t(EarlierFramesWhole(earlier));
    qint32 reserve = 0;
    for (size_t i = 0; i < earlier.frames.size(); ++i) {
        if (i >= decoded && mp3::MainDataBegin(earlier.frames[i]) > reserve) {
            return QStringLiteral(
                "the earlier input's last frames draw on reserved bytes from before its first "
                "frame: it was cut out of a longer stream, or is damaged");
        }
        reserve += mp3::MainDataRoom(earlier.frames[i]);
    }
    return {};
}

}  // namespace tessaro
