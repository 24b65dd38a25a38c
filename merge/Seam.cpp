#include "merge/Seam.h"

#include <lame/lame.h>
#include <mpg123.h>

#include "io/Files.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

namespace tessaro {
namespace {

using mp3::FrameHeader;

// Samples by which a Layer III decoder's output lags behind what was encoded.
constexpr qint64 kDecoderDelay = 529;
// Frames decoded before the earlier input's audio is trusted: reserved bytes and the filter
// banks need what came before.
constexpr int kWarmUpFrames = 8;
// Frames encoded before the new ones, so that the encoder has the audio before them, and after
// them, so that it has the audio behind them.
constexpr int kLeadFrames = 2;
constexpr int kTrailFrames = 2;
constexpr int kBeforeSeam = kWarmUpFrames + kLeadFrames;  // earlier frames kept around the seam
// The stretch encoded anew is at least this long, so that the splice lies away from its ends,
// where the new frames overlap the old ones.
constexpr qint64 kShortestStretch = 3456;
constexpr qint64 kSpliceLength = 512;  // samples over which the two pieces are cross-faded
constexpr qint64 kMatchLength = 512;   // samples compared to find where they splice best
// Samples kept between the splice and the stretch's ends: a granule of overlap, and half the fade.
constexpr qint64 kEdge = 576 + kSpliceLength / 2;

// The earlier input's last frames the new ones replace: those whose decoded output reaches into
// its padding, and as many more as make the stretch long enough.
int TailFramesReplaced(const SeamInput& earlier, qint64 frameSamples) {
    const qint64 padded =
        (qint64(earlier.padding) - kDecoderDelay + frameSamples - 1) / frameSamples;
    const qint64 stretch = (kShortestStretch + frameSamples - 1) / frameSamples;
    return int(std::max<qint64>(padded, 0) + stretch);
}

// Where the frame's Layer III side information starts, and its main data.
qint32 SideInfoStart(const FrameHeader& header) {
    return 4 + (header.protection == 0 ? 2 : 0);
}
qint32 MainDataStart(const FrameHeader& header) {
    return SideInfoStart(header) + header.GetSideInfoLength();
}

FrameHeader Parse(const QByteArray& frame) {
    FrameHeader header;
    header.ParseHeader(reinterpret_cast<const quint8*>(frame.constData()));
    return header;
}

// How far back a frame can draw on reserved bytes: main_data_begin has 9 bits in MPEG-1, 8 in
// the others.
qint32 FarthestBack(const FrameHeader& header) {
    return header.version == FrameHeader::Mpeg1 ? 511 : 255;
}

// How many bytes before its own main data the frame's main data begins.
qint32 MainDataBegin(const QByteArray& frame) {
    const FrameHeader header = Parse(frame);
    const auto* side = reinterpret_cast<const quint8*>(frame.constData()) + SideInfoStart(header);
    return header.version == FrameHeader::Mpeg1 ? (side[0] << 1) | (side[1] >> 7) : side[0];
}

// The bytes of the frame's main data: the sum of its part2_3_length fields.
qint32 MainDataLength(const QByteArray& frame) {
    const FrameHeader header = Parse(frame);
    const auto* side = reinterpret_cast<const quint8*>(frame.constData()) + SideInfoStart(header);
    const int channels = header.GetChannelCount();
    const bool mpeg1 = header.version == FrameHeader::Mpeg1;
    const auto bits = [side](int at, int count) {
        int value = 0;
        for (int i = at; i < at + count; ++i) {
            value = (value << 1) | ((side[i / 8] >> (7 - i % 8)) & 1);
        }
        return value;
    };
    // main_data_begin, private bits and, for MPEG-1, the scale factor selection information;
    // then per granule and channel 59 (MPEG-1) or 63 bits, the first 12 of them part2_3_length.
    int at = mpeg1 ? 9 + (channels == 1 ? 5 : 3) + 4 * channels : 8 + channels;
    const int granules = mpeg1 ? 2 : 1, fields = mpeg1 ? 59 : 63;
    qint32 total = 0;
    for (int i = 0; i < granules * channels; ++i, at += fields) {
        total += bits(at, 12);
    }
    return (total + 7) / 8;
}

qint32 MainDataRoom(const QByteArray& frame) {
    return qint32(frame.size()) - MainDataStart(Parse(frame));
}

// Decodes the frames as one stream, without trimming anything: the samples of each frame in
// turn, channels interleaved. Empty when the decoder fails.
std::vector<float> Decode(const std::vector<QByteArray>& frames, const FrameHeader& format) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> decoder(mpg123_new(nullptr, nullptr),
                                                                     mpg123_delete);
    const int channels = format.GetChannelCount();
    if (!decoder ||
        mpg123_param(decoder.get(), MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) != MPG123_OK ||
        mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT, 0) !=
            MPG123_OK ||
        mpg123_format_none(decoder.get()) != MPG123_OK ||
        mpg123_format(decoder.get(), format.GetSampleRate(),
                      channels == 1 ? MPG123_MONO : MPG123_STEREO,
                      MPG123_ENC_FLOAT_32) != MPG123_OK ||
        mpg123_open_feed(decoder.get()) != MPG123_OK) {
        return {};
    }
    QByteArray stream;
    for (const QByteArray& frame : frames) {
        stream += frame;
    }
    // The decoder hands a frame out once it has seen the next one begin.
    stream += frames.back();
    if (mpg123_feed(decoder.get(), reinterpret_cast<const unsigned char*>(stream.constData()),
                    size_t(stream.size())) != MPG123_OK) {
        return {};
    }
    const size_t frameValues = size_t(format.GetSampleCount() * channels);
    std::vector<float> samples;
    samples.reserve(frames.size() * frameValues);
    while (samples.size() < frames.size() * frameValues) {
        off_t number = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        const int result = mpg123_decode_frame(decoder.get(), &number, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT) {
            continue;
        }
        if (result != MPG123_OK || bytes != frameValues * sizeof(float)) {
            return {};
        }
        const auto* values = reinterpret_cast<const float*>(audio);
        samples.insert(samples.end(), values, values + frameValues);
    }
    return samples;
}

