#include "seam/Seam.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "codec/Codec.h"
#include "mp3/LayerIII.h"
#include "mp3/StreamFormat.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"
#include "seam/SeamPacking.h"
#include "seam/SeamRefusal.h"
#include "seam/Splice.h"

namespace tessaro {
namespace {

using mp3::FrameHeader;

// Frames encoded before the new ones, so that the encoder has the audio before them, and after
// them, so that it has the audio behind them.
constexpr int kLeadFrames = 2;
constexpr int kTrailFrames = 2;
// The fewest earlier frames taken in before the stretch.
constexpr int kBeforeSeam = kWarmUpFrames + kLeadFrames;
// The stretch encoded anew is at least this long, so that the splice lies away from its ends,
// where the new frames overlap the old ones.
constexpr qint64 kShortestStretch = 3456;
// Samples kept between the splice and the stretch's ends: a granule of overlap, and half the fade.
constexpr qint64 kEdge = 576 + Splice::kFadeLength / 2;

// The earlier input's last frames the new ones replace: those whose decoded output reaches into
// its padding, and as many more as make the stretch long enough.
int TailFramesReplaced(const SeamInput& earlier, qint64 frameSamples) {
    const qint64 padded =
        (qint64(earlier.padding) - kDecoderDelay + frameSamples - 1) / frameSamples;
    const qint64 stretch = (kShortestStretch + frameSamples - 1) / frameSamples;
    return int(std::max<qint64>(padded, 0) + stretch);
}

// The earlier input's frames taken in before the stretch, all but the last `replaced`: as many as
// hold the reserved bytes of those decoded whole, and the new frames' lead.
qint64 FramesBefore(const SeamInput& earlier, int replaced) {
    return qint64(earlier.frames.size()) - replaced;
}

// Where the earlier input's audio ends among the decoded samples of the frames taken in.
qint64 EarlierAudioEnd(const SeamInput& earlier) {
    return qint64(earlier.frames.size()) * earlier.format.GetSampleCount() - earlier.padding +
           kDecoderDelay;
}

// The latest the splice may lie, where the stretch ends at `stretchEnd`: before the earlier
// input's audio ends, so far that the fade and the shift stay within it, where silence put
// between the inputs is to stay whole. The stretch holds at least kShortestStretch samples of
// that audio, which leaves room enough.
qint64 SpliceEnd(const SeamInput& earlier, qint64 stretchEnd, qint64 shift) {
    return earlier.silence > 0 ? std::min(stretchEnd, EarlierAudioEnd(earlier) - std::abs(shift) -
                                                          Splice::kFadeLength / 2)
                               : stretchEnd;
}

Seam Failed(const QString& why) {
    Seam seam;
    seam.failure = why;
    return seam;
}

// The new frames for the stretch of `count` frames behind the earlier input's first `before`
// frames taken in; empty with *why set when the encoder fails.
std::vector<QByteArray> EncodeStretch(const SeamInput& earlier, const Splice& splice, qint64 before,
                                      qint64 count, bool amongOurs, QString* why) {
    const qint64 frameSamples = earlier.format.GetSampleCount();
    // Among frames encoded by the join itself, as they were; among others, near-best, as the new
    // frames have no reserved bytes to draw on.
    LameEncoder encoder(
        {earlier.format, earlier.bitrate, earlier.meanBitrate, -1, true, amongOurs ? -1 : 2});
    if (!encoder.Ready()) {
        *why = QStringLiteral("the encoder does not take the earlier input's format");
        return {};
    }
    // The encoder's first frame starts kLeadFrames frames before the stretch; its last ones,
    // kTrailFrames behind it, are dropped.
    const qint64 first = (before - kLeadFrames) * frameSamples + encoder.Delay() + kDecoderDelay;
    const qint64 end = (before + count + kTrailFrames) * frameSamples;
    std::vector<QByteArray> frames = encoder.Encode(splice.Samples(first, end - first));
    if (qint64(frames.size()) < kLeadFrames + count) {
        *why = QStringLiteral("the encoder gave too few frames");
        return {};
    }
    frames.erase(frames.begin(), frames.begin() + kLeadFrames);
    frames.resize(size_t(count));
    for (const QByteArray& frame : frames) {
        if (mp3::StreamFormat(mp3::HeaderOf(frame)) != mp3::StreamFormat(earlier.format) ||
            mp3::MainDataBegin(frame) != 0) {
            *why = QStringLiteral("the encoder's frames do not fit in");
            return {};
        }
    }
    return frames;
}

}  // namespace

bool ReadEncoderHeader(const quint8* frame, qint32 length, SeamInput* input) {
    const std::optional<mp3::XingHeader> header = mp3::XingHeader::Find(frame, length);
    if (!header || !header->HasEncoderExtension()) {
        return false;
    }
    input->format.ParseHeader(frame);
    input->delay = header->EncoderDelay(frame);
    input->padding = header->EncoderPadding(frame);
    input->counted = header->FrameCount(frame);
    return true;
}

qint32 CutShortPadding(const SeamInput& told, const mp3::StreamReader& reader) {
    // Behind the header frame that tells the padding, the last frame's index counts the audio
    // frames.
    const bool cut = told.padding >= 0 && told.counted && reader.AtEnd() &&
                     *told.counted > quint64(reader.FrameIndex());
    return cut ? qint32(kDecoderDelay) : -1;
}

std::vector<float> AudioOf(const SeamInput& input) {
    const qint64 frameSamples = input.format.GetSampleCount();
    const size_t channels = size_t(input.format.GetChannelCount());
    std::vector<float> audio = Mpg123Decoder{mp3::StreamFormat(input.format)}.Decode(input.frames);
    const size_t start = size_t(input.delay + kDecoderDelay) * channels;
    const size_t end = std::min(audio.size(), size_t(qint64(input.frames.size()) * frameSamples -
                                                     input.padding + kDecoderDelay) *
                                                  channels);
    if (start >= end) {
        return {};
    }
    audio.erase(audio.begin() + qint64(end), audio.end());
    audio.erase(audio.begin(), audio.begin() + qint64(start));
    return audio;
}

int EarlierFramesNeeded(const SeamInput& earlier) {
    return kBeforeSeam + TailFramesReplaced(earlier, earlier.format.GetSampleCount());
}

int EarlierFramesWhole(const SeamInput& earlier) {
    return EarlierFramesNeeded(earlier) - kWarmUpFrames + 2;
}

Seam MakeSeam(const SeamInput& earlier, const SeamInput& later, qint64 early) {
    if (const QString refusal = Refusal(earlier, &later); !refusal.isEmpty()) {
        return Failed(refusal);
    }
    const FrameHeader& format = earlier.format;
    const qint64 frameSamples = format.GetSampleCount();
    const int replaced = TailFramesReplaced(earlier, frameSamples);
    const qint64 before = FramesBefore(earlier, replaced);
    Mpg123Decoder decoder{mp3::StreamFormat(format)};
    const std::vector<float> earlierAudio = decoder.Decode(earlier.frames);
    const std::vector<float> after = decoder.Decode(later.frames);
    if (earlierAudio.empty() || after.empty()) {
        return Failed(QStringLiteral("their frames cannot be decoded"));
    }
    const qint64 laterStart = later.delay + kDecoderDelay;
    Splice splice(earlierAudio, EarlierAudioEnd(earlier), earlier.absorbed, after, laterStart,
                  format.GetChannelCount());
    const qint64 absorbed = qint64(earlier.absorbed.size()) / format.GetChannelCount();
    // The later input's first frames up to the one its audio starts in are replaced, or more
    // when the frames behind them draw on more reserved bytes than the new frames can carry.
    const int firstKept = int(std::max<qint64>(1, (laterStart + frameSamples - 1) / frameSamples));
    for (int laterReplaced = firstKept; laterReplaced < firstKept + 3; ++laterReplaced) {
        // What the replaced frames hold of the audio, in whole new frames: what is left over
        // is the shift.
        const qint64 span =
            (replaced + laterReplaced) * frameSamples - earlier.padding - later.delay + absorbed;
        // Rounded with the earlier seams' shifts, which stay within half a frame, so the sum
        // does too.
        const qint64 count = (span + early + frameSamples / 2) / frameSamples;
        const qint64 shift = span - count * frameSamples;
        const qint64 stretchStart = before * frameSamples;
        splice.Place(shift, stretchStart + kEdge,
                     SpliceEnd(earlier, stretchStart + count * frameSamples - kEdge, shift));
        QString why;
        const std::vector<QByteArray> frames =
            EncodeStretch(earlier, splice, before, count, earlier.ours && later.ours, &why);
        if (frames.empty()) {
            return Failed(why);
        }
        bool fits = false;
        const QByteArray reserved = ReservedBytes(later.frames, size_t(laterReplaced), &fits);
        // As few frames as may be made wider, to keep the bitrate where it was.
        for (size_t widened = 0; fits && widened <= frames.size(); ++widened) {
            std::vector<QByteArray> packed = frames;
            if (Pack(&packed, reserved, widened)) {
                return {std::move(packed), replaced, laterReplaced, qint32(shift), 0, {}};
            }
        }
    }
    return Failed(QStringLiteral("the later input's frames draw on too many reserved bytes"));
}

Seam MakeEndingSeam(const SeamInput& earlier) {
    if (const QString refusal = Refusal(earlier, nullptr); !refusal.isEmpty()) {
        return Failed(refusal);
    }
    const FrameHeader& format = earlier.format;
    const qint64 frameSamples = format.GetSampleCount();
    const int replaced = TailFramesReplaced(earlier, frameSamples);
    const qint64 before = FramesBefore(earlier, replaced);
    const std::vector<float> earlierAudio =
        Mpg123Decoder{mp3::StreamFormat(format)}.Decode(earlier.frames);
    if (earlierAudio.empty()) {
        return Failed(QStringLiteral("their frames cannot be decoded"));
    }
    // Past the audio, the splice holds silence.
    const Splice splice(earlierAudio, EarlierAudioEnd(earlier), earlier.absorbed, {}, 0,
                        format.GetChannelCount());
    const qint64 span = splice.Length() - before * frameSamples;
    const qint64 count = (span + frameSamples - 1) / frameSamples;
    QString why;
    std::vector<QByteArray> frames =
        EncodeStretch(earlier, splice, before, count, earlier.ours, &why);
    if (frames.empty()) {
        return Failed(why);
    }
    return {
        std::move(frames), replaced, 0, 0, qint32(count * frameSamples - span + kDecoderDelay), {}};
}

}  // namespace tessaro
