#pragma once

// The codecs a join decodes and encodes with: libmpg123, LAME and libsoxr, and channel mixing.
// Errors: a codec that does not take its settings says so in Ready(); a call that fails gives no
// samples or frames (empty), or false.

#include <QByteArray>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "mp3/FrameHeader.h"
#include "mp3/StreamFormat.h"

struct mpg123_handle_struct;
struct lame_global_struct;
struct soxr;

namespace tessaro {

using Mpg123Handle = std::unique_ptr<mpg123_handle_struct, void (*)(mpg123_handle_struct*)>;

// libmpg123, set up for frames of one format, of any layer: their samples as floats at the
// format's own rate and channels, nothing trimmed (an encoder's delay and padding stay in).
class Mpg123Decoder {
public:
    explicit Mpg123Decoder(const mp3::StreamFormat& format);
    // Decodes the frames as one stream from its start: the samples of each frame in turn,
    // channels interleaved. Empty when the decoder fails on them, or there are none.
    std::vector<float> Decode(const std::vector<QByteArray>& frames);

private:
    Mpg123Handle handle;
    const int channels;
};

// The same decoder fed a whole stream frame by frame, without holding it: what each frame
// decodes to goes to `take`, channels interleaved, with its count of samples per channel. A
// damaged frame, one the decoder skips or one that decodes far beyond full scale, gives a
// frame of silence instead, so that the audio keeps its length and no burst of noise. A stretch
// of frames of another format is decoded as a stream of its own, in its own rate and channels.
class Mpg123Stream {
public:
    using Take = std::function<void(const float* samples, size_t count)>;

    explicit Mpg123Stream(const mp3::StreamFormat& format);
    bool Ready() const { return bool(handle); }
    // Of the samples handed to `take` as it is called.
    const mp3::StreamFormat& Format() const { return format; }
    void Feed(const quint8* frame, qint32 length, const Take& take);
    // Decodes the last frame fed, where the decoder holds it until it sees another begin.
    void Finish(const Take& take);
    // The damaged frames silence stood in for, and the place among those fed of the first.
    qint64 Damaged() const { return damaged; }
    qint64 FirstDamaged() const { return firstDamaged; }
    // The highest magnitude of the samples handed on, 1.0 being full scale.
    float Peak() const;

private:
    void Drain(const Take& take);
    // Hands on silence for `frames` frames the decoder could not give.
    void StandIn(qint64 frames, const Take& take);
    // Ends the stretch decoded so far and starts one of `next`, with no decoder when it does not
    // take that format.
    void StartStretch(const mp3::StreamFormat& next, const Take& take);

    Mpg123Handle handle;
    mp3::StreamFormat format;
    size_t channels;
    size_t frameSamples;
    QByteArray last;  // frame fed
    qint64 fed = 0;   // frames
    qint64 decoded = 0;
    qint64 damaged = 0;
    qint64 firstDamaged = -1;
    quint32 peakBits = 0;  // of Peak(), as the magnitudes' bits, which order as they do
};

// How LAME is to encode: Layer III frames at the sampling rate and in the channel mode of
// `format`, at `bitrate` bits per second, or, where that is 0, at VBR quality `vbrQuality`, or,
// where that is -1 too, at `meanBitrate` on average.
struct LameSettings {
    mp3::FrameHeader format;
    qint32 bitrate = 0;
    qint32 meanBitrate = 0;
    int vbrQuality = -1;
    // Frames that stand on their own, none drawing on reserved bytes of the frames before it, and
    // no header frame; otherwise a whole file as LAME's front end writes it.
    bool standalone = true;
    // LAME's choice of algorithms, 0 (best) to 9, 2 being the near-best it recommends; -1 for its
    // own, as its front end chooses by default.
    int quality = -1;
};

// libmp3lame, set up as `settings` say. No tag is written.
class LameEncoder {
public:
    explicit LameEncoder(const LameSettings& settings);
    // Whether LAME takes the settings.
    bool Ready() const { return ready; }
    // Samples of silence the encoder puts in front of what it encodes.
    qint64 Delay() const;
    // Samples of silence it appended to what it encoded, once finished.
    qint64 Padding() const;
    // Encodes interleaved samples to the end. Empty when the encoder fails.
    std::vector<QByteArray> Encode(std::vector<float> samples);
    // Encodes more interleaved samples, and then the end, putting what comes out behind *bytes;
    // false when the encoder fails. Damaged frames decode to anything, and LAME aborts on samples
    // far outside full scale, so those are cut to it and NaN silenced.
    [[nodiscard]] bool Add(std::vector<float> samples, std::vector<unsigned char>* bytes);
    [[nodiscard]] bool Finish(std::vector<unsigned char>* bytes);
    // The header frame of a whole file, to write over the one it started with once finished.
    QByteArray HeaderFrame() const;

private:
    std::unique_ptr<lame_global_struct, int (*)(lame_global_struct*)> flags;
    const int channels;
    bool ready = false;
};

// Interleaved float samples from one sampling rate to another, as a stream, by libsoxr's
// high-quality recipe.
class Resampler {
public:
    Resampler(double from, double to, unsigned channels);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Whether libsoxr took the rates and channels.
    bool Ready() const { return handle != nullptr; }
    // What the samples become; with none, what the resampler still holds.
    std::vector<float> Process(const std::vector<float>& samples);

private:
    soxr* handle = nullptr;
    const unsigned channels;
    const double ratio;
};

// Appends `count` samples of `from` interleaved channels to *out as `to` channels, each times
// `gain`: mono goes to both channels, stereo to their mean, as an input re-encoded to another
// channel count is heard.
inline void MixChannels(const float* in, size_t count, size_t from, size_t to, float gain,
                        std::vector<float>* out) {
    const size_t start = out->size();
    out->resize(start + count * to);
    float* mixed = out->data() + start;
    for (size_t i = 0; i < count; ++i, in += from, mixed += to) {
        for (size_t c = 0; c < to; ++c) {
            mixed[c] = gain * (from > to ? (in[0] + in[1]) / 2 : in[from == to ? c : 0]);
        }
    }
}

}  // namespace tessaro
