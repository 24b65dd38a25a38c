#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <vector>

#include "mp3/FrameHeader.h"

namespace tessaro {

// An input as a seam sees it.
struct SeamInput {
    mp3::FrameHeader format;  // of its first audio frame
    qint32 delay = -1;        // samples its encoder put in front; -1 when its header does not say
    qint32 padding = -1;      // samples its encoder appended; -1 when its header does not say
    qint32 bitrate = 0;       // bits per second of every audio frame; 0 when it varies
    qint32 meanBitrate = 0;   // over all its audio frames
    // Copies of its audio frames at the seam: the earlier input's last ones (as many as
    // EarlierFramesNeeded), the later input's first ones (kLaterFramesNeeded).
    std::vector<QByteArray> frames;
};

// What takes the place of the end of one input and the start of the next, so that the decoded
// audio runs on from the one into the other without the encoders' silence between them.
struct Seam {
    std::vector<QByteArray> frames;  // the new frames
    int earlierReplaced = 0;         // last frames of the earlier input they take the place of
    int laterReplaced = 0;           // first frames of the later input they take the place of
    // Samples by which the later input's audio comes early (dropped) or, below 0, late
    // (repeated): each input's frames keep their own grid, so what is left of the sum of the
    // padding and the delay over whole frames cannot go anywhere else.
    qint32 shift = 0;
    QString failure;  // why no seam could be made; empty when it was
};

// Takes the encoder's delay and padding, and the format, from an input's first frame when that
// is a header frame with a LAME extension; false when it is not.
bool ReadEncoderHeader(const quint8* frame, qint32 length, SeamInput* input);

// The number of frames at the end of `earlier` a seam takes in, once its header is known.
int EarlierFramesNeeded(const SeamInput& earlier);
constexpr int kLaterFramesNeeded = 16;

// Decodes the frames on both sides of the join, puts the two pieces of audio together, and
// encodes that stretch anew with the earlier input's format and bitrate, on the same grid of
// frames, so that the frames around it still fit: the new frames do not draw on reserved bytes
// of frames before them, and the last one carries the reserved bytes the later input's frames
// after it draw on.
Seam MakeSeam(const SeamInput& earlier, const SeamInput& later);

// A frame where it lies, and what keeps its bytes there.
struct FrameView {
    const quint8* data = nullptr;
    qint32 length = 0;
    std::shared_ptr<const void> keeper;
};

// The seams of a join as it goes, input by input: what is known of the input being joined, and
// its last frames, kept back until the next input shows whether a seam can be made. Off, it keeps
// nothing back and every frame is written as it comes.
class SeamMaker {
public:
    explicit SeamMaker(bool on) : on(on) {}

    // Starts the input at `path`, which holds frames: the frames to write before its own, those
    // the input before kept back and the seam's, or, where no seam can be made, the kept ones
    // alone and a warning naming both inputs.
    std::vector<FrameView> StartInput(const QString& path, QStringList* warnings);
    // What becomes of a frame of the input, its first when `first`: written now or not (replaced
    // by the seam in front, or kept back where it lies), and a kept frame to be written now in
    // its stead.
    struct Taken {
        bool writeNow = true;
        FrameView released;
    };
    Taken Take(const quint8* data, qint32 length, const std::shared_ptr<const void>& keeper,
               bool first);
    // The frames still kept back, to be written at the end, and the seconds they play.
    std::vector<FrameView> Release();
    double KeptSeconds() const;

private:
    const bool on;
    QString earlierPath;         // of the input joined last; empty before the first
    SeamInput current;           // what is known of the input being joined
    std::deque<FrameView> kept;  // its last frames
    size_t keep = 0;             // frames the seam behind the input needs kept back
    int skip = 0;                // first frames of the input the seam in front of it replaced
    qint64 audioBytes = 0;
    double audioSeconds = 0;
};

}  // namespace tessaro
