#pragma once

// The joined file's tag: what it holds, the frames it copies from the inputs, and its bytes.
// Errors: none thrown; a tag that cannot be written is told by TagTooLarge and SetChapterTimes.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "chapters/Chapters.h"
#include "mp3/InputTags.h"
#include "mp3/Picture.h"
#include "mp3/TagInflation.h"
#include "tags/JoinRecords.h"
#include "workspace/OutputTag.h"

namespace tessaro {

// What the joined file's tag holds: the typed values when they are to be written, the text
// frames the inputs share when they are to be copied, chapters when asked for, and a picture
// when one is to be carried.
struct JoinedTag {
    std::optional<OutputTag> typed;
    MoreTagFields moreTyped;  // written with `typed`
    // Copied: the typed values that are not empty take their place. With them, a tag without a
    // typed title is titled with its album.
    std::optional<std::vector<mp3::TextFrame>> shared;
    // The title of the chapters' table when the tag has none: the output's name, as FileTitle()
    // gives it.
    QString name;
    bool id3v23 = false;  // ID3v2.3 rather than ID3v2.4
    std::vector<Chapter> chapters;
    std::optional<mp3::Picture> picture;
    // ReplayGain 2.0's track values of the joined file, when its loudness is known.
    struct ReplayGain {
        double gainDb = 0;  // to bring it to -18 LUFS
        double peak = 0;    // of its samples, 1.0 being full scale
    };
    std::optional<ReplayGain> replayGain;
    // The record of each input joined, where the join keeps the inputs' frames their own; and
    // for each chapter (by its place) that starts at an input, that input's place among them.
    // Written only with a tag that holds something else.
    std::optional<std::vector<JoinRecord>> records;
    std::vector<std::optional<size_t>> chapterRecords;
};

// The tag as it stands in the file: an ID3v2.4 (or ID3v2.3) tag in front of the audio (empty
// when the tag holds nothing; ReplayGain as TXXX frames, records as PRIV frames) and, for the
// typed or copied values only, an ID3v1 tag behind it. It is rendered once, before the chapters'
// times and the records are known; they are set in the front one once they are.
struct TagBytes {
    QByteArray front, back;
    // The title of each chapter frame in `front` and where its times lie there, in order.
    std::vector<std::pair<QString, qsizetype>> chapters;
    QString title, artist;  // as the front tag holds them; empty where it has none
    // Where each record lies in `front`, in order: in the frame of them all, then in the chapter
    // frames that hold it.
    std::vector<std::vector<qsizetype>> records;
};
TagBytes RenderJoinedTag(const JoinedTag& tag);

// Sets the times of `chapters` in the chapter frames of `tag`, in place. False, nothing set,
// when they are not the chapters it was rendered with, by number and titles.
[[nodiscard]] bool SetChapterTimes(TagBytes& tag, const std::vector<Chapter>& chapters);
// Sets `records` in the record frames of `tag`, in place. False, nothing set, when they are not
// as many as it was rendered with.
[[nodiscard]] bool SetJoinRecords(TagBytes& tag, const std::vector<JoinRecord>& records);

// The genres ID3v1 numbers, as TagLib spells them, in the order of the user's language: what a
// genre field offers, though any text may stand there.
QStringList GenreNames();

// Why a tag of `size` bytes, header included, cannot go into the file; empty when it can.
[[nodiscard]] QString TagTooLarge(qint64 size);

// One joined input's text frames, and the path that names it in warnings.
struct TaggedInput {
    QString path;
    std::vector<mp3::TextFrame> frames;
};

// What the joined file's tag takes of the inputs' text frames, and a warning for each frame left
// out because the inputs disagree on it.
struct CopiedFrames {
    std::vector<mp3::TextFrame> frames;
    QStringList disagreements;
};

// The text frames the inputs have as parts of one album or book. What tells one input from the
// others is never taken: its title, subtitle, track and disc numbers, length, recording code,
// ReplayGain and the gapless figures iTunes keeps in comments; a frame without text counts as
// none. Without `firstWins`, each frame every input holds with the same value, in the first one's
// order; a frame some hold but not all alike is left out with a warning naming the values ("artist
// left out: "Ada Lovelace" in "3.mp3" differs from "Ada Lövelace" in "1.mp3" and 1 more; ..."),
// an input without it among them. With `firstWins`, each frame from the first input that holds
// it, in the order they first come, without a warning. Nothing without inputs.
CopiedFrames CopyFrames(const std::vector<TaggedInput>& inputs, bool firstWins);

// Says that `frame` of the input at `path` was left out of its tag as read.
QString LeftOut(const QString& path, const mp3::OversizedFrame& frame);

}  // namespace tessaro
