#pragma once

// Audio as encoders and players make it, for the tests that compare decoded samples: a
// recording, LAME's encoding of it as its front end writes a file, and gapless decoding.

#include <QByteArray>
#include <QString>
#include <vector>

namespace testing_files {

// A piece of a continuous recording in stereo at 44.1 kHz: tones with vibrato over quiet noise,
// never silent, so that a gap or a step where pieces meet shows.
std::vector<float> Recording(int from, int count);

std::vector<float> Scaled(std::vector<float> samples, double scale);

// How LAME encodes a piece: in its stereo at 44.1 kHz, or in mono, or at a lower rate (MPEG-2).
struct Encoding {
    const char* name;
    bool vbr;
    int channels;
    int rate;
    int kbps = 0;     // of CBR; 0 for LAME's own choice
    int quality = 4;  // of VBR, as -V sets it
    int FrameSamples() const { return rate >= 32000 ? 1152 : 576; }
};

// The samples encoded by LAME as its front end writes a file: a header frame with the LAME
// extension, which tells the encoder's delay and padding, in front of the audio. Empty when LAME
// refuses the encoding.
QByteArray EncodeWithLame(const std::vector<float>& samples, const Encoding& encoding);

// The file decoded as players do, without the encoder's delay and padding its header tells.
std::vector<float> DecodeAsPlayers(const QString& path, const Encoding& encoding);

}  // namespace testing_files
