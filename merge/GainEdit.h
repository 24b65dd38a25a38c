#pragma once

#include <QStringList>
#include <cstddef>
#include <memory>
#include <vector>

#include "seam/Seam.h"

namespace tessaro {

struct InputLoudness;
struct JoinOptions;
struct PlannedInput;

// How levelling changes an input without decoding it: the global_gain of each of its Layer III
// frames raised or lowered by whole steps of 1.5 dB.
class GainEdit {
public:
    // The gain steps each of `inputs` gets by its `loudness`, aiming at the options' target
    // LUFS, each alone or all as one album as they ask, with a warning in *warnings for gain held
    // back lest peaks clip and for each input whose frames carry none.
    static std::vector<int> Settle(const std::vector<PlannedInput>& inputs,
                                   const std::vector<InputLoudness>& loudness,
                                   const JoinOptions& options, QStringList* warnings);
    // The frame `gain` steps louder; an encoder's header frame and frames of other layers as they
    // are. Copies lie one behind the other in blocks of their own, so that the writer takes them
    // in runs, as it takes frames as read.
    FrameView Levelled(const FrameView& frame, int gain, bool firstOfFile);

private:
    static constexpr size_t kBlock = 1 << 20;
    std::shared_ptr<std::vector<quint8>> block;  // levelled frames are copied into
    size_t used = 0;
};

}  // namespace tessaro
