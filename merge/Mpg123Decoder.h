#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

#include "mp3/StreamFormat.h"

struct mpg123_handle_struct;

namespace tessaro {

// libmpg123, set up for frames of one format, of any layer: their samples as floats at the
// format's own rate and channels, nothing trimmed (an encoder's delay and padding stay in).
class Mpg123Decoder {
public:
    explicit Mpg123Decoder(const mp3::StreamFormat& format);
    // Decodes the frames as one stream from its start: the samples of each frame in turn,
    // channels interleaved. Empty when the decoder fails on them, or there are none.
    std::vector<float> Decode(const std::vector<QByteArray>& frames);

private:
    std::unique_ptr<mpg123_handle_struct, void (*)(mpg123_handle_struct*)> handle;
    const int channels;
    bool ready = false;
};

}  // namespace tessaro
