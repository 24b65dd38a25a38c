#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "merge/Seam.h"

namespace tessaro {

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
