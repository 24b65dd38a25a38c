#pragma once

#include <QString>
#include <QStringList>

namespace tessaro {

// The product's one order of names, as people number files: piece by piece, a run of digits by
// its value ("Chapter 2" before "Chapter 10"), the rest case-insensitively, whatever the locale.
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

}  // namespace tessaro
