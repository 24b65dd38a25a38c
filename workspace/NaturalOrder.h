#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace tessaro {

// The product's one order of names, as people number files: piece by piece, a run of digits by
// its value ("Chapter 2" before "Chapter 10"), the rest case-insensitively and composed (NFC),
// whatever the locale.
// Paths compare folder by folder ("CD1/Track 9" before "CD2/Track 1"). Names equal but for case
// or leading zeros are ordered by their code points, so that the order is total and repeatable.
int NaturalCompare(const QString& a, const QString& b);
inline bool NaturalLess(const QString& a, const QString& b) {
    return NaturalCompare(a, b) < 0;
}

// `paths` in natural order of their file names (the last part), whole paths breaking ties; the
// sort is stable.
QStringList SortedByFileName(QStringList paths);
// `paths` by the disc, then the track number their tags tell; those alike, or untagged, in
// natural order of their file names, behind the tagged ones.
QStringList SortedByTrack(QStringList paths);

// The first two of `paths` that lie in one folder, have names that differ only in their numbers
// and stand against natural order ("Chapter 10.mp3" given before "Chapter 2.mp3"), the earlier
// one first; none when natural order keeps every such pair as it is.
std::optional<std::pair<QString, QString>> FirstPairOutOfOrder(const QStringList& paths);

}  // namespace tessaro
