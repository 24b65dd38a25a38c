#include "codec/Codec.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "mp3/FrameHeader.h"

namespace tessaro {
namespace {

// A decoder for frames of `format`, or null when libmpg123 does not take it.
Mpg123Handle OpenDecoder(const mp3::StreamFormat& format) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    Mpg123Handle handle(mpg123_new(nullptr, nullptr), mpg123_delete);
    mpg123_handle* decoder = handle.get();
    const bool ready =
        decoder && mpg123_param(decoder, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) == MPG123_OK &&
        mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT, 0) ==
            MPG123_OK &&
        mpg123_format_none(decoder) == MPG123_OK &&
        mpg123_format(decoder, format.sampleRate,
                      format.channels == 1 ? MPG123_MONO : MPG123_STEREO,
                      MPG123_ENC_FLOAT_32) == MPG123_OK;
    if (!ready) {
        handle.reset();
    }
    return handle;
}

// Samples per channel that a frame of `format` decodes to.
qint32 FrameSamples(const mp3::StreamFormat& format) {
    mp3::FrameHeader header;
    header.version = format.version;
    header.layer = format.layer;
    return header.GetSampleCount();
}

}  // namespace

Mpg123Decoder::Mpg123Decoder(const mp3::StreamFormat& format)
    : handle(OpenDecoder(format)), channels(format.channels) {}

std::vector<float> Mpg123Decoder::Decode(const std::vector<QByteArray>& frames) {
    // Opening the feed anew forgets the stream decoded before.
    if (!handle || frames.empty() || mpg123_open_feed(handle.get()) != MPG123_OK) {
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

Mpg123Stream::Mpg123Stream(const mp3::StreamFormat& format)
    : handle(nullptr, mpg123_delete), format(format) {
    StartStretch(format, [](const float*, size_t) {});
}

void Mpg123Stream::StartStretch(const mp3::StreamFormat& next, const Take& take) {
    Finish(take);
    handle = OpenDecoder(next);
    if (handle && mpg123_open_feed(handle.get()) != MPG123_OK) {
        handle.reset();
    }
    format = next;
    channels = size_t(next.channels);
    frameSamples = size_t(FrameSamples(next));
}

void Mpg123Stream::Feed(const quint8* frame, qint32 length, const Take& take) {
    mp3::FrameHeader header;
    if (length >= 4 && header.ParseHeader(frame)) {
        if (const mp3::StreamFormat of(header); of != format) {
            StartStretch(of, take);
        }
    }
    // A stretch of a format the decoder does not take is heard as silence.
    if (!handle) {
        ++fed;
        StandIn(1, take);
        return;
    }
    mpg123_feed(handle.get(), frame, size_t(length));
    last = QByteArray(reinterpret_cast<const char*>(frame), length);
    ++fed;
    Drain(take);
    // A frame the decoder skips never comes out, but for the one it holds until the next
    // begins. Frames it cannot take (free-format ones too short for their side information) it
    // also keeps and searches through again for every frame fed after them, which took time that
    // grew with the square of their number: the feed is opened anew without them.
    if (fed - decoded > 1) {
        mpg123_open_feed(handle.get());
        StandIn(fed - decoded, take);
    }
}

void Mpg123Stream::Finish(const Take& take) {
    if (decoded >= fed) {
        return;
    }
    mpg123_feed(handle.get(), reinterpret_cast<const unsigned char*>(last.constData()),
                size_t(last.size()));
    Drain(take);
    StandIn(fed - decoded, take);
}

void Mpg123Stream::Drain(const Take& take) {
    off_t number = 0;
    unsigned char* audio = nullptr;
    size_t bytes = 0;
    // Twice full scale: no encoder makes that of audio within full scale, damaged side
    // information does. A magnitude's bits order as the magnitudes do; infinities and NaNs lie
    // above.
    constexpr quint32 kDamaged = 0x40000000;
    for (int result = MPG123_OK;
         decoded < fed && (result == MPG123_OK || result == MPG123_NEW_FORMAT);) {
        result = mpg123_decode_frame(handle.get(), &number, &audio, &bytes);
        const size_t count = result == MPG123_OK ? bytes / sizeof(float) / channels : 0;
        if (count == 0) {
            continue;
        }
        const auto* bits = reinterpret_cast<const quint32*>(audio);
        quint32 peak = 0;
        for (size_t i = 0; i < count * channels; ++i) {
            peak = std::max(peak, bits[i] & 0x7FFFFFFFu);
        }
        if (peak >= kDamaged) {
            StandIn(1, take);
        } else {
            peakBits = std::max(peakBits, peak);
            ++decoded;
            take(reinterpret_cast<const float*>(audio), count);
        }
    }
}

float Mpg123Stream::Peak() const {
    float peak = 0;
    std::memcpy(&peak, &peakBits, sizeof peak);
    return peak;
}

void Mpg123Stream::StandIn(qint64 frames, const Take& take) {
    if (frames <= 0) {
        return;
    }
    firstDamaged = firstDamaged < 0 ? decoded : firstDamaged;
    damaged += frames;
    decoded += frames;
    const std::vector<float> silence(size_t(frames) * frameSamples * channels, 0.0f);
    take(silence.data(), size_t(frames) * frameSamples);
}

}  // namespace tessaro
