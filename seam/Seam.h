#pragma once

// Seams: the few frames around a join decoded and encoded anew, so that one input's audio runs
// on into the next without the encoders' silence, and the join's seams as it goes.
// Errors: a seam that cannot be made says why in its `failure`; SeamMaker's calls give why the
// join fails in *failure and what it only warns about in *warnings.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "mp3/FrameHeader.h"

namespace mp3 {
class StreamReader;
}

namespace tessaro {

// The silence an encoder put at both ends of what it encoded, in samples.
struct EncoderSilence {
    qint32 delay = 0;
    qint32 padding = 0;
};

// An input as a seam sees it.
struct SeamInput {
    mp3::FrameHeader format;  // of its first audio frame
    qint32 delay = -1;        // samples its encoder put in front; -1 when its header does not say
    qint32 padding = -1;      // samples its encoder appended; -1 when its header does not say
    qint32 bitrate = 0;       // bits per second of every audio frame; 0 when it varies
    qint32 meanBitrate = 0;   // over all its audio frames
    // Audio frames its header counts, known where it tells the padding too.
    std::optional<quint32> counted;
    // Copies of its audio frames at the seam: the earlier input's last ones (at least
    // EarlierFramesNeeded, and in front of them those whose reserved bytes they may draw on),
    // the later input's first ones (kLaterFramesNeeded).
    std::vector<QByteArray> frames;
    // Of the earlier input: the audio of inputs too short for seams of their own that follow it,
    // which the seam takes in whole, in its channels.
    std::vector<float> absorbed;
    // Samples of `absorbed` that are silence put between the inputs, which stays as long as it
    // was made: the seam shifts the audio within the earlier input's instead.
    qint64 silence = 0;
    bool ours = false;  // encoded by the join itself
};

// What takes the place of the end of one input and the start of the next, so that the decoded
// audio runs on from the one into the other without the encoders' silence between them.
struct Seam {
    std::vector<QByteArray> frames;  // the new frames
    int earlierReplaced = 0;         // last frames of the earlier input they take the place of
    int laterReplaced = 0;           // first frames of the later input they take the place of
    // Samples by which the later input's audio comes early (dropped) or, below 0, late
    // (repeated): each input's frames keep their own grid, so what is left of the sum of the
    // padding and the delay over whole frames cannot go anywhere else. Up to a frame, where it
    // makes up for the seams before.
    qint32 shift = 0;
    // Of a seam that ends the join: the padding its last frame carries, as a header tells it.
    qint32 padding = 0;
    QString failure;  // why no seam could be made; empty when it was
};

// Takes the encoder's delay and padding, and the format, from an input's first frame when that
// is a header frame with a LAME extension; false when it is not.
bool ReadEncoderHeader(const quint8* frame, qint32 length, SeamInput* input);

// The padding in place of the one `told` by an input's header, once `reader` has read all its
// frames, where the header counts more audio frames than there are: the input was cut short, and
// the padding went with its end. A decoder then trims none of it but its own delay, which it never
// put out: it keeps every sample it can decode, and readers that reckon by the header find as
// many. -1 where the header's padding holds, or it tells none, or the reader is not at the end.
qint32 CutShortPadding(const SeamInput& told, const mp3::StreamReader& reader);

// The audio the input's frames (all of them) hold, without its encoder's silence; empty when
// they cannot be decoded.
std::vector<float> AudioOf(const SeamInput& input);

// The fewest frames at the end of `earlier` a seam takes in, once its header is known.
int EarlierFramesNeeded(const SeamInput& earlier);
// Of those, the last ones it decodes with their main data whole. Those in front of them warm the
// decoder up and hold the reserved bytes these draw on, as far back as main_data_begin reaches:
// 511 bytes in MPEG-1, which in a VBR file that ends quietly, in frames of 32 kbit/s, is more
// than eight frames.
int EarlierFramesWhole(const SeamInput& earlier);
constexpr int kLaterFramesNeeded = 16;
// The fewest frames decoded before the earlier input's audio is trusted: the filter banks need
// what came before, and the last two of them their main data whole.
constexpr int kWarmUpFrames = 8;
// Samples by which a Layer III decoder's output lags behind what was encoded.
constexpr qint64 kDecoderDelay = 529;

// Seconds of silence in front of an input's audio as players hear it, its encoder's `delay` and
// the decoder's, and behind it, its encoder's `padding` less the decoder's delay, at `rate`; 0
// where its header does not tell them (-1).
inline double LeadSeconds(qint32 delay, double rate) {
    return delay >= 0 ? double(delay + kDecoderDelay) / rate : 0;
}
inline double TailSeconds(qint32 padding, double rate) {
    return padding >= 0 ? double(padding - kDecoderDelay) / rate : 0;
}

// Decodes the frames on both sides of the join, puts the two pieces of audio together, and
// encodes that stretch anew with the earlier input's format and bitrate, on the same grid of
// frames, so that the frames around it still fit: the new frames do not draw on reserved bytes
// of frames before them, and the last one carries the reserved bytes the later input's frames
// after it draw on. The earlier input's audio comes `early` samples early already (the shifts of
// the seams before it); the seam takes as many frames as bring the later input's audio within
// half a frame of where it belongs, so that the shifts never add up.
Seam MakeSeam(const SeamInput& earlier, const SeamInput& later, qint64 early = 0);

// Where the join ends behind `earlier` with the audio of inputs too short for seams of their own,
// the frames that take the place of its last ones and theirs: its audio running on into theirs,
// then the padding of the last new frame.
Seam MakeEndingSeam(const SeamInput& earlier);

class InputFile;

// A frame where it lies, and what keeps its bytes there.
struct FrameView {
    const quint8* data = nullptr;
    qint32 length = 0;
    std::shared_ptr<const void> keeper;
};

// The seams of a join as it goes, input by input: what is known of the input being joined, and
// its last frames, kept back until the next input shows whether a seam can be made. Off, it keeps
// nothing back and every frame is written as it comes. Seams are made at every join when the
// joins are to be seamless, and otherwise at the joins of inputs encoded anew for the join alone;
// each seam holds `gapSeconds` of silence between the two inputs' audio, to the sample.
class SeamMaker {
public:
    SeamMaker(bool seamless, bool reencoding, double gapSeconds)
        : seamless(seamless), on(seamless || reencoding), gapSeconds(gapSeconds) {}

