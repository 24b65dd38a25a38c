#include "merge/Loudness.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <numeric>
#include <optional>

#include "codec/Codec.h"
#include "merge/JoinPlan.h"
#include "mp3/InputPass.h"
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

// BS.1770's K-weighting at one sampling rate, a high shelf and then a high-pass, as one filter
// of the fourth order in direct form II, with the coefficients libebur128 works out for any rate.
struct KWeighting {
    explicit KWeighting(double rate) {
        // The shelf.
        double k = std::tan(M_PI * 1681.974450955533 / rate);
        const double q = 0.7071752369554196;
        const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        double a0 = 1.0 + k / q + k * k;
        const double pb[3] = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
                              (vh - vb * k / q + k * k) / a0};
        const double pa[3] = {1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
        // The high-pass.
        k = std::tan(M_PI * 38.13547087602444 / rate);
        const double rq = 0.5003270373238773;
        a0 = 1.0 + k / rq + k * k;
        const double rb[3] = {1.0, -2.0, 1.0};
        const double ra[3] = {1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / rq + k * k) / a0};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                b[size_t(i + j)] += pb[i] * rb[j];
                a[size_t(i + j)] += pa[i] * ra[j];
            }
        }
    }

    std::array<double, 5> b{}, a{};
};

// MPEG audio has one or two channels, each of weight 1 in BS.1770.
constexpr size_t kMostChannels = 2;

// One channel's filter and the sum of the squares of what it gave, kept in registers while a run
// of samples goes through.
struct ChannelFilter {
    void Take(float sample, const KWeighting& k) {
        auto& [v1, v2, v3, v4] = v;
        // The last sample's term last, as it alone is waited for.
        const double v0 = double(sample) - k.a[4] * v4 - k.a[3] * v3 - k.a[2] * v2 - k.a[1] * v1;
        const double out = k.b[0] * v0 + k.b[1] * v1 + k.b[2] * v2 + k.b[3] * v3 + k.b[4] * v4;
        sum += out * out;
        v = {v0, v1, v2, v3};
    }

    std::array<double, 4> v;  // the filter's last four states, the newest first
    double sum = 0;
};

// Takes the 400 ms blocks of decoded audio, one every 100 ms, as heard in `heard` channels (0 for
// its own), stretch by stretch: one of another rate or channels is measured anew. Each sample is
// filtered and its square summed once, into the sum of its 100 ms step; a block adds four steps.
class BlockMeter {
public:
    explicit BlockMeter(int heard) : heard(size_t(heard)) {}

    void Add(const float* audio, size_t frames, const mp3::StreamFormat& format) {
        if (format != stretch) {
            Start(format);
        }
        if (!filter) {
            return;
        }
        if (channels != own) {
            mixed.clear();
            MixChannels(audio, frames, own, channels, 1, &mixed);
            audio = mixed.data();
        }
        // Up to each 100 ms boundary, where a step ends.
        while (frames > 0) {
            const size_t part = std::min(frames, step - filled);
            partial += channels == 1 ? Filtered<1>(audio, part) : Filtered<2>(audio, part);
            audio += part * channels;
            frames -= part;
            filled += part;
            if (filled == step) {
                EndStep();
            }
        }
        // As libebur128 does: a filter left ringing in silence would go on in denormals.
        for (auto& channel : state) {
            for (double& v : channel) {
                v = std::abs(v) < DBL_MIN ? 0.0 : v;
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
        step = (rate + 5) / 10;  // as meters round 100 ms
        filter.reset();
        if (channels >= 1 && channels <= kMostChannels) {
            filter.emplace(rate);
        }
        state = {};
        partial = 0;
        filled = steps = 0;
    }

    // The sum of the squares of `frames` frames of `Channels` interleaved channels, filtered, the
    // channels side by side so that each one's filter waits less on its last sample.
    template <size_t Channels>
    double Filtered(const float* audio, size_t frames) {
        const KWeighting k = *filter;
        ChannelFilter first{state[0]}, second{state[1]};
        for (size_t i = 0; i < frames; ++i, audio += Channels) {
            first.Take(audio[0], k);
            if constexpr (Channels == 2) {
                second.Take(audio[1], k);
            }
        }
        state = {first.v, second.v};
        return first.sum + second.sum;
    }
    void EndStep() {
        last[steps % last.size()] = partial;
        partial = 0;
        filled = 0;
        if (++steps >= last.size()) {
            all.push_back(float((last[0] + last[1] + last[2] + last[3]) / double(4 * step)));
        }
    }
    // Gating needs 400 ms blocks: a shorter stretch (a jingle, a word) of at least a millisecond
    // is one block of its own.
    void EndStretch() {
        const size_t samples = steps * step + filled;
        if (filter && steps < last.size() && samples * 1000 / rate > 0) {
            const double sum = std::accumulate(last.begin(), last.begin() + steps, partial);
            if (sum > 0) {
                all.push_back(float(sum / double(samples)));
            }
        }
        filter.reset();
    }

    const size_t heard;
    mp3::StreamFormat stretch;
    size_t own = 0, channels = 0;
    unsigned rate = 1;
    size_t step = 1;
    std::optional<KWeighting> filter;  // of the stretch; none for no channel or too many
    std::array<std::array<double, 4>, kMostChannels> state{};  // of the filter, channel by channel
    double partial = 0;                                        // the sum of the step being filled
    size_t filled = 0;                                         // samples of it
    size_t steps = 0;                                          // of the stretch
    std::array<double, 4> last{};  // the sums of the last four steps, by their count
    std::vector<float> all;        // blocks
    std::vector<float> mixed;
};

// What the join reads of `input` measures.
InputLoudness Measure(const LoudnessInput& input, const PassDecoding& decoding) {
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
    const PassEnd end = decoding.Decode(pass, decoder, take);
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

}  // namespace

std::vector<LoudnessInput> LoudnessInputs(const std::vector<PlannedInput>& inputs) {
    const auto first = std::find_if(inputs.begin(), inputs.end(),
                                    [](const PlannedInput& input) { return input.hasFrames; });
    const int channels = first == inputs.end() ? 0 : first->format.channels;
    std::vector<LoudnessInput> heard;
    for (const PlannedInput& input : inputs) {
        heard.push_back({input.path, input.file, input.reencode ? channels : 0});
    }
    return heard;
}

LoudnessPass::LoudnessPass(std::vector<LoudnessInput> inputs)
    : ParallelPass(std::move(inputs), Measure, "measuring the loudness of the inputs") {}

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

int AlbumGainSteps(const std::vector<InputLoudness>& inputs, double target, bool* heldBack) {
    return GainSteps(JoinedLoudness(inputs, std::vector<int>(inputs.size(), 0)), target, heldBack);
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
