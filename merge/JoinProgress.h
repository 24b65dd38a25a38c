#pragma once

#include <QtGlobal>

namespace tessaro {

class JoinPlan;
class MergeHost;

// The bar of a join: the part of its work done, the passes' decoding and encoding (most of it,
// where there are passes) and the writing of the inputs' audio, in whole percent truncated
// toward zero, told to the host when it changes.
class JoinProgress {
public:
    // The audio to write is `plan`'s, as it stands when the part done is reckoned.
    JoinProgress(MergeHost& host, const JoinPlan& plan) : host(host), plan(plan) {}

    // Counts `bytes` more for the passes to decode.
    void AddPassBytes(qint64 bytes) { passTotal += bytes; }
    // All the passes decode, and what they have decoded as last reported.
    qint64 PassBytes() const { return passTotal; }
    qint64 PassBytesDone() const { return passDone; }
    // Takes the passes to have decoded `passBytes` and the copy to have written `written` bytes,
    // and tells the host the part done where it changed.
    void Report(qint64 passBytes, qint64 written);
    // Takes the copy to have written `written` bytes: reports where the part done may have
    // changed, so that most frames cost no reckoning.
    void Written(qint64 written) {
        if (written >= nextReport) {
            Report(passDone, written);
        }
    }
    // Fills the bar once the join is complete: frames a seam or re-encoding replaced are counted
    // by what took their place.
    void Complete();

private:
    MergeHost& host;
    const JoinPlan& plan;
    qint64 passTotal = 0;  // bytes the passes decode: every input to level, those to re-encode
    qint64 passDone = 0;
    qint32 shown = -1;      // percent last reported
    qint64 nextReport = 0;  // bytes written from which on the percent may have changed
};

}  // namespace tessaro
