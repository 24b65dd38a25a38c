#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "merge/JoinOptions.h"
#include "mp3/InputTags.h"
#include "mp3/Picture.h"
#include "workspace/OutputTag.h"

namespace tessaro {

// Where one joined input plays in the output, in milliseconds from its first audio frame.
struct Chapter {
    QString title;
    quint32 startMs = 0;
    quint32 endMs = 0;
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
    // The title of the chapters' table when the tag has none: the output's name.
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
// only, an ID3v1 tag behind it. The front one is padded to at least minimumSize bytes, so that
// it can take the place of one rendered before.
struct TagBytes {
    QByteArray front, back;
};
TagBytes RenderJoinedTag(const JoinedTag& tag, qsizetype minimumSize = 0);

// The largest ID3v2 tag: its header gives the size of what follows its 10 bytes in 28 bits, and
// a larger size would wrap to a small one, which readers take for the end of the tag.
constexpr qint64 kMaxId3v2TagBytes = 10 + (qint64(1) << 28) - 1;

// Why a tag of `size` bytes, header included, cannot go into the file; empty when it can.
[[nodiscard]] QString TagTooLarge(qint64 size);

}  // namespace tessaro
