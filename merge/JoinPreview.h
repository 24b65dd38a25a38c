#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "merge/JoinOptions.h"
#include "merge/MergeJob.h"

// Errors: a preview that cannot be made says why in its `error`, in words a user reads, as the
// join does; nothing throws.

namespace tessaro {

// Some seconds on both sides of the join of two entries, decoded as the merge will join them.
struct JoinPreview {
    qint32 sampleRate = 0;
    qint32 channels = 0;
    std::vector<float> samples;  // channels interleaved, 1.0 being full scale
    // Samples per channel from the first of `samples` to where the later entry's audio starts.
    qint64 joinAt = 0;
    QString error;  // why there is no preview; empty when it was made
};

// Whether a preview of a join of a list of `entries` under `options` measures the whole list
// first: album levelling gives every input the one gain of them all.
bool PreviewMeasuresList(const JoinOptions& options, qsizetype entries);

// The last `seconds` of the entry at `entry` of `list` and the first `seconds` of the next, as a
// merge of the whole list with `options` joins them: gap, seam and gain included. The engine
// joins the two into a temporary file, with no chapters, tag or cover, and levelled as an album
// with the gain of the whole list, measured first; the samples are those of decoding that file
// whole from its start, taken around the place where the later entry's audio starts. Entries
// shorter than `seconds` are taken whole. `host` hears the join's progress and may cancel it.
JoinPreview PreviewJoin(const QStringList& list, int entry, const JoinOptions& options,
                        double seconds, MergeHost& host);

}  // namespace tessaro
