#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "merge/JoinOptions.h"
#include "mp3/InputTags.h"
#include "mp3/Picture.h"
#include "mp3/TagInflation.h"
#include "workspace/OutputTag.h"

namespace tessaro {

// Where a chapter points, as a chapter file gives it: the address of a web page about it and of a
// picture for it; empty for none.
struct ChapterLinks {
    QString page;
    QString picture;

    bool operator==(const ChapterLinks& other) const {
        return page == other.page && picture == other.picture;
    }
};

// Where one joined input plays in the output, in milliseconds from its first audio frame.
struct Chapter {
    QString title;  // empty for a chapter without one
    quint32 startMs = 0;
    quint32 endMs = 0;
    bool listed = true;  // in the table of contents; a chapter frame either way
    // Whether `endMs` is the chapter file's own, before the next chapter starts (or the audio
    // ends), rather than where that happens.
    bool endTold = false;
    ChapterLinks links{};
};

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
};

// The tag as it stands in the file: an ID3v2.4 (or ID3v2.3) tag in front of the audio (empty
// when the tag holds nothing; ReplayGain as TXXX frames) and, for the typed or copied values
// only, an ID3v1 tag behind it. It is rendered once, before the chapters' times are known; they
// are set in the front one once they are.
struct TagBytes {
    QByteArray front, back;
    // The title of each chapter frame in `front` and where its times lie there, in order.
    std::vector<std::pair<QString, qsizetype>> chapters;
    QString title, artist;  // as the front tag holds them; empty where it has none
};
TagBytes RenderJoinedTag(const JoinedTag& tag);

// Sets the times of `chapters` in the chapter frames of `tag`, in place. False, nothing set,
// when they are not the chapters it was rendered with, by number and titles.
[[nodiscard]] bool SetChapterTimes(TagBytes& tag, const std::vector<Chapter>& chapters);

// Why a tag of `size` bytes, header included, cannot go into the file; empty when it can.
[[nodiscard]] QString TagTooLarge(qint64 size);

}  // namespace tessaro
