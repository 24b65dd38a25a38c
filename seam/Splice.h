#pragma once

#include <QtGlobal>
#include <vector>

namespace tessaro {

// The audio around a join, as both inputs' frames decode it, and how the stretch in between
// lies: all positions are samples of the decoder's output from the start of the earlier input's
// first frame taken in. Samples hold a value for each channel.
class Splice {
public:
    // The earlier input's audio up to `earlierEnd`, then that of the inputs `between` them, then
    // the later one's from `laterStart` on: one piece of audio, as recorded.
    Splice(std::vector<float> earlier, qint64 earlierEnd, const std::vector<float>& between,
           const std::vector<float>& later, qint64 laterStart, int channels);
    qint64 Length() const { return qint64(audio.size()) / channels; }
    // Until the splice, the audio lies where the earlier input's frames put it; from then on,
    // `shift` samples further on, where the later input's frames put it. Cross-faded at the point
    // between `from` and `to` where the two agree best.
    void Place(qint64 shift, qint64 from, qint64 to);
    // The samples from `start` on, as many as `count`, with the earlier input's before the
    // splice and the later input's behind it.
    std::vector<float> Samples(qint64 start, qint64 count) const;

    static constexpr qint64 kFadeLength = 512;  // samples over which the two pieces cross-fade

private:
    float Value(qint64 at, int channel) const;

    const int channels;
    std::vector<float> audio;
    qint64 shift = 0;
    qint64 splice = 0;
};

}  // namespace tessaro
