#include "merge/LameEncoder.h"

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

}  // namespace

LameEncoder::LameEncoder(const FrameHeader& format, qint32 bitrate, qint32 meanBitrate)
    : flags(lame_init(), lame_close), channels(format.GetChannelCount()) {
    lame_global_flags* gf = flags.get();
    lame_set_num_channels(gf, channels);
    lame_set_in_samplerate(gf, format.GetSampleRate());
    lame_set_out_samplerate(gf, format.GetSampleRate());
    lame_set_mode(gf, format.channelMode == FrameHeader::SingleChannel ? MONO
                      : format.channelMode == FrameHeader::JointStereo ? JOINT_STEREO
                                                                       : STEREO);
    if (bitrate > 0) {
        lame_set_VBR(gf, vbr_off);
        lame_set_brate(gf, bitrate / 1000);
    } else {
        lame_set_VBR(gf, vbr_abr);
        lame_set_VBR_mean_bitrate_kbps(gf, std::max(8, meanBitrate / 1000));
    }
    lame_set_quality(gf, 2);
    lame_set_disable_reservoir(gf, 1);
    lame_set_bWriteVbrTag(gf, 0);
    lame_set_write_id3tag_automatic(gf, 0);
    lame_set_error_protection(gf, 0);
    ready = lame_init_params(gf) >= 0;
}

qint64 LameEncoder::Delay() const {
    return lame_get_encoder_delay(flags.get());
}

std::vector<QByteArray> LameEncoder::Encode(std::vector<float> samples) {
    for (float& sample : samples) {
        sample = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
    }
    const int count = int(samples.size() / size_t(channels));
    std::vector<unsigned char> bytes(size_t(count) * 5 / 4 + 7200 * 2);
    const int written =
        channels == 1 ? lame_encode_buffer_ieee_float(flags.get(), samples.data(), samples.data(),
                                                      count, bytes.data(), int(bytes.size()))
                      : lame_encode_buffer_interleaved_ieee_float(
                            flags.get(), samples.data(), count, bytes.data(), int(bytes.size()));
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

}  // namespace tessaro
