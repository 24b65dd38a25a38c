#pragma once

#include <QList>
#include <QStringList>

// Errors: a row outside the list raises x::BadBound, and nothing is computed.

namespace tessaro {

// A new order of a list's entries: new row i shows what old row order[i] showed; `landed` are
// the rows the moved entries stand at in the new order, first to last.
struct Rearrangement {
    QList<int> order;
    QList<int> landed;
};

enum class Direction { Up, Down };

// Moves each of the rows one place, past the neighbour that is not one of them; raises
// x::BadBound when there are none, or the first would pass the top (Up) or the last the bottom
// (Down).
Rearrangement StepRows(int count, const QList<int>& rows, Direction direction);
// A drag: the rows, in their order, go before the first other row at or after `to` (0..count).
// One row moved down so ends at to - 1.
Rearrangement MoveRowsBefore(int count, const QList<int>& rows, int to);
// The order that makes `paths` read as `target`, one of its permutations (a sort of it).
QList<int> OrderOf(const QStringList& paths, const QStringList& target);
// The rows sorted, each once; raises x::BadBound for one outside 0..count-1.
QList<int> CheckedRows(QList<int> rows, int count);

}  // namespace tessaro
