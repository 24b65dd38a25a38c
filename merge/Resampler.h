#pragma once

#include <vector>

struct soxr;

namespace tessaro {

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

}  // namespace tessaro