// The frames in an encoder's output.
std::vector<QByteArray> SplitFrames(const std::vector<unsigned char>& bytes) {
    std::vector<QByteArray> frames;
    for (size_t at = 0; at + 4 <= bytes.size();) {
        FrameHeader header;
        const qint32 length = header.ParseHeader(bytes.data() + at) ? header.GetFrameLength() : 0;
        if (length < 4 || at + size_t(length) > bytes.size()) {
            break;
        }
        frames.emplace_back(reinterpret_cast<const char*>(bytes.data() + at), length);
        at += size_t(length);
    }
    return frames;
}

// LAME, set up to encode like the earlier input, each frame on its own: no frame draws on
// reserved bytes of the frames before it.
class Encoder {
public:
    explicit Encoder(const SeamInput& model) : flags(lame_init(), lame_close) {
        const FrameHeader& format = model.format;
        lame_global_flags* gf = flags.get();
        lame_set_num_channels(gf, format.GetChannelCount());
        lame_set_in_samplerate(gf, format.GetSampleRate());
        lame_set_out_samplerate(gf, format.GetSampleRate());
        lame_set_mode(gf, format.channelMode == FrameHeader::SingleChannel ? MONO
                          : format.channelMode == FrameHeader::JointStereo ? JOINT_STEREO
                                                                           : STEREO);
        if (model.bitrate > 0) {
            lame_set_VBR(gf, vbr_off);
            lame_set_brate(gf, model.bitrate / 1000);
        } else {
            lame_set_VBR(gf, vbr_abr);
            lame_set_VBR_mean_bitrate_kbps(gf, std::max(8, model.meanBitrate / 1000));
        }
        lame_set_quality(gf, 2);
        lame_set_disable_reservoir(gf, 1);
        lame_set_bWriteVbrTag(gf, 0);
        lame_set_write_id3tag_automatic(gf, 0);
        lame_set_error_protection(gf, 0);
        ready = lame_init_params(gf) >= 0;
    }
    bool Ready() const { return ready; }
    qint64 Delay() const { return lame_get_encoder_delay(flags.get()); }
    // Encodes interleaved samples to the end. Damaged frames decode to anything, and LAME
    // aborts on samples far outside full scale, so those are cut to it and NaN silenced.
    std::vector<QByteArray> Encode(std::vector<float> samples, int channels) {
        for (float& sample : samples) {
            sample = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
        }
        const int count = int(samples.size() / size_t(channels));
        std::vector<unsigned char> bytes(size_t(count) * 5 / 4 + 7200 * 2);
        const int written =
            channels == 1
                ? lame_encode_buffer_ieee_float(flags.get(), samples.data(), samples.data(), count,
                                                bytes.data(), int(bytes.size()))
                : lame_encode_buffer_interleaved_ieee_float(flags.get(), samples.data(), count,
                                                            bytes.data(), int(bytes.size()));
        if (written < 0) {
            return {};
        }
        const int flushed =
            lame_encode_flush(flags.get(), bytes.data() + written, int(bytes.size()) - written);
        if (flushed < 0) {
            return {};
        }
        bytes.resize(size_t(written + flushed));
        return SplitFrames(bytes);
    }

private:
    std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> flags;
    bool ready = false;
};

