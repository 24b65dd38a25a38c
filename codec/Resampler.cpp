#include "codec/Codec.h"

#include <soxr.h>

namespace tessaro {
namespace {

// Samples of room, beyond what the ratio makes of those given, for each call into libsoxr.
constexpr size_t kRoom = 8192;

}  // namespace

Resampler::Resampler(double from, double to, unsigned channels)
    : channels(channels), ratio(to / from) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    handle = soxr_create(from, to, channels, &error, &io, &quality, nullptr);
    if (error) {
        handle = nullptr;
    }
}

Resampler::~Resampler() {
    soxr_delete(handle);
}

std::vector<float> Resampler::Process(const std::vector<float>& samples) {
    if (!handle) {
        return {};
    }
    const size_t count = samples.size() / channels;
    const size_t room = size_t(double(count) * ratio) + kRoom;
    std::vector<float> out;
    for (size_t taken = 0;;) {
        const size_t made = out.size() / channels;
        out.resize((made + room) * channels);
        size_t used = 0, gave = 0;
        soxr_process(handle, count > 0 ? samples.data() + taken * channels : nullptr, count - taken,
                     &used, out.data() + made * channels, room, &gave);
        taken += used;
        out.resize((made + gave) * channels);
        if (count > 0 ? taken >= count && gave < room : gave == 0) {
            return out;
        }
    }
}

}  // namespace tessaro
