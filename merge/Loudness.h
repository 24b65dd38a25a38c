#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "merge/Pass.h"

namespace tessaro {

class InputFile;
struct PlannedInput;

// What one input measures, decoded: its integrated loudness (ITU-R BS.1770 with EBU R128
// gating) and its highest sample.
struct InputLoudness {
    bool measured = false;  // false when it held no frame that decodes, or holds only silence
    bool layerIII = false;  // whether its first frame is of Layer III, whose gain can change
    double lufs = 0;
    double peak = 0;  // of the samples, 1.0 being full scale
    // The mean square of each 400 ms gating block, K-weighted and summed over the channels, one
    // every 100 ms; an input too short for one block is measured as one block of its length.
    std::vector<float> blocks;
    QString failure;  // why the join fails for it: it could not be read whole as opened
};

// The input to measure: the file as opened for the join, and the channels it is heard in once
// joined (0 for its own: those it is re-encoded to, mixed as the encoding mixes them).
struct LoudnessInput {
    QString path;
    std::shared_ptr<InputFile> file;
    int channels = 0;
};

// The inputs of a join as they are measured: each re-encoded one heard in the first input's
// channels, mixed as its encoding mixes them.
std::vector<LoudnessInput> LoudnessInputs(const std::vector<PlannedInput>& inputs);

// Measures the inputs, each on one thread, from the frames the join copies.
class LoudnessPass : public ParallelPass<LoudnessInput, InputLoudness> {
public:
    explicit LoudnessPass(std::vector<LoudnessInput> inputs);
};

// The gain of `steps` steps of global_gain, in dB.
double GainDb(int steps);

// The whole number of 1.5 dB gain steps that brings an input of `loudness` nearest to `target`
// LUFS, fewer while its peak would go above full scale (then *heldBack is set).
int GainSteps(const InputLoudness& loudness, double target, bool* heldBack);

// The whole number of gain steps that brings the inputs played one after the other, as one
// album, nearest to `target` LUFS (gated over the blocks of all of them, as ReplayGain's album
// gain is), fewer while the highest of their peaks would go above full scale (then *heldBack is
// set).
int AlbumGainSteps(const std::vector<InputLoudness>& inputs, double target, bool* heldBack);

// The loudness and peak of the inputs played one after the other, each `steps[i]` gain steps
// louder: the gating over the blocks of all of them, as a meter of the joined audio gates.
InputLoudness JoinedLoudness(const std::vector<InputLoudness>& inputs,
                             const std::vector<int>& steps);

}  // namespace tessaro
