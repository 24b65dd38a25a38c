#pragma once

#include <QByteArray>
#include <functional>
#include <memory>
#include <vector>

#include "mp3/StreamFormat.h"

struct mpg123_handle_struct;

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

}  // namespace tessaro