// The audio around the join, as both inputs' frames decode it, and how the stretch in between
// lies: all positions are samples of the decoder's output from the start of the earlier
// input's first frame taken in.
class Splice {
public:
    Splice(std::vector<float> earlier, qint64 earlierEnd, const std::vector<float>& later,
           qint64 laterStart, int channels)
        : channels(channels), audio(std::move(earlier)) {
        // The earlier input's audio up to its padding, then the later one's from behind its
        // delay: one piece of audio, as recorded.
        audio.resize(size_t(earlierEnd * channels));
        audio.insert(audio.end(), later.begin() + laterStart * channels, later.end());
    }
    qint64 Length() const { return qint64(audio.size()) / channels; }
    // Until `at`, the audio lies where the earlier input's frames put it; from then on, `shift`
    // samples further on, where the later input's frames put it. Cross-faded at the point
    // between `from` and `to` where the two agree best.
    void Place(qint64 shift, qint64 from, qint64 to) {
        this->shift = shift;
        splice = (from + to) / 2;
        double best = -2;
        for (qint64 at = from; at < to; ++at) {
            const double match = Match(at);
            if (match > best) {
                best = match;
                splice = at;
            }
        }
    }
    // The samples from `start` on, as many as `count`, with the earlier input's before the
    // splice and the later input's behind it.
    std::vector<float> Samples(qint64 start, qint64 count) const {
        std::vector<float> samples(size_t(count * channels));
        for (qint64 i = 0; i < count; ++i) {
            const qint64 at = start + i;
            const double into = double(at - (splice - kSpliceLength / 2)) / kSpliceLength;
            const double later = into <= 0 ? 0 : into >= 1 ? 1 : 0.5 - 0.5 * std::cos(M_PI * into);
            for (int c = 0; c < channels; ++c) {
                const float a = later < 1 ? Value(at, c) : 0.0f;
                const float b = later > 0 ? Value(at + shift, c) : 0.0f;
                samples[size_t(i * channels + c)] = float((1 - later) * a + later * b);
            }
        }
        return samples;
    }

private:
    float Value(qint64 at, int channel) const {
        return at >= 0 && at < Length() ? audio[size_t(at * channels + channel)] : 0.0f;
    }
    // How alike the audio around `at` is to the audio `shift` samples further on: 1 when it is
    // the same, and silence matches anything.
    double Match(qint64 at) const {
        double both = 0, first = 0, second = 0;
        for (qint64 i = at - kMatchLength / 2; i < at + kMatchLength / 2; ++i) {
            for (int c = 0; c < channels; ++c) {
                const double a = Value(i, c), b = Value(i + shift, c);
                both += a * b;
                first += a * a;
                second += b * b;
            }
        }
        return first * second > 1e-12 ? both / std::sqrt(first * second) : 1;
    }

    const int channels;
    std::vector<float> audio;
    qint64 shift = 0;
    qint64 splice = 0;
};

// The reserved bytes the later input's frames from `first` on draw on, as they stood at the end
// of the frames before it; empty with *fits false when those frames do not hold that many.
QByteArray ReservedBytes(const std::vector<QByteArray>& frames, size_t first, bool* fits) {
    qint32 needed = 0;
    qint32 since = 0;  // main data bytes from frame `first` up to the frame looked at
    for (size_t i = first; i < frames.size() && since < FarthestBack(Parse(frames[i])); ++i) {
        needed = std::max(needed, MainDataBegin(frames[i]) - since);
        since += MainDataRoom(frames[i]);
    }
    QByteArray before;
    for (size_t i = 0; i < first; ++i) {
        before += frames[i].mid(MainDataStart(Parse(frames[i])));
    }
    *fits = before.size() >= needed;
    return *fits ? before.right(needed) : QByteArray();
}

