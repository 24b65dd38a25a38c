#pragma once

#include <QString>
#include <memory>
#include <vector>

// Errors: a file that gives no audio says why in Error(), and then gives no samples.

namespace tessaro {

// The audio frames of one MPEG audio file, decoded by the join's own decoder as one stream from
// the first (an encoder's header frame holds no audio), a stretch at a time, as a player takes
// them: every frame gives its samples, nothing trimmed, a damaged one silence.
class FileDecoder {
public:
    explicit FileDecoder(const QString& path);
    ~FileDecoder();
    FileDecoder(const FileDecoder&) = delete;
    FileDecoder& operator=(const FileDecoder&) = delete;

    // Why the file gives no audio: it cannot be opened, holds no frame, or is of a format the
    // decoder does not take; empty while it gives some.
    const QString& Error() const;
    // Of its first frame, which those after it are taken to keep.
    qint32 SampleRate() const;
    qint32 Channels() const;
    // Samples of the encoder's and the decoder's silence in front of the audio, where its header
    // frame tells the encoder's; 0 where it does not. The timeline players show starts behind
    // them.
    qint64 Lead() const;
    // Passes over the samples before `sample` (per channel), decoding of the frames before it
    // only those that warm the decoder up, so that what follows is what decoding from the first
    // frame gives. Only forward, and before Next().
    void SkipTo(qint64 sample);
    // Up to `count` samples per channel more, channels interleaved; fewer only at the end.
    std::vector<float> Next(qint64 count);
    // Whether every sample has been handed out.
    bool AtEnd() const;
    // The part of its audio frames decoded or passed over so far, from 0 to 1.
    double Progress() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

}  // namespace tessaro
