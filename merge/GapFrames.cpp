#include "merge/GapFrames.h"

#include <algorithm>
#include <cmath>

#include "codec/Codec.h"
#include "mp3/LayerIII.h"
#include "mp3/StreamFormat.h"

namespace tessaro {
namespace {

// Frames of silence encoded to have one from the middle, away from the encoder's start and end.
constexpr int kEncoded = 4;

}  // namespace

std::vector<FrameView> GapFrames::Between(double heard, QString* failure) {
    const double frameSeconds = format.GetDuration();
    const qint64 count =
        frameSeconds > 0 ? std::max<qint64>(0, std::llround((seconds - heard) / frameSeconds)) : 0;
    if (count == 0 || (!silence && !MakeSilence(failure))) {
        return {};
    }
    const auto* data = reinterpret_cast<const quint8*>(silence->constData());
    return std::vector<FrameView>(size_t(count), FrameView{data, qint32(silence->size()), silence});
}

bool GapFrames::MakeSilence(QString* failure) {
    // A free-format bitrate LAME cannot write: in VBR, silence takes the fewest bytes.
    const qint32 bitrate = std::max(format.GetBitrate(), 0);
    LameEncoder encoder({format, bitrate, 0, bitrate > 0 ? -1 : 9, true, -1});
    const std::vector<QByteArray> frames =
        encoder.Ready() ? encoder.Encode(std::vector<float>(size_t(
                              kEncoded * format.GetSampleCount() * format.GetChannelCount())))
                        : std::vector<QByteArray>();
    if (frames.size() < 2 ||
        mp3::StreamFormat(mp3::HeaderOf(frames[1])) != mp3::StreamFormat(format) ||
        mp3::MainDataBegin(frames[1]) != 0) {
        *failure = QStringLiteral(
            "Cannot put silence between the inputs: the encoder does not write frames in the "
            "first input's format");
        return false;
    }
    silence = std::make_shared<const QByteArray>(frames[1]);
    return true;
}

}  // namespace tessaro
