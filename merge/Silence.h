#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

// Errors: a file that gives no audio, or a search the host cancels, gives no silences and says
// why in *error, in words a user reads.

namespace tessaro {

class MergeHost;

// What counts as a silence to cut a recording at: a stretch of at least `minSeconds` whose level
// stays below `thresholdDb` dBFS (the RMS of the loudest channel, 1.0 being full scale).
struct SilenceRule {
    double minSeconds = 2;
    double thresholdDb = -50;
};

// The middle of every silence of the audio of the file at `path` by `rule`, in order, in samples
// of its timeline as players show it (behind the encoder's and decoder's delay where its header
// tells the encoder's, as a join counts an input's audio from there). The level is measured in
// blocks of about 10 ms, so that neither dither nor a single click breaks a silence; a silence
// runs from the first block below the threshold to the last. Silence at the very start or end
// of the audio is no place to cut. The file is decoded once, as FileDecoder decodes it; `host`
// is told the percent decoded and polled to cancel.
std::optional<std::vector<qint64>> SilenceMiddles(const QString& path, const SilenceRule& rule,
                                                  MergeHost& host, QString* error);

}  // namespace tessaro
