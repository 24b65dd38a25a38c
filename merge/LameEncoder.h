#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

#include "mp3/FrameHeader.h"

struct lame_global_struct;

namespace tessaro {

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

}  // namespace tessaro
