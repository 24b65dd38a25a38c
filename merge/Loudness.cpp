#include "merge/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

#include "merge/ChannelMix.h"
#include "merge/InputPass.h"
#include "merge/Mpg123Decoder.h"
#include "mp3/StreamReader.h"

namespace tessaro {
namespace {

// A step of global_gain scales the samples by 2^(1/4): 1.5 dB, or 1.505 more exactly.
const double kStepDb = 20 * std::log10(std::pow(2.0, 0.25));

double StepsToGain(int steps) {
    return std::pow(10.0, GainDb(steps) / 20.0);
}

// BS.1770's loudness of a mean square, and back.
double Lufs(double energy) {
    return -0.691 + 10 * std::log10(energy);
}
double Energy(double lufs) {
    return std::pow(10.0, (lufs + 0.691) / 10);
}

// The integrated loudness of the blocks `blocks` hands out, one by one, to its argument: the mean
// of those above -70 LUFS and no more than 10 LU below the mean of those; -inf when none is.
template <typename Blocks>
double Gated(const Blocks& blocks) {
    const double absolute = Energy(-70);
    const auto mean = [&](double threshold) {
        double sum = 0;
        size_t count = 0;
        blocks([&](double energy) {
            if (energy > threshold) {
                sum += energy;
                ++count;
            }
        });
        return count > 0 ? sum / double(count) : 0;
    };
    const double relative = mean(absolute) * 0.1;
    const double energy = mean(std::max(absolute, relative));
    return energy > 0 ? Lufs(energy) : -HUGE_VAL;
}

using Meter = std::unique_ptr<ebur128_state, void (*)(ebur128_state*)>;

void DestroyMeter(ebur128_state* state) {
    ebur128_destroy(&state);
}

// Takes the 400 ms blocks of decoded audio, one every 100 ms, as heard in `heard` channels (0 for
// its own), stretch by stretch: one of another rate or channels is measured anew.
class BlockMeter {
public:
    explicit BlockMeter(int heard) : heard(size_t(heard)) {}

    void Add(const float* audio, size_t frames, const mp3::StreamFormat& format) {
        if (format != stretch) {
            Start(format);
        }
        if (!meter) {
            return;
        }
        if (channels != own) {
            mixed.clear();
            MixChannels(audio, frames, own, channels, 1, &mixed);
            audio = mixed.data();
        }
        // Up to each 100 ms boundary, where a new block ends.
        while (frames > 0) {
            const size_t part = std::min(frames, step - samples % step);
            ebur128_add_frames_float(meter.get(), audio, part);
            audio += part * channels;
            frames -= part;
            samples += part;
            double lufs = -HUGE_VAL;
            if (samples % step == 0 && samples >= 4 * step &&
                ebur128_loudness_momentary(meter.get(), &lufs) == EBUR128_SUCCESS) {
                all.push_back(float(std::isfinite(lufs) ? Energy(lufs) : 0));
            }
        }
    }
    // The blocks of all the audio added.
    std::vector<float> Finish() {
        EndStretch();
        return std::move(all);
    }

private:
    void Start(const mp3::StreamFormat& format) {
        EndStretch();
        stretch = format;
        own = size_t(format.channels);
        channels = heard > 0 ? heard : own;
        rate = unsigned(std::max(format.sampleRate, 1));
        step = (rate + 5) / 10;  // as the meter counts them
        samples = 0;
        meter.reset(ebur128_init(unsigned(channels), rate, EBUR128_MODE_M));
        stretchStart = all.size();
    }
    // Gating needs 400 ms blocks: a shorter stretch (a jingle, a word) is one block of its own.
    void EndStretch() {
        double lufs = -HUGE_VAL;
        if (meter && all.size() == stretchStart && samples * 1000 / rate > 0 &&
            ebur128_loudness_window(meter.get(), unsigned(samples * 1000 / rate), &lufs) ==
                EBUR128_SUCCESS &&
            std::isfinite(lufs)) {
            all.push_back(float(Energy(lufs)));
        }
        meter.reset();
    }

    const size_t heard;
    mp3::StreamFormat stretch;
    size_t own = 0, channels = 0;
    unsigned rate = 1;
    size_t step = 1;
    size_t samples = 0;  // of the stretch
    Meter meter{nullptr, DestroyMeter};
    std::vector<float> all;   // blocks
    size_t stretchStart = 0;  // the stretch's first block in `all`
    std::vector<float> mixed;
};

}  // namespace

LoudnessPass::LoudnessPass(std::vector<LoudnessInput> inputs)
    : inputs(std::move(inputs)),
      results(this->inputs.size()),
      workers(
          int(this->inputs.size()),
          [this](int i) { results[size_t(i)] = Measure(this->inputs[size_t(i)]); },
          "measuring the loudness of the inputs") {}

InputLoudness LoudnessPass::Measure(const LoudnessInput& input) {
    InputPass pass(input.file, input.path);
    InputLoudness loudness;
    if (pass.Reader().AtEnd()) {
        loudness.failure = pass.Start().failure;
        return loudness;
    }
    const mp3::FrameHeader first = pass.Reader().Header();
    Mpg123Stream decoder{mp3::StreamFormat(first)};
    if (!decoder.Ready()) {
        return loudness;
    }
    loudness.layerIII = first.layer == mp3::FrameHeader::Layer3;
    BlockMeter meter(input.channels);
    const Mpg123Stream::Take take = [&](const float* audio, size_t frames) {
        meter.Add(audio, frames, decoder.Format());
    };
    const PassEnd end = pass.Run(
        [&](const mp3::StreamReader& reader) {
            // An encoder's header frame holds no audio.
            if (!IsHeaderFrame(reader)) {
                decoder.Feed(reader.Frame(), reader.FrameLength(), take);
            }
            return !workers.Stopping();
        },
        &bytesDone);
    decoder.Finish(take);
    loudness.failure = end.failure;
    loudness.blocks = meter.Finish();
    // The decoder's, rather than the meter's, which costs a tenth of the pass.
    loudness.peak = decoder.Peak();
    const double lufs = Gated([&](const auto& use) {
        for (const float block : loudness.blocks) {
            use(block);
        }
    });
    loudness.measured = std::isfinite(lufs);
    loudness.lufs = loudness.measured ? lufs : 0;
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
    for (size_t i = 0; i < inputs.size(); ++i) {
        joined.peak = std::max(joined.peak, inputs[i].peak * StepsToGain(steps[i]));
    }
    // A gain scales every block's mean square by its square.
    const double lufs = Gated([&](const auto& use) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            const double power = std::pow(StepsToGain(steps[i]), 2);
            for (const float block : inputs[i].blocks) {
                use(block * power);
            }
        }
    });
    joined.measured = std::isfinite(lufs);
    joined.lufs = joined.measured ? lufs : 0;
    return joined;
}

}  // namespace tessaro
