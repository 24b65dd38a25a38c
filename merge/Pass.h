#pragma once

#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>

#include "codec/Codec.h"
#include "merge/Workers.h"
#include "mp3/InputPass.h"

namespace tessaro {

// A pass that decodes inputs of a join before their frames are copied (measuring their loudness,
// re-encoding them), as the join awaits it: it starts once made, and stops early, its results
// incomplete, when cancelled or destroyed.
class Pass {
public:
    virtual ~Pass() = default;

    // Waits until every input is done (or the pass stopped), at most `timeout`; whether it is.
    [[nodiscard]] virtual bool WaitFor(std::chrono::milliseconds timeout) = 0;
    // The bytes of frames decoded so far, for the progress.
    virtual qint64 BytesDone() const = 0;
    // Leaves the inputs not yet begun, and has those begun end soon.
    virtual void Cancel() = 0;
};

// How a pass decodes each input's frames: counted for the progress, and stopped with the pass.
class PassDecoding {
public:
    PassDecoding(const Workers& workers, std::atomic<qint64>& bytesDone)
        : workers(workers), bytesDone(bytesDone) {}

    // Hands what the frames of `input` decode to, from the frame it stands on (an encoder's
    // header frame left out), to `take`, until the last or until the pass stops or `going`
    // returns false; then what the decoder still holds. The verdict is the input's, as ever.
    [[nodiscard]] PassEnd Decode(
        InputPass& input, Mpg123Stream& decoder, const Mpg123Stream::Take& take,
        const std::function<bool()>& going = [] { return true; }) const;

private:
    const Workers& workers;
    std::atomic<qint64>& bytesDone;
};

// The one shape of those passes: each input's Result, by the inputs' order, made by `job` on one
// of as many threads as there are cores. What the job uses beyond its input it holds itself,
// as the threads start in this constructor and stop in this destructor.
template <typename Input, typename Result>
class ParallelPass : public Pass {
public:
    using Job = std::function<Result(const Input&, const PassDecoding&)>;

    // `purpose` names what the threads are for, should the system refuse them.
    ParallelPass(std::vector<Input> inputs, Job job, const char* purpose)
        : inputs(std::move(inputs)),
          job(std::move(job)),
          results(this->inputs.size()),
          workers(
              int(this->inputs.size()),
              [this](int i) {
                  results[size_t(i)] =
                      this->job(this->inputs[size_t(i)], PassDecoding(workers, bytesDone));
              },
              purpose) {}

    bool WaitFor(std::chrono::milliseconds timeout) override { return workers.WaitFor(timeout); }
    qint64 BytesDone() const override { return bytesDone; }
    void Cancel() override { workers.Stop(); }
    // Read once WaitFor() said all are done.
    const std::vector<Result>& Results() const { return results; }

private:
    const std::vector<Input> inputs;
    const Job job;
    std::vector<Result> results;
    std::atomic<qint64> bytesDone{0};
    Workers workers;  // last, so that they stop before what they use goes
};

}  // namespace tessaro
