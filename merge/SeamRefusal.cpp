#include "merge/SeamRefusal.h"

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
    const size_t taken = size_t(EarlierFramesNeeded(earlier));
    if (earlier.frames.size() < taken ||
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
    // The earlier frames the decoder starts with must hold the reserved bytes of those it is
    // trusted from on.
    qint32 reserve = 0;
    for (size_t i = 0; i < taken; ++i) {
        if (i + 2 >= size_t(kWarmUpFrames) && mp3::MainDataBegin(earlier.frames[i]) > reserve) {
            return QStringLiteral("the earlier input's frames draw on too many reserved bytes");
        }
        reserve += mp3::MainDataRoom(earlier.frames[i]);
    }
    return {};
}

}  // namespace tessaro
