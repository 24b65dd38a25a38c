#pragma once

#include <cstddef>
#include <vector>

namespace tessaro {

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
