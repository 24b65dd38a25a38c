#pragma once

#include <QString>
#include <QtGlobal>

namespace tessaro {

// The ID3 tag the joined file is to carry, as the user typed it. A year of 0 or less is none.
struct OutputTag {
    QString album;
    QString artist;
    QString title;
    qint32 year = 0;
    QString comment;

    // Nothing typed: what a tag editor left blank gives.
    bool IsEmpty() const {
        return album.isEmpty() && artist.isEmpty() && title.isEmpty() && year <= 0 &&
               comment.isEmpty();
    }
    bool operator==(const OutputTag& other) const {
        return album == other.album && artist == other.artist && title == other.title &&
               year == other.year && comment == other.comment;
    }
};

// Fields of the joined file's tag beyond the five the workspace file's plain format holds: its
// extension block keeps them. Written with those, when not empty.
struct MoreTagFields {
    QString genre;
    QString albumArtist;
    QString composer;  // where audiobook tools file the narrator

    bool IsEmpty() const { return genre.isEmpty() && albumArtist.isEmpty() && composer.isEmpty(); }
    bool operator==(const MoreTagFields& other) const = default;
};

}  // namespace tessaro
