#include "merge/Mpg123Decoder.h"

#include <mpg123.h>

#include <mutex>

#include "mp3/FrameHeader.h"

namespace tessaro {

Mpg123Decoder::Mpg123Decoder(const mp3::StreamFormat& format)
    : handle(nullptr, mpg123_delete), channels(format.channels) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    handle.reset(mpg123_new(nullptr, nullptr));
    mpg123_handle* decoder = handle.get();
    ready = decoder && mpg123_param(decoder, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) == MPG123_OK &&
            mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT, 0) ==
                MPG123_OK &&
            mpg123_format_none(decoder) == MPG123_OK &&
            mpg123_format(decoder, format.sampleRate, channels == 1 ? MPG123_MONO : MPG123_STEREO,
                          MPG123_ENC_FLOAT_32) == MPG123_OK;
}

std::vector<float> Mpg123Decoder::Decode(const std::vector<QByteArray>& frames) {
    // Opening the feed anew forgets the stream decoded before.
    if (!ready || frames.empty() || mpg123_open_feed(handle.get()) != MPG123_OK) {
        return {};
    }
    QByteArray stream;
    for (const QByteArray& frame : frames) {
        stream += frame;
    }
    // The decoder hands a frame out once it has seen the next one begin.
    stream += frames.back();
    if (mpg123_feed(handle.get(), reinterpret_cast<const unsigned char*>(stream.constData()),
                    size_t(stream.size())) != MPG123_OK) {
        return {};
    }
    std::vector<float> samples;
    for (const QByteArray& frame : frames) {
        mp3::FrameHeader header;
        const bool parsed =
            frame.size() >= 4 && header.ParseHeader(reinterpret_cast<const quint8*>(frame.data()));
        const size_t values = parsed ? size_t(header.GetSampleCount() * channels) : 0;
        off_t number = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int result = MPG123_NEW_FORMAT;
        while (result == MPG123_NEW_FORMAT) {
            result = mpg123_decode_frame(handle.get(), &number, &audio, &bytes);
        }
        if (result != MPG123_OK || values == 0 || bytes != values * sizeof(float)) {
            return {};
        }
        const auto* decoded = reinterpret_cast<const float*>(audio);
        samples.insert(samples.end(), decoded, decoded + values);
    }
    return samples;
}

}  // namespace tessaro
