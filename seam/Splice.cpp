#include "seam/Splice.h"

#include <cmath>
#include <utility>

namespace tessaro {
namespace {

constexpr qint64 kMatchLength = 512;  // samples compared to find where the pieces splice best

}  // namespace

Splice::Splice(std::vector<float> earlier, qint64 earlierEnd, const std::vector<float>& between,
               const std::vector<float>& later, qint64 laterStart, int channels)
    : channels(channels), audio(std::move(earlier)) {
    audio.resize(size_t(earlierEnd * channels));
    audio.insert(audio.end(), between.begin(), between.end());
    audio.insert(audio.end(), later.begin() + laterStart * channels, later.end());
}

void Splice::Place(qint64 shift, qint64 from, qint64 to) {
    this->shift = shift;
    splice = (from + to) / 2;
    // How alike the audio in a window around each point is to the audio `shift` samples further
    // on: 1 when it is the same, and silence matches anything. The window's sums slide along
    // a sample at a time, so that the search takes time in proportion to its length.
    double both = 0, first = 0, second = 0;
    const auto add = [&](qint64 i, double sign) {
        for (int c = 0; c < channels; ++c) {
            const double a = Value(i, c), b = Value(i + shift, c);
            both += sign * a * b;
            first += sign * a * a;
            second += sign * b * b;
        }
    };
    for (qint64 i = from - kMatchLength / 2; i < from + kMatchLength / 2; ++i) {
        add(i, 1);
    }
    double best = -2;
    for (qint64 at = from; at < to; ++at) {
        if (at > from) {
            add(at - 1 - kMatchLength / 2, -1);
            add(at - 1 + kMatchLength / 2, 1);
        }
        const double match = first * second > 1e-12 ? both / std::sqrt(first * second) : 1;
        if (match > best) {
            best = match;
            splice = at;
        }
    }
}

std::vector<float> Splice::Samples(qint64 start, qint64 count) const {
    std::vector<float> samples(size_t(count * channels));
    for (qint64 i = 0; i < count; ++i) {
        const qint64 at = start + i;
        const double into = double(at - (splice - kFadeLength / 2)) / kFadeLength;
        const double later = into <= 0 ? 0 : into >= 1 ? 1 : 0.5 - 0.5 * std::cos(M_PI * into);
        for (int c = 0; c < channels; ++c) {
            const float a = later < 1 ? Value(at, c) : 0.0f;
            const float b = later > 0 ? Value(at + shift, c) : 0.0f;
            samples[size_t(i * channels + c)] = float((1 - later) * a + later * b);
        }
    }
    return samples;
}

float Splice::Value(qint64 at, int channel) const {
    return at >= 0 && at < Length() ? audio[size_t(at * channels + channel)] : 0.0f;
}

}  // namespace tessaro
