#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "merge/Pass.h"
#include "mp3/FrameHeader.h"
#include "seam/Seam.h"

namespace tessaro {

class InputFile;
class SpillFile;

// What inputs of another format are encoded to: the first input's format, at its bitrate where
// every audio frame has one, else at the VBR quality its LAME header tells (at its mean bitrate
// where that quality is one LAME stores for several settings), else at -V 2.
struct ConformTarget {
    mp3::FrameHeader format;  // of its first audio frame
    qint32 bitrate = 0;       // 0 for VBR
    int vbrQuality = 2;       // -1 to aim at meanBitrate instead
    qint32 meanBitrate = 0;
};

// The VBR quality (-V) of LAME's whose header frame stores `stored` as its quality: 100 - 10 *
// the quality - the algorithm quality's penalty. -1 where LAME 3.100 stores the same for several:
// 50 for -V 5, 7 and 8, 40 for -V 6 and 9.
int VbrQualityOf(quint32 stored);

// Reads the target from the first input's frames (opened anew from `path` when `file` is null);
// why the join fails for it, when it cannot be read as opened, in *failure.
ConformTarget TargetOf(const std::shared_ptr<InputFile>& file, const QString& path,
                       QString* failure = nullptr);

// An input to re-encode: the file as opened for the join, and the gain its audio gets, in dB.
struct ConformInput {
    QString path;
    std::shared_ptr<InputFile> file;
    double gainDb = 0;
};

// What an input became: a part of the spill file holding it encoded as the target says, and the
// encoder's delay and padding, which a header frame in front tells only where the target's frames
// are large enough to hold one (not at 48 kbps or less at 22.05 or 24 kHz, say); null with why
// the join fails in `error`, which names the input.
struct Conformed {
    std::shared_ptr<InputFile> file;
    QString error;
    QString warning{};  // names the damaged frames silence stood in for; empty when none
    EncoderSilence silence{};
};

// Re-encodes the inputs, each on one thread: each is decoded without its encoder's delay and
// padding, resampled to the target's rate (libsoxr's high-quality recipe), mixed to its channels
// (mono to both, stereo to their mean) and encoded.
class ConformPass : public ParallelPass<ConformInput, Conformed> {
public:
    // What each input becomes goes into `spill`.
    ConformPass(std::vector<ConformInput> inputs, const ConformTarget& target, SpillFile& spill);
};

}  // namespace tessaro
