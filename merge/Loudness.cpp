#include "merge/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "io/InputFile.h"
#include "merge/Mpg123Decoder.h"
#include "mp3/StreamReader.h"
#include "mp3/XingHeader.h"

namespace tessaro {
namespace {

// A step of global_gain scales the samples by 2^(1/4): 1.5 dB, or 1.505 more exactly.
const double kStepDb = 20 * std::log10(std::pow(2.0, 0.25));

double StepsToGain(int steps) {
    return std::pow(10.0, GainDb(steps) / 20.0);
}

using Meter = std::unique_ptr<ebur128_state, void (*)(ebur128_state*)>;

void DestroyMeter(ebur128_state* state) {
    ebur128_destroy(&state);
}

}  // namespace

LoudnessPass::LoudnessPass(std::vector<LoudnessInput> inputs)
    : inputs(std::move(inputs)),
      results(this->inputs.size()),
      workers(int(this->inputs.size()),
              [this](int i) { results[size_t(i)] = Measure(this->inputs[size_t(i)]); }) {}

InputLoudness LoudnessPass::Measure(const LoudnessInput& input) {
    QString ignored;  // the join says why an input cannot be read
    mp3::StreamReader reader(input.file ? input.file : InputFile::Open(input.path, &ignored),
                             input.path);
    if (reader.AtEnd()) {
        return {};
    }
    const mp3::FrameHeader first = reader.Header();
    // The samples keep the first frame's rate and channels, whatever follows.
    Mpg123Stream decoder{mp3::StreamFormat(first)};
    if (!decoder.Ready()) {
        return {};
    }
    InputLoudness loudness;
    loudness.layerIII = first.layer == mp3::FrameHeader::Layer3;
    const unsigned channels = unsigned(first.GetChannelCount());
    Meter meter(ebur128_init(channels, unsigned(first.GetSampleRate()),
                             EBUR128_MODE_I | EBUR128_MODE_HISTOGRAM),
                DestroyMeter);
    if (!meter) {
        return {};
    }
    size_t samples = 0;
    // Kept here rather than by the meter, whose peak costs a tenth of the pass: the magnitude's
    // bits, which order as the magnitudes do, so that the loop runs on vector registers.
    quint32 peakBits = 0;
    const Mpg123Stream::Take take = [&](const float* audio, size_t frames) {
        const auto* bits = reinterpret_cast<const quint32*>(audio);
        for (size_t i = 0; i < frames * channels; ++i) {
            peakBits = std::max(peakBits, bits[i] & 0x7FFFFFFFu);
        }
        ebur128_add_frames_float(meter.get(), audio, frames);
        samples += frames;
    };
    for (; !reader.AtEnd() && !workers.Stopping(); reader.Advance()) {
        // An encoder's header frame holds no audio.
        if (reader.FrameIndex() == 0 &&
            mp3::XingHeader::IsEncoderHeader(reader.Frame(), reader.FrameLength())) {
            continue;
        }
        bytesDone += reader.FrameLength();
        decoder.Feed(reader.Frame(), reader.FrameLength(), take);
    }
    double lufs = -HUGE_VAL;
    ebur128_loudness_global(meter.get(), &lufs);
    loudness.measured = std::isfinite(lufs);
    loudness.lufs = loudness.measured ? lufs : 0;
    float peak = 0;
    std::memcpy(&peak, &peakBits, sizeof peak);
    loudness.peak = peak;
    loudness.seconds = double(samples) / first.GetSampleRate();
    return loudness;
}

double GainDb(int steps) {
    return steps * kStepDb;
}

int GainSteps(const InputLoudness& loudness, double target, bool* heldBack) {
    *heldBack = false;
    if (!loudness.measured) {
        return 0;
    }
    int steps = int(std::lround((target - loudness.lufs) / kStepDb));
    while (steps > 0 && loudness.peak * StepsToGain(steps) > 1.0) {
        --steps;
        *heldBack = true;
    }
    return steps;
}

InputLoudness JoinedLoudness(const std::vector<InputLoudness>& inputs,
                             const std::vector<int>& steps) {
    InputLoudness joined;
    std::vector<double> levels;  // of each input's loudness once levelled, as energy
    for (size_t i = 0; i < inputs.size(); ++i) {
        const double gain = StepsToGain(steps[i]);
        joined.peak = std::max(joined.peak, inputs[i].peak * gain);
        joined.seconds += inputs[i].seconds;
        levels.push_back(inputs[i].measured ? std::pow(10.0, inputs[i].lufs / 10.0) * gain * gain
                                            : 0);
    }
    // The mean energy of the inputs at or above `threshold`, weighted by their lengths.
    const auto mean = [&](double threshold) {
        double energy = 0, seconds = 0;
        for (size_t i = 0; i < inputs.size(); ++i) {
            if (levels[i] > 0 && levels[i] >= threshold) {
                energy += levels[i] * inputs[i].seconds;
                seconds += inputs[i].seconds;
            }
        }
        return seconds > 0 ? energy / seconds : 0;
    };
    // As the meter's relative gate, 10 LU below the whole, leaves out what is much quieter.
    const double energy = mean(0.1 * mean(0));
    joined.measured = energy > 0;
    joined.lufs = joined.measured ? 10 * std::log10(energy) : 0;
    return joined;
}

}  // namespace tessaro