// Puts the new frames' main data one behind the other, each as early as it may begin, so that
// `reserved` fits behind the last; the last `widened` frames get the highest bitrate for room.
// False when they cannot hold it all.
bool Pack(std::vector<QByteArray>* frames, const QByteArray& reserved, size_t widened) {
    QByteArray stream;  // the main data of all the frames, one behind the other
    std::vector<QByteArray> packed;
    qint64 end = 0;  // of the main data placed so far
    for (size_t i = 0; i < frames->size(); ++i) {
        const QByteArray& frame = (*frames)[i];
        FrameHeader header = Parse(frame);
        const qint32 start = MainDataStart(header);
        if (i + widened >= frames->size()) {
            header.bitrateIndex = 14;
            header.padding = 0;
        }
        const qint64 areaStart = stream.size();
        const qint64 room = header.GetFrameLength() - start;
        const qint32 own = MainDataLength(frame);
        const qint64 begin = std::max(end, areaStart - FarthestBack(header));
        if (begin + own > areaStart + room) {
            return false;
        }
        stream.append(QByteArray(room, '\0'));
        std::memcpy(stream.data() + begin, frame.constData() + start, size_t(own));
        end = begin + own;
        QByteArray head = frame.left(start);
        head[2] =
            char((quint8(frame[2]) & 0x0D) | (header.bitrateIndex << 4) | (header.padding << 1));
        // main_data_begin: 9 bits for MPEG-1, 8 for the others.
        const qint64 back = areaStart - begin;
        auto* side = reinterpret_cast<quint8*>(head.data()) + SideInfoStart(header);
        if (header.version == FrameHeader::Mpeg1) {
            side[0] = quint8(back >> 1);
            side[1] = quint8((side[1] & 0x7F) | ((back & 1) << 7));
        } else {
            side[0] = quint8(back);
        }
        packed.push_back(head);
    }
    if (end + reserved.size() > stream.size()) {
        return false;
    }
    stream.replace(stream.size() - reserved.size(), reserved.size(), reserved);
    for (qint64 i = 0, at = 0; i < qint64(packed.size()); ++i) {
        const qint64 room = Parse(packed[size_t(i)]).GetFrameLength() - packed[size_t(i)].size();
        (*frames)[size_t(i)] = packed[size_t(i)] + stream.mid(at, room);
        at += room;
    }
    return true;
}

Seam Failed(const QString& why) {
    Seam seam;
    seam.failure = why;
    return seam;
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
    return true;
}

int EarlierFramesNeeded(const SeamInput& earlier) {
    return kBeforeSeam + TailFramesReplaced(earlier, earlier.format.GetSampleCount());
}

