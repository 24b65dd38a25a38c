#include "merge/Silence.h"

#include <algorithm>
#include <cmath>

#include "io/Files.h"
#include "merge/FileDecoder.h"
#include "merge/MergeJob.h"

namespace tessaro {
namespace {

// Of the blocks the level is measured in.
constexpr double kBlockSeconds = 0.01;
// Blocks decoded at a time, between which the host is asked whether to stop: a second of audio.
constexpr qint64 kBlocksAtATime = 100;

// The mean square of the loudest channel of `count` samples of `channels` interleaved channels.
double LoudestMeanSquare(const float* samples, qint64 count, size_t channels) {
    double loudest = 0;
    for (size_t c = 0; c < channels; ++c) {
        // Four sums side by side, which the processor adds at once.
        double sums[4] = {};
        qint64 i = 0;
        for (; i + 4 <= count; i += 4) {
            for (qint64 k = 0; k < 4; ++k) {
                const double sample = samples[size_t(i + k) * channels + c];
                sums[k] += sample * sample;
            }
        }
        for (; i < count; ++i) {
            const double sample = samples[size_t(i) * channels + c];
            sums[0] += sample * sample;
        }
        loudest = std::max(loudest, sums[0] + sums[1] + sums[2] + sums[3]);
    }
    return loudest / double(count);
}

}  // namespace

std::optional<std::vector<qint64>> SilenceMiddles(const QString& path, const SilenceRule& rule,
                                                  MergeHost& host, QString* error) {
    FileDecoder decoder(path);
    if (!decoder.Error().isEmpty()) {
        *error =
            QStringLiteral("Cannot look for silence in %1: %2").arg(Quoted(path), decoder.Error());
        return std::nullopt;
    }
    const double rate = decoder.SampleRate();
    const qint64 block = std::max<qint64>(std::llround(kBlockSeconds * rate), 1);
    const qint64 shortest = qint64(std::ceil(rule.minSeconds * rate));
    // The threshold as a mean square, which a block's is compared with.
    const double quiet = std::pow(10.0, rule.thresholdDb / 10);
    const size_t channels = size_t(std::max(decoder.Channels(), 1));
    std::vector<qint64> middles;
    qint64 at = 0;           // of the first sample decoded next
    qint64 silentFrom = -1;  // where the silence of the blocks just measured starts; -1 for none
    qint32 shown = 0;
    host.MergeProgress(0, 100);
    decoder.SkipTo(decoder.Lead());
    while (!decoder.AtEnd()) {
        if (host.MergeCancelled()) {
            *error = QStringLiteral("The search for silence was cancelled");
            return std::nullopt;
        }
        const std::vector<float> samples = decoder.Next(block * kBlocksAtATime);
        const qint64 count = qint64(samples.size() / channels);
        for (qint64 from = 0; from < count; from += block) {
            const qint64 start = at + from;
            const bool silent = LoudestMeanSquare(samples.data() + size_t(from) * channels,
                                                  std::min(block, count - from), channels) < quiet;
            if (silent && silentFrom < 0) {
                silentFrom = start;
            } else if (!silent && silentFrom >= 0) {
                if (silentFrom > 0 && start - silentFrom >= shortest) {
                    middles.push_back((silentFrom + start) / 2);
                }
                silentFrom = -1;
            }
        }
        at += count;
        if (const qint32 percent = qint32(decoder.Progress() * 100); percent != shown) {
            shown = percent;
            host.MergeProgress(percent, 0);
        }
    }
    return middles;
}

}  // namespace tessaro
