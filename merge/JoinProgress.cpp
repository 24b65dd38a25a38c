#include "merge/JoinProgress.h"

#include <algorithm>

#include "merge/JoinPlan.h"
#include "merge/MergeJob.h"

namespace tessaro {
namespace {

// Of levelling and re-encoding: the decoding and encoding take far longer than the copy, so most
// of the bar is theirs.
constexpr double kPassShare = 0.9;

}  // namespace

// With nothing to do, all is done. Also reckons how many bytes must be written before the part
// done can change again.
void JoinProgress::Report(qint64 passBytes, qint64 written) {
    passDone = passBytes;
    const double total = double(std::max<qint64>(plan.Total(), 1));
    const double passShare = passTotal > 0 ? kPassShare : 0;
    const double passes = passTotal > 0 ? passShare * double(passDone) / double(passTotal) : 0;
    const double done = passes + (1 - passShare) * double(written) / total;
    const qint32 percent =
        plan.Total() > 0 ? qint32(std::min<qint64>(100, qint64(done * 100.0))) : 100;
    if (percent != shown) {
        shown = percent;
        host.MergeProgress(shown, 0);
    }
    const double due = ((shown + 1) / 100.0 - passes) / (1 - passShare) * total;
    nextReport = std::max(written + 1, qint64(std::min(due, 0x1p62)));
}

void JoinProgress::Complete() {
    if (shown < 100) {
        host.MergeProgress(100, 0);
    }
}

}  // namespace tessaro