    // Starts the input at `path`, open as `file`, which holds frames, is to be made `gainSteps`
    // steps of global_gain louder and, when `own` is given, was encoded anew for the join with
    // that silence around its audio: the frames to write before its own, those the input before
    // kept back and the seam's, or, where no seam can be made, the kept ones alone and a warning
    // naming both inputs. Why the join fails, when the input cannot be read as opened, in
    // *failure.
    std::vector<FrameView> StartInput(const QString& path, const std::shared_ptr<InputFile>& file,
                                      int gainSteps, const std::optional<EncoderSilence>& own,
                                      QStringList* warnings, QString* failure);
    // What becomes of a frame of the input, its first when `first`: written now or not (replaced
    // by the seam in front, or kept back where it lies), and a kept frame to be written now in
    // its stead.
    struct Taken {
        bool writeNow = true;
        FrameView released;
    };
    Taken Take(const quint8* data, qint32 length, const std::shared_ptr<const void>& keeper,
               bool first);
    // The frames still kept back, to be written at the end: those of inputs taken in whole too,
    // until a seam takes their place.
    struct Released {
        std::vector<FrameView> frames;
        qint32 padding = -1;  // of the seam that ends the join; -1 without one
    };
    // Where the inputs joined last were taken in whole, a seam that ends the join with their
    // audio, or, where none can be made, a warning naming the inputs and their frames as they are.
    Released Release(QStringList* warnings);
    // Whether a seam joins the input started last to the one before, or is to take it in whole,
    // as it does with an input the join encoded that is too short for seams of its own.
    bool Seamed() const { return seamed; }
    bool Absorbing() const { return absorbing; }
    // Samples by which that seam brings the input's audio early; 0 without one.
    qint32 Shift() const { return shift; }
    // Samples of silence that seam puts before the input's audio, that before inputs it takes
    // in whole included; 0 without one.
    qint64 Silence() const { return silence; }
    // The seconds the frames kept back play.
    double KeptSeconds() const;

private:
    void AddGap();
    // Whether the first kept frame may hold reserved bytes that frames the seam behind the input
    // decodes whole draw on: main data begins as far back as main_data_begin reaches, over as
    // many frames as that takes.
    bool FirstKeptNeeded() const;

    bool seamless;
    bool on;
    double gapSeconds;
    bool earlierReencoded = false;
    bool seamed = false;
    bool absorbing = false;
    qint32 shift = 0;                // of the seam in front of the input started last
    qint64 silence = 0;              // and the silence it puts before the input's audio
    QString earlierPath;             // of the input joined last; empty before the first
    QString absorbedPath;            // of the input taken in whole last
    SeamInput current;               // what is known of the input being joined
    std::deque<FrameView> kept;      // its last frames, and those whose reserved bytes they need
    std::deque<FrameView> absorbed;  // of inputs behind it the next seam is to take in whole
    size_t keep = 0;                 // frames the seam behind the input needs kept back
    int skip = 0;                    // first frames of the input the seam in front of it replaced
    // Samples by which the audio joined so far comes early against the inputs' own timelines:
    // what the seams' shifts add up to, which each next seam's grid of frames makes up for.
    qint64 early = 0;
    qint64 audioBytes = 0;
    double audioSeconds = 0;
};

}  // namespace tessaro