namespace {

// Why no seam can be made between the two inputs; empty when one can.
QString Refusal(const SeamInput& earlier, const SeamInput& later) {
    const FrameHeader& format = earlier.format;
    const qint64 frameSamples = format.GetSampleCount();
    if (earlier.delay < 0 || later.delay < 0) {
        return QStringLiteral(
                   "the header of the %1 one does not tell its encoder's delay and "
                   "padding")
            .arg(earlier.delay < 0 ? QStringLiteral("first") : QStringLiteral("second"));
    }
    if (format.layer != FrameHeader::Layer3 || later.format.layer != FrameHeader::Layer3 ||
        later.format.version != format.version ||
        later.format.GetSampleRate() != format.GetSampleRate() ||
        later.format.GetChannelCount() != format.GetChannelCount()) {
        return QStringLiteral("the formats differ");
    }
    if (earlier.padding < kDecoderDelay ||
        later.delay + kDecoderDelay >= kLaterFramesNeeded * frameSamples / 2) {
        return QStringLiteral("their headers tell a delay and padding no encoder writes");
    }
    const size_t taken = size_t(EarlierFramesNeeded(earlier));
    if (earlier.frames.size() < taken || later.frames.size() < size_t(kLaterFramesNeeded)) {
        return QStringLiteral("an input is too short");
    }
    const auto whole = [&format](const QByteArray& frame) {
        const FrameHeader header = Parse(frame);
        return header.version == format.version && header.layer == format.layer &&
               header.sampleRateIndex == format.sampleRateIndex &&
               header.GetChannelCount() == format.GetChannelCount() && header.bitrateIndex > 0 &&
               header.bitrateIndex < 15 && frame.size() == header.GetFrameLength();
    };
    if (!std::all_of(earlier.frames.begin(), earlier.frames.end(), whole) ||
        !std::all_of(later.frames.begin(), later.frames.end(), whole)) {
        return QStringLiteral("the frames around it are damaged or of another format");
    }
    // The earlier frames the decoder starts with must hold the reserved bytes of those it is
    // trusted from on.
    qint32 reserve = 0;
    for (size_t i = 0; i < taken; ++i) {
        if (i + 2 >= size_t(kWarmUpFrames) && MainDataBegin(earlier.frames[i]) > reserve) {
            return QStringLiteral("the earlier input's frames draw on too many reserved bytes");
        }
        reserve += MainDataRoom(earlier.frames[i]);
    }
    return {};
}

// The new frames for the stretch of `count` frames behind the earlier input's first
// kBeforeSeam frames taken in; empty with *why set when the encoder fails.
std::vector<QByteArray> EncodeStretch(const SeamInput& earlier, const Splice& splice, qint64 count,
                                      QString* why) {
    const qint64 frameSamples = earlier.format.GetSampleCount();
    Encoder encoder(earlier);
    if (!encoder.Ready()) {
        *why = QStringLiteral("the encoder does not take the earlier input's format");
        return {};
    }
    // The encoder's first frame starts kLeadFrames frames before the stretch; its last ones,
    // kTrailFrames behind it, are dropped.
    const qint64 first =
        (kBeforeSeam - kLeadFrames) * frameSamples + encoder.Delay() + kDecoderDelay;
    const qint64 end = (kBeforeSeam + count + kTrailFrames) * frameSamples;
    std::vector<QByteArray> frames =
        encoder.Encode(splice.Samples(first, end - first), earlier.format.GetChannelCount());
    if (qint64(frames.size()) < kLeadFrames + count) {
        *why = QStringLiteral("the encoder gave too few frames");
        return {};
    }
    frames.erase(frames.begin(), frames.begin() + kLeadFrames);
    frames.resize(size_t(count));
    for (const QByteArray& frame : frames) {
        if (Parse(frame).GetSampleRate() != earlier.format.GetSampleRate() ||
            MainDataBegin(frame) != 0) {
            *why = QStringLiteral("the encoder's frames do not fit in");
            return {};
        }
    }
    return frames;
}

}  // namespace

Seam MakeSeam(const SeamInput& earlier, const SeamInput& later) {
    if (const QString refusal = Refusal(earlier, later); !refusal.isEmpty()) {
        return Failed(refusal);
    }
    const FrameHeader& format = earlier.format;
    const qint64 frameSamples = format.GetSampleCount();
    const int replaced = TailFramesReplaced(earlier, frameSamples);
    const std::vector<float> before = Decode(earlier.frames, format);
    const std::vector<float> after = Decode(later.frames, format);
    if (before.empty() || after.empty()) {
        return Failed(QStringLiteral("their frames cannot be decoded"));
    }
    const qint64 laterStart = later.delay + kDecoderDelay;
    Splice splice(before, (kBeforeSeam + replaced) * frameSamples - earlier.padding + kDecoderDelay,
                  after, laterStart, format.GetChannelCount());
    // The later input's first frames up to the one its audio starts in are replaced, or more
    // when the frames behind them draw on more reserved bytes than the new frames can carry.
    const int firstKept = int(std::max<qint64>(1, (laterStart + frameSamples - 1) / frameSamples));
    for (int laterReplaced = firstKept; laterReplaced < firstKept + 3; ++laterReplaced) {
        // What the replaced frames hold of the audio, in whole new frames: what is left over
        // is the shift.
        const qint64 span =
            (replaced + laterReplaced) * frameSamples - earlier.padding - later.delay;
        const qint64 count = (span + frameSamples / 2) / frameSamples;
        const qint64 shift = span - count * frameSamples;
        const qint64 stretchStart = kBeforeSeam * frameSamples;
        splice.Place(shift, stretchStart + kEdge, stretchStart + count * frameSamples - kEdge);
        QString why;
        const std::vector<QByteArray> frames = EncodeStretch(earlier, splice, count, &why);
        if (frames.empty()) {
            return Failed(why);
        }
        bool fits = false;
        const QByteArray reserved = ReservedBytes(later.frames, size_t(laterReplaced), &fits);
        // As few frames as may be made wider, to keep the bitrate where it was.
        for (size_t widened = 0; fits && widened <= frames.size(); ++widened) {
            std::vector<QByteArray> packed = frames;
            if (Pack(&packed, reserved, widened)) {
                return {std::move(packed), replaced, laterReplaced, qint32(shift), {}};
            }
        }
    }
    return Failed(QStringLiteral("the later input's frames draw on too many reserved bytes"));
}

