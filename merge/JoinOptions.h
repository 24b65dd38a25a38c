#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "chapters/Chapters.h"
#include "merge/Silence.h"
#include "tags/Tags.h"
#include "workspace/ChapterMark.h"

namespace tessaro {

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
    // With level: the inputs as one album, all given the one gain that brings the whole join
    // nearest to `levelTarget`, so that they stay as loud against each other as they were.
    bool levelAlbum = false;
    // With levelAlbum: the album's gain in steps of 1.5 dB, settled before over a longer list of
    // which the inputs are part; none to settle it from the inputs themselves.
    std::optional<int> albumGainSteps{};
    // Inputs whose format differs from the first one's are decoded and encoded anew in its
    // format; the others are copied as ever.
    bool conform = false;
    // With chapters: one for each run of inputs whose titles agree once a trailing part or
    // track number is left out, instead of one for each input.
    bool chaptersByTitle = false;
    // With chapters: one where the audio starts and one in the middle of each silence the rule
    // finds in each input, numbered, instead of one for each input; none for those.
    std::optional<SilenceRule> chapterSilence{};
    // With chapters: chapters set by hand, one for each input in order; inputs past its end are
    // left to the options.
    std::vector<ChapterMark> chapterMarks{};
    // A file of chapters, in any form of ChapterForm, to take instead; empty for none.
    QString chapterFile{};
    // With a chapter file: titles in place of its chapters' own, in their order; an empty one, or
    // one past the end, keeps the file's.
    QStringList chapterTitles{};
    // The form of the chapter file and of the chapters exported; none to go by their contents
    // and names.
    std::optional<ChapterForm> chapterForm{};
    // Every text frame all joined inputs share goes into the tag; typed values win over them.
    bool copyTags = false;
    // With copyTags: each such frame from the first input that holds it, whether or not the
    // others agree.
    bool copyTagsFirst = false;
    // The tag as ID3v2.3, which Windows and many older players read, instead of ID3v2.4.
    bool id3v23 = false;
    MoreTagFields moreTag{};
    // Seconds of silence heard between every two inputs, the encoders' own at their ends
    // included; 0 for none.
    double gapSeconds = 0;
};

}  // namespace tessaro
