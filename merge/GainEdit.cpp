#include "merge/GainEdit.h"

#include <algorithm>
#include <cstring>

#include "io/Files.h"
#include "merge/JoinOptions.h"
#include "merge/JoinPlan.h"
#include "merge/Loudness.h"
#include "mp3/LayerIII.h"
#include "mp3/XingHeader.h"

namespace tessaro {

namespace {

// The `gain` steps levelling settled for `input`, or none where its frames carry no gain, with a
// warning then.
int Carried(const PlannedInput& input, const InputLoudness& loudness, int gain,
            QStringList* warnings) {
    // A re-encoded input, of whatever layer, takes its gain in its encoding.
    if (gain != 0 && !loudness.layerIII && !input.reencode) {
        *warnings << QStringLiteral(
                         "%1 is not of Layer III, whose frames alone carry a gain: it keeps its "
                         "own level")
                         .arg(Quoted(input.path));
        return 0;
    }
    return gain;
}

// The album's gain, with a warning naming the input of the highest peak when that held it back.
int AlbumGain(const std::vector<PlannedInput>& inputs, const std::vector<InputLoudness>& loudness,
              double target, QStringList* warnings) {
    bool heldBack = false;
    const int gain = AlbumGainSteps(loudness, target, &heldBack);
    if (heldBack) {
        const auto loudest = std::max_element(
            loudness.begin(), loudness.end(),
            [](const InputLoudness& a, const InputLoudness& b) { return a.peak < b.peak; });
        *warnings << QStringLiteral(
                         "The inputs were made %1 dB louder only, as more would clip the peaks "
                         "of %2")
                         .arg(GainDb(gain), 0, 'f', 1)
                         .arg(Quoted(inputs[size_t(loudest - loudness.begin())].path));
    }
    return gain;
}

}  // namespace

std::vector<int> GainEdit::Settle(const std::vector<PlannedInput>& inputs,
                                  const std::vector<InputLoudness>& loudness,
                                  const JoinOptions& options, QStringList* warnings) {
    const double target = options.levelTarget;
    const int album = !options.levelAlbum      ? 0
                      : options.albumGainSteps ? *options.albumGainSteps
                                               : AlbumGain(inputs, loudness, target, warnings);
    std::vector<int> steps;
    for (size_t i = 0; i < inputs.size(); ++i) {
        bool heldBack = false;
        const int wanted = options.levelAlbum ? album : GainSteps(loudness[i], target, &heldBack);
        steps.push_back(Carried(inputs[i], loudness[i], wanted, warnings));
        // Unless it keeps its own level anyway.
        if (heldBack && steps.back() == wanted) {
            *warnings << QStringLiteral(
                             "%1 was made %2 dB louder only, as more would clip its peaks")
                             .arg(Quoted(inputs[i].path))
                             .arg(GainDb(wanted), 0, 'f', 1);
        }
    }
    return steps;
}

FrameView GainEdit::Levelled(const FrameView& frame, int gain, bool firstOfFile) {
    mp3::FrameHeader header;
    if (gain == 0 || !header.ParseHeader(frame.data) || header.layer != mp3::FrameHeader::Layer3 ||
        (firstOfFile && mp3::XingHeader::IsEncoderHeader(frame.data, frame.length))) {
        return frame;
    }
    if (!block || used + size_t(frame.length) > block->size()) {
        block = std::make_shared<std::vector<quint8>>(kBlock);
        used = 0;
    }
    quint8* copy = block->data() + used;
    std::memcpy(copy, frame.data, size_t(frame.length));
    used += size_t(frame.length);
    // A frame too short to hold the side information goes out as it is.
    static_cast<void>(mp3::AddGlobalGain(copy, frame.length, gain));
    return {copy, frame.length, block};
}

}  // namespace tessaro