namespace {

// The delay, padding, format and first frames of `path`, as the seam in front of it needs them.
SeamInput PeekSeamInput(const QString& path) {
    SeamInput input;
    mp3::StreamReader reader(path);
    for (; !reader.AtEnd() && input.frames.size() < size_t(kLaterFramesNeeded); reader.Advance()) {
        if (reader.FrameIndex() > 0 ||
            !ReadEncoderHeader(reader.Frame(), reader.FrameLength(), &input)) {
            input.frames.emplace_back(reinterpret_cast<const char*>(reader.Frame()),
                                      reader.FrameLength());
        }
    }
    return input;
}

}  // namespace

std::vector<FrameView> SeamMaker::StartInput(const QString& path, QStringList* warnings) {
    std::vector<FrameView> frames;
    if (on && !earlierPath.isEmpty()) {
        current.frames.clear();
        for (const FrameView& frame : kept) {
            current.frames.emplace_back(reinterpret_cast<const char*>(frame.data), frame.length);
        }
        const Seam seam = MakeSeam(current, PeekSeamInput(path));
        if (!seam.failure.isEmpty()) {
            *warnings << QStringLiteral("%1 and %2 are joined as they are, not seamlessly: %3")
                             .arg(Quoted(earlierPath), Quoted(path), seam.failure);
        }
        frames.assign(kept.begin(), kept.end() - seam.earlierReplaced);
        for (const QByteArray& frame : seam.frames) {
            const auto keeper = std::make_shared<const QByteArray>(frame);
            frames.push_back({reinterpret_cast<const quint8*>(keeper->constData()),
                              qint32(keeper->size()), keeper});
        }
        skip = seam.laterReplaced;
    }
    earlierPath = path;
    current = {};
    kept.clear();
    keep = 0;
    audioBytes = 0;
    audioSeconds = 0;
    return frames;
}

SeamMaker::Taken SeamMaker::Take(const quint8* data, qint32 length,
                                 const std::shared_ptr<const void>& keeper, bool first) {
    if (!on) {
        return {};
    }
    if (first && ReadEncoderHeader(data, length, &current)) {
        keep = size_t(EarlierFramesNeeded(current));
        return {};
    }
    FrameHeader header;
    header.ParseHeader(data);
    const qint32 bitrate = header.GetBitrate();
    current.bitrate = audioBytes == 0 || bitrate == current.bitrate ? bitrate : 0;
    audioBytes += length;
    audioSeconds += header.GetDuration();
    current.meanBitrate = audioSeconds > 0 ? qint32(double(audioBytes) * 8 / audioSeconds) : 0;
    if (first || (skip == 0 && keep == 0)) {
        return {};
    }
    if (skip > 0) {
        --skip;  // the seam's new frames stand in its place
        return {false, {}};
    }
    kept.push_back({data, length, keeper});
    if (kept.size() <= keep) {
        return {false, {}};
    }
    Taken taken{false, std::move(kept.front())};
    kept.pop_front();
    return taken;
}

std::vector<FrameView> SeamMaker::Release() {
    std::vector<FrameView> frames(kept.begin(), kept.end());
    kept.clear();
    return frames;
}

double SeamMaker::KeptSeconds() const {
    double seconds = 0;
    for (const FrameView& frame : kept) {
        FrameHeader header;
        header.ParseHeader(frame.data);
        seconds += header.GetDuration();
    }
    return seconds;
}

}  // namespace tessaro
