#include "codec/Codec.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>

namespace tessaro {
namespace {

using mp3::FrameHeader;

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

void SetRate(lame_global_flags* gf, const LameSettings& settings) {
    if (settings.bitrate > 0) {
        lame_set_VBR(gf, vbr_off);
        lame_set_brate(gf, settings.bitrate / 1000);
    } else if (settings.vbrQuality >= 0) {
        lame_set_VBR(gf, vbr_default);
        lame_set_VBR_quality(gf, float(settings.vbrQuality));
    } else {
        lame_set_VBR(gf, vbr_abr);
        lame_set_VBR_mean_bitrate_kbps(gf, std::max(8, settings.meanBitrate / 1000));
    }
}

}  // namespace

LameEncoder::LameEncoder(const LameSettings& settings)
    : flags(lame_init(), lame_close), channels(settings.format.GetChannelCount()) {
    const FrameHeader& format = settings.format;
    lame_global_flags* gf = flags.get();
    lame_set_num_channels(gf, channels);
    lame_set_in_samplerate(gf, format.GetSampleRate());
    lame_set_out_samplerate(gf, format.GetSampleRate());
    lame_set_mode(gf, format.channelMode == FrameHeader::SingleChannel ? MONO
                      : format.channelMode == FrameHeader::JointStereo ? JOINT_STEREO
                                                                       : STEREO);
    SetRate(gf, settings);
    if (settings.quality >= 0) {
        lame_set_quality(gf, settings.quality);
    }
    lame_set_disable_reservoir(gf, settings.standalone);
    lame_set_bWriteVbrTag(gf, !settings.standalone);
    lame_set_write_id3tag_automatic(gf, 0);
    lame_set_error_protection(gf, 0);
    ready = lame_init_params(gf) >= 0;
}

qint64 LameEncoder::Delay() const {
    return lame_get_encoder_delay(flags.get());
}

qint64 LameEncoder::Padding() const {
    return lame_get_encoder_padding(flags.get());
}

std::vector<QByteArray> LameEncoder::Encode(std::vector<float> samples) {
    std::vector<unsigned char> bytes;
    if (!Add(std::move(samples), &bytes) || !Finish(&bytes)) {
        return {};
    }
    return SplitFrames(bytes);
}

bool LameEncoder::Add(std::vector<float> samples, std::vector<unsigned char>* bytes) {
    for (float& sample : samples) {
        sample = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
    }
    const int count = int(samples.size() / size_t(channels));
    const size_t at = bytes->size();
    bytes->resize(at + size_t(count) * 5 / 4 + 7200);
    const int room = int(bytes->size() - at);
    const int written =
        channels == 1 ? lame_encode_buffer_ieee_float(flags.get(), samples.data(), samples.data(),
                                                      count, bytes->data() + at, room)
                      : lame_encode_buffer_interleaved_ieee_float(flags.get(), samples.data(),
                                                                  count, bytes->data() + at, room);
    bytes->resize(at + size_t(std::max(written, 0)));
    return written >= 0;
}

bool LameEncoder::Finish(std::vector<unsigned char>* bytes) {
    const size_t at = bytes->size();
    bytes->resize(at + 7200 * 2);
    const int flushed = lame_encode_flush(flags.get(), bytes->data() + at, 7200 * 2);
    bytes->resize(at + size_t(std::max(flushed, 0)));
    return flushed >= 0;
}

QByteArray LameEncoder::HeaderFrame() const {
    unsigned char frame[2881];
    const size_t length = lame_get_lametag_frame(flags.get(), frame, sizeof frame);
    return QByteArray(reinterpret_cast<const char*>(frame), qsizetype(length));
}

}  // namespace tessaro
