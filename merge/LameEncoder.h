#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

#include "mp3/FrameHeader.h"

struct lame_global_struct;

namespace tessaro {

// libmp3lame, set up to encode Layer III frames at the sampling rate and in the channel mode of
// `format`, at `bitrate` bits per second, or, where that is 0, at `meanBitrate` on average. Each
// frame stands on its own: none draws on reserved bytes of the frames before it. No header frame
// and no tag are written.
class LameEncoder {
public:
    LameEncoder(const mp3::FrameHeader& format, qint32 bitrate, qint32 meanBitrate);
    // Whether LAME takes the settings.
    bool Ready() const { return ready; }
    // Samples of silence the encoder puts in front of what it encodes.
    qint64 Delay() const;
    // Encodes interleaved samples to the end. Damaged frames decode to anything, and LAME
    // aborts on samples far outside full scale, so those are cut to it and NaN silenced. Empty
    // when the encoder fails.
    std::vector<QByteArray> Encode(std::vector<float> samples);

private:
    std::unique_ptr<lame_global_struct, int (*)(lame_global_struct*)> flags;
    const int channels;
    bool ready = false;
};

}  // namespace tessaro
