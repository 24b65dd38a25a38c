#pragma once

#include <QString>

namespace tessaro {

// Fields of the joined file's tag that only the command-line tool types: the workspace keeps the
// other five. Written with those, when not empty.
struct MoreTagFields {
    QString genre;
    QString albumArtist;
    QString composer;  // where audiobook tools file the narrator
};

// ReplayGain 2.0's reference loudness, which levelling aims at unless told otherwise.
constexpr double kReferenceLoudness = -18.0;

// What the joined file carries beyond the audio and the typed tag.
struct JoinOptions {
    bool chapters = false;   // a chapter for each joined input, titled as the input is
    bool copyCover = false;  // the picture of the first joined input that has one
    QString coverFile{};     // a JPEG or PNG file to carry as the front cover instead
    // Each join between two inputs made without the encoders' silence: the frames around it are
    // decoded and encoded anew.
    bool seamless = false;
    // Each input brought nearest to `levelTarget` LUFS by changing its frames' gain; otherwise
    // the inputs' levels stay as they are.
    bool level = false;
    double levelTarget = kReferenceLoudness;
    // Inputs whose format differs from the first one's are decoded and encoded anew in its
    // format; the others are copied as ever.
    bool conform = false;
    // With chapters: one for each run of inputs whose titles agree once a trailing part or
    // track number is left out, instead of one for each input.
    bool chaptersByTitle = false;
    // A text file of chapters ("HH:MM:SS.mmm Title" a line) to take instead; empty for none.
    QString chapterFile{};
    // Every text frame all joined inputs share goes into the tag; typed values win over them.
    bool copyTags = false;
    // The tag as ID3v2.3, which Windows and many older players read, instead of ID3v2.4.
    bool id3v23 = false;
    MoreTagFields moreTag{};
    // Seconds of silence heard between every two inputs, the encoders' own at their ends
    // included; 0 for none.
    double gapSeconds = 0;
};

}  // namespace tessaro
